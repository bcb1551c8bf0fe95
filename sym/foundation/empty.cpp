// Placeholder until the first subsystem source lands.
