// The tyre rig behind `vqsim tyre`: the shape of the bundled front tyre's
// curves, the parameter set it picks, and the command as a user runs it.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "car/solvi_tyres.h"
#include "chassis/tyre.h"
#include "host/tyre_sweep.h"
#include "support/run_vqsim.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const std::string kFront = std::string(SOLVI_DATA_DIR) + "/" + kSolviFrontTyreFile;
const std::string kRear = std::string(SOLVI_DATA_DIR) + "/" + kSolviRearTyreFile;
const std::string kCsvHeader = "slip_angle_deg,slip_ratio,load_n,camber_deg,fx_n,fy_n,mz_nm";

CTyre frontTyre() {
    CTyre tyre;
    TyreParameterSet set;
    std::string error;
    EXPECT_TRUE(prepareTyre(kFront, false, tyre, set, error)) << error;
    EXPECT_EQ(set, TyreParameterSet::CarFront);
    return tyre;
}

std::vector<std::string> lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace

TEST(TyreSweep, PicksTheCarsParameterSetByFileName) {
    EXPECT_EQ(carTyreFor("/somewhere/else/michelin_345_35_18.vqt"), TyreParameterSet::CarRear);
    EXPECT_EQ(carTyreFor("other.vqt"), TyreParameterSet::Raw);

    CTyre tyre;
    TyreParameterSet set;
    std::string error;
    ASSERT_TRUE(prepareTyre(kRear, false, tyre, set, error)) << error;
    EXPECT_EQ(set, TyreParameterSet::CarRear);
    EXPECT_EQ(tyre.RD, 1.35f);
    EXPECT_EQ(tyre.alignE, -2.75f);
    ASSERT_TRUE(prepareTyre(kRear, true, tyre, set, error)) << error;
    EXPECT_EQ(set, TyreParameterSet::Raw);
    EXPECT_EQ(tyre.RD, 1.35f);       // from the file
    EXPECT_EQ(tyre.alignE, -1.75f);  // the constructor's, not the car's
}

// The sweeps' ranges and steps, and the peaks they find on the bundled front
// tyre at 4000 N (the force law itself has its own tests).
TEST(TyreSweep, CurvesOfTheFrontTyreAt4000N) {
    const std::vector<TyreSample> lat = sweepSlipAngle(frontTyre(), TyreConditions());
    ASSERT_GT(lat.size(), 100u);
    EXPECT_EQ(lat.front().slipAngle, -90.0f);
    EXPECT_EQ(lat.back().slipAngle, 90.0f);
    const auto zero = std::find_if(lat.begin(), lat.end(), [](const TyreSample& s) { return s.slipAngle == 0.0f; });
    ASSERT_NE(zero, lat.end());
    EXPECT_EQ(zero->fy, 0.0f);
    EXPECT_NEAR((zero + 1)->slipAngle, 0.1f, 1e-6f);  // fine steps near the peak
    const TyrePeak peak = lateralPeak(lat);
    EXPECT_GE(peak.slip, 4.0f);
    EXPECT_LE(peak.slip, 12.0f);
    // The peak is RD x load x L, L = 1 - (4000 - 2450) x 7.91e-5.
    EXPECT_NEAR(peak.force, 1.28 * 4000 * (1 - 1550 * 7.91e-5), 5.0);
    for (auto it = zero + 1; it != lat.end(); ++it) ASSERT_TRUE(it->fy > 0 && std::isfinite(it->mz)) << it->slipAngle;

    const std::vector<TyreSample> lon = sweepSlipRatio(frontTyre(), TyreConditions());
    EXPECT_EQ(lon.front().slipRatio, -1.0f);
    EXPECT_EQ(lon.back().slipRatio, 1.0f);
    const TyrePeak traction = longitudinalPeak(lon, false), braking = longitudinalPeak(lon, true);
    EXPECT_GE(traction.slip, 0.05f);
    EXPECT_LE(traction.slip, 0.25f);
    EXPECT_LE(braking.slip, -0.05f);
    EXPECT_GE(braking.slip, -0.25f);
    EXPECT_NEAR(braking.force, -1.05 * traction.force, 1e-3 * traction.force);
}

