#include "host/run_outputs.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/run_plots.h"
#include "host/car_console.h"

namespace {
// What the car writes into the run directory, at unload or on first use.
const char* const kCarOutputs[] = {"replay/cr",           "cfg/of",
                                   "out/power.exp",       "out/coast.exp",
                                   "cars/solvi/engine/power.exp", "cars/solvi/solvi.vqo",
                                   "cars/solvi/solvi_int.vqo"};
}  // namespace

int finishRun(DriveSession& session, const RunSummary& summary, const DriveOptions& options)
{
    summary.print();
    const bool unloaded = session.finish();
    int status = unloaded && !session.picturesFailed() ? 0 : 1;
    std::string carFiles;
    for (const char* file : kCarOutputs)
        if (std::filesystem::exists(session.runDir() + "/" + file)) carFiles += std::string(carFiles.empty() ? "" : ", ") + file;
    if (!carFiles.empty()) hostPrintf("vqsim: the car wrote %s in %s\n", carFiles.c_str(), session.runDir().c_str());

    std::vector<std::string> targets{session.runDir() + "/summary.json"};
    if (!options.summaryPath.empty()) targets.push_back(options.summaryPath);
    for (const std::string& path : targets) {
        if (summary.write(path)) {
            hostPrintf("vqsim: wrote %s\n", path.c_str());
        } else {
            std::fprintf(stderr, "vqsim: cannot write the summary %s\n", path.c_str());
            status = 1;
        }
    }
    if (status == 0 && summary.ended != RunEnd::Goal && summary.ended != RunEnd::Quit) {
        hostPrintf("vqsim: the run ended before its goal: %s\n", runEndName(summary.ended));
        status = kEndedEarlyStatus;
    }
    if (options.plots) {
        std::vector<std::string> written;
        std::string error;
        const bool ok = writeRunPlots(session.telemetry().path(), session.runDir(), written, error);
        for (const std::string& png : written) hostPrintf("vqsim: wrote %s\n", png.c_str());
        if (!ok) {
            std::fprintf(stderr, "vqsim: %s\n", error.c_str());
            status = 1;
        }
    }
    return status;
}
