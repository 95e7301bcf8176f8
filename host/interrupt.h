#pragma once
// Ctrl-C and termination requests during a drive. The first SIGINT or SIGTERM
// only raises a flag: the run stops stepping at the end of the current frame
// and unloads the car as usual, so every file it writes is complete. A second
// signal ends the process at once, as the signal would without us.

// Installs the handlers (again harmless) and clears the flag.
void watchForInterrupt();
// A first signal has arrived since watchForInterrupt.
bool interruptRequested();