TEST(TyreSweep, CombinedGridAndCsv) {
    const std::vector<TyreSample> grid = combinedGrid(frontTyre(), TyreConditions{3000.0f, 2.0f, 50.0f});
    EXPECT_EQ(grid.size(), 35u * 41u);
    EXPECT_EQ(grid.size(), combinedGridSize());
    for (const TyreSample& s : grid) {
        ASSERT_TRUE(std::isfinite(s.fx) && std::isfinite(s.fy) && std::isfinite(s.mz));
        EXPECT_EQ(s.load, 3000.0f);
        EXPECT_EQ(s.camber, 2.0f);
    }
    TempDir dir;
    ASSERT_TRUE(writeTyreCsv((dir / "g.csv").string(), grid));
    const std::vector<std::string> rows = lines(dir / "g.csv");
    ASSERT_EQ(rows.size(), grid.size() + 1);
    EXPECT_EQ(rows[0], kCsvHeader);
    // Values read back exactly.
    float a, k, load, camber, fx, fy, mz;
    ASSERT_EQ(std::sscanf(rows[100].c_str(), "%f,%f,%f,%f,%f,%f,%f", &a, &k, &load, &camber, &fx, &fy, &mz), 7);
    const TyreSample& s = grid[99];
    EXPECT_EQ(std::vector<float>({a, k, fx, fy, mz}), std::vector<float>({s.slipAngle, s.slipRatio, s.fx, s.fy, s.mz}));
}

// ---------------------------------------------------------------------------
// vqsim tyre

TEST(VqsimTyre, PrintsTheCurvesOfTheParameterSetItPicksOrSaysWhatIsWrong) {
    TempDir dir;
    const fs::path csv = dir / "front.csv", other = dir / "other.vqt";
    fs::copy_file(kFront, other);
    std::ofstream((dir / "short.vqt").string()) << "abc";
    const std::vector<std::string> raw = {"raw: the tyre model's defaults", "alignB 0.65", "camber -2.5 deg"};
    const struct { std::string args; int exitCode; std::vector<std::string> said; } cases[] = {
        {kFront + " --load 4000 --csv " + csv.string(), 0,
         {"the car's front tyre values", "peak lateral force: ", "peak longitudinal force: "}},
        {kFront + " --raw --camber -2.5 --load 2500", 0, raw},
        {other.string() + " --camber -2.5 --load 2500", 0, raw},
        {kRear, 0, {"the car's rear tyre values"}},
        {(dir / "none.vqt").string(), 1, {"none.vqt"}},
        {(dir / "short.vqt").string(), 1, {"short.vqt holds 3 bytes"}},
        {"", 2, {"tyre needs a tyre FILE"}},
        {kFront + " --grip 2", 2, {"unknown option '--grip'"}},
        {kFront + " --load heavy", 2, {"--load needs a number"}},
        {kFront + " --load -5", 2, {}},
        {kFront + " --camber 120", 2, {}},
        {kFront + " --csv " + (dir / "no/such/dir.csv").string(), 1, {"cannot write the CSV file"}},
        {"--help", 0, {"usage: vqsim tyre FILE"}},
    };
    for (const auto& c : cases) {
        const VqsimResult r = runVqsim("tyre " + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
        for (const std::string& part : c.said) EXPECT_TRUE(contains(r.output, part)) << c.args << "\n" << r.output;
    }
    // The grid and its file have their own test; here the options reach them.
    const std::vector<std::string> rows = lines(csv);
    ASSERT_EQ(rows.size(), combinedGridSize() + 1);
    float angle, ratio, load;
    ASSERT_EQ(std::sscanf(rows.back().c_str(), "%f,%f,%f", &angle, &ratio, &load), 3) << rows.back();
    EXPECT_EQ(load, 4000.0f);
}

TEST(VqsimTyre, PlotsAPngWithGnuplotOrSaysItIsMissing) {
    TempDir dir;
    const fs::path png = dir / "front.png";
    const VqsimResult noGnuplot = runVqsim("tyre " + kFront + " --png " + png.string(), "PATH=" + (dir / "empty").string());
    EXPECT_EQ(noGnuplot.exitCode, 1);
    EXPECT_TRUE(contains(noGnuplot.output, "needs gnuplot")) << noGnuplot.output;
    EXPECT_FALSE(fs::exists(png));

    if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) GTEST_SKIP() << "gnuplot is not installed";
    const VqsimResult r = runVqsim("tyre " + kFront + " --png " + png.string());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::ifstream in(png, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}
