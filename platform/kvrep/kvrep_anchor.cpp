// Library anchor: keeps the shared object non-empty while its families grow.
