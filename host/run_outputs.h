#pragma once
// How every driving command ends: the summary printed, the car unloaded (its
// destructors write the car's files), then the run's own files written and
// listed: the summary JSON in the run directory (and where --summary asks),
// and with --plots the PNG plots of the telemetry.

#include "host/drive_options.h"
#include "host/drive_session.h"
#include "host/run_summary.h"

// The exit code of a run that ended before its goal.
inline constexpr int kEndedEarlyStatus = 3;

// Returns the process exit code: 0, 1 when something failed, or
// kEndedEarlyStatus when the summary says the run ended before its goal (a
// driver who quits a window's drive ends it as wanted: 0).
int finishRun(DriveSession& session, const RunSummary& summary, const DriveOptions& options);
