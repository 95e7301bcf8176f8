// The tyre rig behind `vqsim tyre`: the shape of the bundled front tyre's
// curves, the parameter set it picks, and the command as a user runs it.

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <algorithm>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "car/solvi_tyres.h"
#include "chassis/tyre.h"
#include "host/tyre_sweep.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const std::string kFront = std::string(SOLVI_DATA_DIR) + "/" + kSolviFrontTyreFile;
const std::string kRear = std::string(SOLVI_DATA_DIR) + "/" + kSolviRearTyreFile;

CTyre frontTyre()
{
    CTyre tyre;
    TyreParameterSet set;
    std::string error;
    EXPECT_TRUE(prepareTyre(kFront, false, tyre, set, error)) << error;
    EXPECT_EQ(set, TyreParameterSet::CarFront);
    return tyre;
}

struct Result {
    int exitCode = -1;
    std::string output;
};

Result runVqsim(const std::string& arguments, const std::string& environment = "")
{
    const std::string command = environment + " " + SOLVI_VQSIM_PATH + " " + arguments + " 2>&1";
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> lines(const fs::path& path)
{
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace

TEST(TyreSweep, PicksTheCarsParameterSetByFileName)
{
    EXPECT_EQ(carTyreFor(kFront), TyreParameterSet::CarFront);
    EXPECT_EQ(carTyreFor(kRear), TyreParameterSet::CarRear);
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
    EXPECT_EQ(tyre.RD, 1.35f);           // from the file
    EXPECT_EQ(tyre.alignE, -1.75f);      // the constructor's, not the car's
}

TEST(TyreSweep, ReportsAMissingOrShortFile)
{
    TempDir dir;
    CTyre tyre;
    TyreParameterSet set;
    std::string error;
    EXPECT_FALSE(prepareTyre((dir / "none.vqt").string(), false, tyre, set, error));
    EXPECT_TRUE(contains(error, "none.vqt")) << error;
    std::ofstream((dir / "short.vqt").string()) << "abc";
    EXPECT_FALSE(prepareTyre((dir / "short.vqt").string(), false, tyre, set, error));
    EXPECT_TRUE(contains(error, "short.vqt")) << error;
    EXPECT_TRUE(contains(error, "3 bytes")) << error;
}

TEST(TyreSweep, SamplesUseTheCarsOwnTyreCode)
{
    const CTyre tyre = frontTyre();
    const TyreConditions c;
    const TyreSample s = sampleTyre(tyre, 6.0f, 0.04f, c);
    CTyre direct = tyre;
    direct.setInputs(6.0f, 0.04f, 0, 4000, true, 1, 1, 0, 0, 1, 1, 0, 0, 50, false);
    direct.computeForces();
    EXPECT_EQ(s.fx, direct.forceLong);
    EXPECT_EQ(s.fy, direct.forceLat);
    EXPECT_EQ(s.mz, direct.alignMoment);
    EXPECT_EQ(s.load, 4000.0f);
}

TEST(TyreSweep, LateralCurveOfTheFrontTyreAt4000N)
{
    const std::vector<TyreSample> lat = sweepSlipAngle(frontTyre(), TyreConditions());
    ASSERT_GT(lat.size(), 100u);
    EXPECT_EQ(lat.front().slipAngle, -90.0f);
    EXPECT_EQ(lat.back().slipAngle, 90.0f);
    const auto zero = std::find_if(lat.begin(), lat.end(), [](const TyreSample& s) { return s.slipAngle == 0.0f; });
    ASSERT_NE(zero, lat.end());
    // Through the origin, rising, with fine steps near the peak; odd in the
    // slip angle.
    EXPECT_EQ(zero->fy, 0.0f);
    EXPECT_NEAR((zero + 1)->slipAngle, 0.1f, 1e-6f);
    EXPECT_GT((zero + 1)->fy, 0.0f);
    EXPECT_LT((zero - 1)->fy, 0.0f);
    for (std::size_t i = 0; i < lat.size(); ++i) EXPECT_FLOAT_EQ(lat[i].fy, -lat[lat.size() - 1 - i].fy);
    const TyrePeak peak = lateralPeak(lat);
    EXPECT_GE(peak.slip, 4.0f);
    EXPECT_LE(peak.slip, 12.0f);
    // Rises monotonically up to the peak, then stays positive and finite.
    for (auto it = zero + 1; it != lat.end(); ++it) {
        ASSERT_TRUE(std::isfinite(it->fy) && std::isfinite(it->mz)) << it->slipAngle;
        EXPECT_GT(it->fy, 0.0f) << it->slipAngle;
        if (it->slipAngle <= peak.slip) {
            EXPECT_GT(it->fy, (it - 1)->fy) << it->slipAngle;
        }
        EXPECT_EQ(it->fx, 0.0f);
    }
    // The peak is RD x load x L, L = 1 - (4000 - 2450) x 7.91e-5.
    EXPECT_NEAR(peak.force, 1.28 * 4000 * (1 - 1550 * 7.91e-5), 5.0);
    EXPECT_LT(lat.back().fy, peak.force);
}

TEST(TyreSweep, LongitudinalCurveOfTheFrontTyreAt4000N)
{
    const std::vector<TyreSample> lon = sweepSlipRatio(frontTyre(), TyreConditions());
    EXPECT_EQ(lon.front().slipRatio, -1.0f);
    EXPECT_EQ(lon.back().slipRatio, 1.0f);
    const TyrePeak traction = longitudinalPeak(lon, false);
    const TyrePeak braking = longitudinalPeak(lon, true);
    EXPECT_GE(traction.slip, 0.05f);
    EXPECT_LE(traction.slip, 0.25f);
    EXPECT_GT(traction.force, 0.0f);
    EXPECT_LE(braking.slip, -0.05f);
    EXPECT_GE(braking.slip, -0.25f);
    EXPECT_NEAR(braking.force, -1.05 * traction.force, 1e-3 * traction.force);
    for (const TyreSample& s : lon) {
        ASSERT_TRUE(std::isfinite(s.fx));
        if (s.slipRatio > 0) {
            EXPECT_GT(s.fx, 0.0f);
        } else if (s.slipRatio < 0) {
            EXPECT_LT(s.fx, 0.0f);
        } else {
            EXPECT_EQ(s.fx, 0.0f);
        }
    }
}

TEST(TyreSweep, CombinedGridAndCsv)
{
    const std::vector<TyreSample> grid = combinedGrid(frontTyre(), TyreConditions{3000.0f, 2.0f, 50.0f});
    EXPECT_EQ(grid.size(), combinedGridSize());
    EXPECT_EQ(grid.size(), 35u * 41u);
    for (const TyreSample& s : grid) {
        ASSERT_TRUE(std::isfinite(s.fx) && std::isfinite(s.fy) && std::isfinite(s.mz));
        EXPECT_EQ(s.load, 3000.0f);
        EXPECT_EQ(s.camber, 2.0f);
    }
    TempDir dir;
    ASSERT_TRUE(writeTyreCsv((dir / "g.csv").string(), grid));
    const std::vector<std::string> rows = lines(dir / "g.csv");
    ASSERT_EQ(rows.size(), grid.size() + 1);
    EXPECT_EQ(rows[0], "slip_angle_deg,slip_ratio,load_n,camber_deg,fx_n,fy_n,mz_nm");
    // Values read back exactly.
    float a, k, load, camber, fx, fy, mz;
    ASSERT_EQ(std::sscanf(rows[100].c_str(), "%f,%f,%f,%f,%f,%f,%f", &a, &k, &load, &camber, &fx, &fy, &mz), 7);
    EXPECT_EQ(a, grid[99].slipAngle);
    EXPECT_EQ(k, grid[99].slipRatio);
    EXPECT_EQ(fx, grid[99].fx);
    EXPECT_EQ(fy, grid[99].fy);
    EXPECT_EQ(mz, grid[99].mz);
}

// ---------------------------------------------------------------------------
// vqsim tyre

TEST(VqsimTyre, PrintsTheCurvesAndWritesTheCsv)
{
    TempDir dir;
    const fs::path csv = dir / "front.csv";
    const Result r = runVqsim("tyre " + kFront + " --load 4000 --csv " + csv.string());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(contains(r.output, "the car's front tyre values")) << r.output;
    EXPECT_TRUE(contains(r.output, "peak lateral force: ")) << r.output;
    EXPECT_TRUE(contains(r.output, "peak longitudinal force: ")) << r.output;
    const std::vector<std::string> rows = lines(csv);
    ASSERT_EQ(rows.size(), combinedGridSize() + 1);
    EXPECT_EQ(rows[0], "slip_angle_deg,slip_ratio,load_n,camber_deg,fx_n,fy_n,mz_nm");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        float values[7];
        ASSERT_EQ(std::sscanf(rows[i].c_str(), "%f,%f,%f,%f,%f,%f,%f", &values[0], &values[1], &values[2],
                              &values[3], &values[4], &values[5], &values[6]),
                  7)
            << rows[i];
        EXPECT_EQ(values[2], 4000.0f);
    }
}

TEST(VqsimTyre, RawAndOtherFilesUseTheModelsDefaults)
{
    TempDir dir;
    const fs::path other = dir / "other.vqt";
    fs::copy_file(kFront, other);
    for (const std::string& args : {kFront + " --raw", other.string()}) {
        const Result r = runVqsim("tyre " + args + " --camber -2.5 --load 2500");
        ASSERT_EQ(r.exitCode, 0) << r.output;
        EXPECT_TRUE(contains(r.output, "raw: the tyre model's defaults")) << r.output;
        EXPECT_TRUE(contains(r.output, "alignB 0.65")) << r.output;
        EXPECT_TRUE(contains(r.output, "camber -2.5 deg")) << r.output;
    }
    const Result rear = runVqsim("tyre " + kRear);
    ASSERT_EQ(rear.exitCode, 0) << rear.output;
    EXPECT_TRUE(contains(rear.output, "the car's rear tyre values")) << rear.output;
}

TEST(VqsimTyre, ClearErrors)
{
    TempDir dir;
    const Result missing = runVqsim("tyre " + (dir / "none.vqt").string());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(contains(missing.output, "none.vqt")) << missing.output;

    const Result noFile = runVqsim("tyre");
    EXPECT_EQ(noFile.exitCode, 2);
    EXPECT_TRUE(contains(noFile.output, "tyre needs a tyre FILE")) << noFile.output;

    const Result badOption = runVqsim("tyre " + kFront + " --grip 2");
    EXPECT_EQ(badOption.exitCode, 2);
    EXPECT_TRUE(contains(badOption.output, "unknown option '--grip'")) << badOption.output;

    const Result badLoad = runVqsim("tyre " + kFront + " --load heavy");
    EXPECT_EQ(badLoad.exitCode, 2);
    EXPECT_TRUE(contains(badLoad.output, "--load needs a number")) << badLoad.output;

    const Result negativeLoad = runVqsim("tyre " + kFront + " --load -5");
    EXPECT_EQ(negativeLoad.exitCode, 2);

    const Result badCamber = runVqsim("tyre " + kFront + " --camber 120");
    EXPECT_EQ(badCamber.exitCode, 2);

    const Result unwritable = runVqsim("tyre " + kFront + " --csv " + (dir / "no/such/dir.csv").string());
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(contains(unwritable.output, "cannot write the CSV file")) << unwritable.output;

    const Result help = runVqsim("tyre --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(contains(help.output, "usage: vqsim tyre FILE")) << help.output;
}

TEST(VqsimTyre, PlotsAPngWithGnuplotOrSaysItIsMissing)
{
    TempDir dir;
    const fs::path png = dir / "front.png";
    const Result noGnuplot = runVqsim("tyre " + kFront + " --png " + png.string(), "PATH=" + (dir / "empty").string());
    EXPECT_EQ(noGnuplot.exitCode, 1);
    EXPECT_TRUE(contains(noGnuplot.output, "needs gnuplot")) << noGnuplot.output;
    EXPECT_FALSE(fs::exists(png));

    if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) GTEST_SKIP() << "gnuplot is not installed";
    const Result r = runVqsim("tyre " + kFront + " --png " + png.string());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::ifstream in(png, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}
