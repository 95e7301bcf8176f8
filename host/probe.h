#pragma once
// Loads the car plug-in in a prepared run directory, reports what it found
// and unloads it, checking that the car really went away with the library.

#include "host/car_run_options.h"

// Returns the process exit code: 0 when the car loaded, answered and unloaded.
int runProbe(const CarRunOptions& options);
