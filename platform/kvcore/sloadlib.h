// Whether this process lets the libraries load plug-ins at run time. A host
// that must not run foreign code in its process (a service, a sandboxed
// viewer) forbids it once at start-up; the libraries then do without their
// plug-ins and say nothing about it.
#pragma once

// True while loading plug-ins is forbidden in this process.
bool DotNetMixedCallerDisabled();
// Forbids (or allows again) loading plug-ins in this process.
void KvSetMixedCallerDisabled(bool disabled);
