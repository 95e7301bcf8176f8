// The tyre force law at points worked out by hand with the constructor's
// parameters (B 1.01, C 1.6, D 1.028, E 0.2, STIFFX 14.54, STIFFY 18.6,
// STIFFG 2000, OPTIMALLOAD 2450), the laws it obeys whatever the point (odd
// symmetry, the friction circle, load sensitivity, the linear region), and
// the 68-byte tyre file.

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "car/solvi_tyres.h"
#include "chassis/tyre.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr double kDeg = 0.017453292;

// What the wheel hands the tyre; by default rolling at 20 m/s on tarmac at
// the optimal load with no slip.
struct Patch {
    float alpha = 0, kappa = 0, gamma = 0, Fz = 2450;
    bool contact = true;
    float w = 1, f = 1, vLong = 20, vLat = 0, gripT = 1, gripW = 1, surfaceSpeed = 20, omega = 70;
};

CTyre run(const Patch& p, CTyre t = CTyre()) {
    t.setInputs(p.alpha, p.kappa, p.gamma, p.Fz, p.contact, p.w, p.f, p.vLong, p.vLat, p.gripT, p.gripW,
                p.surfaceSpeed, 0.0f, p.omega, false);
    t.computeForces();
    return t;
}

std::vector<float> outputs(const CTyre& t) { return {t.forceLong, t.forceLat, t.alignMoment}; }

std::string describe(const Patch& p) {
    return testing::PrintToString(std::vector<float>{p.alpha, p.kappa, p.gamma, p.Fz, p.w, p.vLong, p.vLat, p.omega});
}

}  // namespace

TEST(Tyre, MagicFormulaAtWorkedPoints) {
    // x = 1: B(1-E)x = 0.808, E atan(B) = 0.2 * 0.790373 = 0.158075;
    // atan(0.966075) = 0.768145; sin(1.6 * 0.768145) = 0.942165; * 1.028.
    EXPECT_NEAR(CTyre::magicFormula(1.0f, 1.01f, 1.6f, 1.028f, 0.2f), 0.968545, 1e-6);
    EXPECT_NEAR(CTyre::magicFormula(-1.0f, 1.01f, 1.6f, 1.028f, 0.2f), -0.968545, 1e-6);
    EXPECT_EQ(CTyre::magicFormula(0.0f, 1.01f, 1.6f, 1.028f, 0.2f), 0.0f);
    // Far out both atans reach pi/2: D sin(C pi/2) = 1.028 sin(0.8 pi) = 0.604243.
    EXPECT_NEAR(CTyre::magicFormula(1e7f, 1.01f, 1.6f, 1.028f, 0.2f), 0.604243, 1e-5);
}

// Forces at points worked out by hand (NaN: not worked out). At the optimal
// load both load factors are 1, so a pure slip gives sign * MF(slip) * Fz:
//  - alpha 5 deg: tan 5 deg = 0.0874887; * 18.6 = 1.627289; MF = 1.027935 ->
//    2518.44 N; aligning MF(1.627289; 0.65, 2.1, 0.51, -1.75) = 0.451548 ->
//    1106.29 N m. Out of contact Fx = Fy = 0 but Mz keeps its value.
//  - kappa 0.1: 0.1 * 14.54 = 1.454; MF = 1.025715 -> 2513.00 N; braking
//    takes 1.05 times that.
//  - both: s = hypot(1.627289, 1.454) = 2.182243, mu = MF(s) = 1.007885;
//    r = 18.6 / 14.54 = 1.279230; k = (r + 1)/2 - cos(s/2)(1 - r)/2 =
//    1.204046; n = hypot(k t, kappa) = 0.145247; Fx = kappa / n mu Fz =
//    1700.09, Fy = t / n k mu Fz = 1790.88.
//  - 5000 N, 5 deg: stiffnesses * (1 + 2550e-5) = 1.0255, slip 1.668785,
//    MF = 1.027589; L = 1 - 2550 * 6.36e-5 = 0.83782 -> 4304.67 N.
//  - gamma 2 deg, alpha 5 deg: g = sin 2 deg * 2000 / 2450 = 0.028489;
//    m = MF(1.627289 / (1 - g)) = 1.027513; y = (1 - g) m + g = 1.026729;
//    c = 1 - sin(0.2 deg) = 0.996509; Fy = y Fz c = 2506.71. Against the
//    slip angle: (1 + g) MF(-1.627289 / (1 + g)) + g -> -2511.68.
//  - an almost still wheel slides with mu_s = MF at 90 degrees = 0.604243
//    (tan(90 * 0.017453292) is 2.1e7, not a pole): F = -mu_s v / (|v| +
//    0.05) Fz, so 0.05 m/s gives half; 0.1 rad/s already rolls.
//  - a rolling wheel on a loose surface with w = 0.4, f = 0.7 keeps
//    (1 - w) f = 0.42 of the pure sliding force, which opposes the patch
//    velocity (8, 6): -0.42 (0.8, 0.6) Fz; the Magic Formula share and Mz
//    carry the weight w.
//  - nothing without load, at rest, with camber but no slip angle, or from
//    the load on where L = 0 (2450 + 1 / 6.36e-5 = 18173.3 N).
TEST(Tyre, ForcesAtWorkedPoints) {
    const float any = std::nanf("");
    const struct { Patch in; float fx, fy, mz; } cases[] = {
        {{.alpha = 5}, 0, 2518.44f, 1106.29f},
        {{.alpha = -5}, 0, -2518.44f, -1106.29f},
        {{.alpha = 5, .contact = false}, any, 0, 1106.29f},
        {{.kappa = 0.1f, .surfaceSpeed = 22}, 2513.00f, 0, 0},
        {{.kappa = -0.1f, .surfaceSpeed = 18}, -1.05f * 2513.00f, 0, 0},
        {{.alpha = 5, .kappa = 0.1f, .surfaceSpeed = 22}, 1700.09f, 1790.88f, any},
        {{.alpha = 5, .Fz = 5000}, any, 4304.67f, any},
        {{.alpha = 5, .gamma = 2}, any, 2506.71f, any},
        {{.alpha = -5, .gamma = 2}, any, -2511.68f, any},
        {{.alpha = 30, .kappa = -1, .vLong = 0.05f, .vLat = -0.05f, .omega = 0.05f},
         -0.604243f * 0.5f * 2450 * 1.05f, 0.604243f * 0.5f * 2450, any},
        {{.alpha = 5, .vLong = 3, .vLat = -2, .omega = 0.1f}, any, 2518.44f, any},
        {{.w = 0.4f, .f = 0.7f, .vLong = 8, .vLat = 6, .surfaceSpeed = 8}, -0.336f * 2450, -0.252f * 2450, any},
        {{.alpha = 5, .w = 0.5f, .vLong = 0, .surfaceSpeed = 0}, any, 0.5f * 2518.44f, 0.5f * 1106.29f},
        {{.alpha = 8, .kappa = 0.2f, .gamma = 3, .Fz = 0, .w = 0.5f, .vLat = 2}, 0, 0, 0},
        {{.alpha = 8, .kappa = 0.2f, .Fz = 0, .omega = 0}, 0, 0, 0},
        {{}, 0, 0, 0},
        {{.vLong = 0, .surfaceSpeed = 0, .omega = 0}, 0, 0, 0},
        {{.gamma = 5}, 0, 0, 0},
        {{.alpha = 6, .kappa = 0.05f, .gamma = 1, .Fz = 18174}, 0, 0, 0},
        {{.alpha = 6, .kappa = 0.05f, .gamma = 1, .Fz = 1e6f}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const std::vector<float> got = outputs(run(c.in)), want{c.fx, c.fy, c.mz};
        for (int i = 0; i < 3; ++i)
            if (!std::isnan(want[i])) {
                EXPECT_NEAR(got[i], want[i], want[i] == 0 ? 0 : 0.05f) << i << describe(c.in);
            }
    }
    // Longitudinal force scales with XPEAK / RD, the lateral does not.
    CTyre grippy;
    grippy.XPEAK = 2 * grippy.RD;
    EXPECT_NEAR(run({.alpha = 5, .kappa = 0.1f}, grippy).forceLong, 2 * run({.alpha = 5, .kappa = 0.1f}).forceLong, 0.05f);
    EXPECT_EQ(run({.alpha = 5, .kappa = 0.1f}, grippy).forceLat, run({.alpha = 5, .kappa = 0.1f}).forceLat);
    // Camber takes c off the longitudinal force; grip scales all three; the
    // sliding friction scales the loose surface's share.
    EXPECT_NEAR(run({.alpha = 5, .kappa = 0.1f, .gamma = 2, .surfaceSpeed = 22}).forceLong, 0.996509f * 1700.09f, 0.02f);
    const Patch slip{.alpha = 5, .w = 0.5f, .vLong = 0, .surfaceSpeed = 0};
    Patch worn = slip;
    worn.gripT = 0.9f, worn.gripW = 0.8f;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(outputs(run(worn))[i], 0.72f * outputs(run(slip))[i], 0.01f) << i;
    CTyre slippery;
    slippery.slideFriction = 0.5f;
    EXPECT_NEAR(run({.w = 0.4f, .f = 0.7f, .vLong = 10, .surfaceSpeed = 10}, slippery).forceLong, -0.21f * 2450, 0.01f);
    // Beyond 90 degrees the slip angle flips: tan(100 deg) = -tan(80 deg).
    const CTyre at80 = run({.alpha = 80}), at100 = run({.alpha = 100});
    EXPECT_GT(at80.forceLat, 0);
    EXPECT_NEAR(at100.forceLat, at80.forceLat, 1e-3f * at80.forceLat);
}

TEST(Tyre, CombinedSlipSharesOneFrictionCircle) {
    // The resultant depends only on the size of the normalised slip: a pure
    // longitudinal, a pure lateral and a combined slip, each of size 2, pull
    // alike (and no more than D Fz).
    const Patch sizeTwo[] = {{.kappa = 2.0f / 14.54f},
                             {.alpha = static_cast<float>(std::atan(2.0 / 18.6) / kDeg)},
                             {.alpha = static_cast<float>(std::atan(1.6 / 18.6) / kDeg), .kappa = 1.2f / 14.54f}};
    const float pure = run(sizeTwo[0]).forceLong;
    EXPECT_LT(pure, 1.028f * 2450);
    for (const Patch& p : sizeTwo) EXPECT_NEAR(std::hypot(run(p).forceLong, run(p).forceLat), pure, 0.05f) << describe(p);
    // In the linear region the force follows the slip stiffnesses:
    // Fy / Fx = (STIFFY tan alpha) / (STIFFX kappa). Sliding past s = 2 pi
    // it points along the slip itself: Fy / Fx = tan alpha / kappa.
    const CTyre small = run({.alpha = 0.005f, .kappa = 1e-4f});
    EXPECT_NEAR(small.forceLat / small.forceLong, 18.6 * std::tan(0.005 * kDeg) / (14.54 * 1e-4), 1e-3);
    const CTyre sliding = run({.alpha = 3, .kappa = 0.5f});
    EXPECT_NEAR(sliding.forceLat / sliding.forceLong, std::tan(3 * kDeg) / 0.5, 1e-5);
}

TEST(Tyre, OddInSlipAngleAndBoundedByTheFrictionCircle) {
    for (float Fz : {500.0f, 2450.0f, 9000.0f})
        for (float alpha : {0.5f, 4.0f, 25.0f, 89.0f})
            for (float kappa : {-0.5f, 0.0f, 0.06f, 1.0f})
                for (float gamma : {-3.0f, 0.0f, 2.5f}) {
                    const Patch p{.alpha = alpha, .kappa = kappa, .gamma = gamma, .Fz = Fz};
                    Patch mirrored = p;
                    mirrored.alpha = -alpha, mirrored.gamma = -gamma;
                    const CTyre a = run(p), b = run(mirrored);
                    EXPECT_FLOAT_EQ(b.forceLong, a.forceLong) << describe(p);
                    EXPECT_FLOAT_EQ(b.forceLat, -a.forceLat) << describe(p);
                    EXPECT_FLOAT_EQ(b.alignMoment, -a.alignMoment) << describe(p);
                    // Slip alone never pulls more than the peak friction
                    // (braking adds its 5 %); camber thrust comes on top.
                    const float L = std::max(0.0f, 1.0f - (Fz - 2450) * 6.36e-5f);
                    if (gamma == 0.0f) {
                        EXPECT_LE(std::hypot(a.forceLong, a.forceLat), 1.05f * 1.028f * L * Fz * 1.0001f) << describe(p);
                    }
                }
    // Friction per newton falls with the load.
    double previous = 2.0;
    for (float Fz : {2450.0f, 5000.0f, 10000.0f, 15000.0f, 18000.0f}) {
        const CTyre t = run({.alpha = 6, .kappa = 0.05f, .Fz = Fz});
        const double perNewton = std::hypot(t.forceLong, t.forceLat) / Fz;
        EXPECT_LT(perNewton, previous) << Fz;
        previous = perNewton;
    }
}

TEST(Tyre, DivisorsActAsSofterStiffnesses) {
    CTyre divided, softer;
    divided.longDivisor = 1.3f, divided.latDivisor = 0.8f;
    softer.STIFFX = 14.54f / 1.3f, softer.STIFFY = 18.6f / 0.8f, softer.STIFFG = 2000.0f / 0.8f;
    for (float gamma : {0.0f, 3.0f}) {
        const Patch p{.alpha = 1, .kappa = 0.01f, .gamma = gamma, .Fz = 4000};  // the linear region
        const std::vector<float> a = outputs(run(p, divided)), b = outputs(run(p, softer));
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 2e-5f * std::fabs(b[i]) + 1e-3f) << i << " " << gamma;
    }
}

// Slip speed: sqrt(4^2 + 3^2). Car speed and the brake flag change nothing,
// and the load scaling leaves the stored stiffnesses alone.
TEST(Tyre, NothingLeaksIntoTheParameters) {
    CTyre a, b;
    a.setInputs(6, 0.1f, 2, 4000, true, 0.8f, 0.9f, 10, 3, 1, 1, 14, 0, 60, false);
    b.setInputs(6, 0.1f, 2, 4000, true, 0.8f, 0.9f, 10, 3, 1, 1, 14, 55, 60, true);
    a.computeForces();
    b.computeForces();
    float fx, fy, mz, slip;
    b.getOutputs(fx, fy, mz, slip);
    EXPECT_EQ(std::vector<float>({fx, fy, mz, slip}), std::vector<float>({a.forceLong, a.forceLat, a.alignMoment, 5.0f}));
    EXPECT_EQ(a.STIFFX, 14.54f);
    EXPECT_EQ(a.STIFFY, 18.6f);
}

TEST(Tyre, SlipForcesKeepTheLastForcesWhenThereIsNoSlipAndNoLoad) {
    for (float load : {0.0f, 3000.0f}) {
        CTyre t;
        t.load = load;
        t.forceLong = 11, t.forceLat = 22, t.lateralSlipNorm = 33;
        t.slipForces(load == 0 ? 0.1f : 0.0f, load == 0 ? 5.0f : 0.0f);
        EXPECT_EQ(std::vector<float>({t.forceLong, t.forceLat, t.lateralSlipNorm}),
                  std::vector<float>({11, 22, load == 0 ? 33.0f : 0.0f})) << load;
    }
}

TEST(Tyre, NoNanFromFiniteInputs) {
    CTyre car;
    setSolviTyreParameters(car, true);
    for (float Fz : {0.0f, 1.4e-45f, 1e-36f, 1e-3f, 4000.0f, 1e7f})
        for (float alpha : {-90.0f, -1e-4f, 0.0f, 90.0f, 179.0f})
            for (float kappa : {-1.0f, 0.0f, 1e-6f, 5.0f})
                for (float gamma : {-10.0f, 0.0f, 1e-3f})
                    for (float v : {0.0f, 30.0f}) {
                        const Patch p{alpha, kappa, gamma, Fz, true, 0.5f, 1, v, v / 10, 1, 1, 0, v};
                        const CTyre t = run(p, car);
                        ASSERT_TRUE(std::isfinite(t.forceLong) && std::isfinite(t.forceLat) &&
                                    std::isfinite(t.alignMoment) && std::isfinite(t.slipSpeed))
                            << describe(p);
                    }
}

namespace {

// The ten file fields in file order (offsets 8, 16, 24, 28, 36, 40, 48, 52, 56, 60).
std::vector<float> fields(const CTyre& t) {
    return {t.RB, t.RC, t.RD, t.RE, t.STIFFX, t.STIFFY, t.STIFFG, t.LOADSENS, t.OPTIMALLOAD, t.XPEAK};
}

// Word i holds 100 + i, so each field shows the offset it came from.
std::vector<unsigned char> numberedRecord(std::size_t size) {
    std::vector<unsigned char> bytes(size, 0xFF);
    for (std::size_t i = 0; i < 17 && 4 * i + 4 <= size; ++i) {
        const float w = 100.0f + static_cast<float>(i);
        std::memcpy(&bytes[4 * i], &w, 4);  // little-endian on every machine we build for
    }
    return bytes;
}

std::string load(CTyre& t, const fs::path& file, const std::vector<unsigned char>& bytes, bool expectRead) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    testing::internal::CaptureStdout();
    EXPECT_EQ(t.loadFile(file.string()), expectRead) << file;
    return testing::internal::GetCapturedStdout();
}

const std::vector<float> kNumberedFields = {102, 104, 106, 107, 109, 110, 112, 113, 114, 115};

}  // namespace

TEST(TyreFile, ReadsTheTenFieldsFromTheirOffsetsAndWritesThemBack) {
    TempDir dir;
    CTyre t;
    t.alignB = 9.0f;
    EXPECT_EQ(load(t, dir / "t.vqt", numberedRecord(100), true), "");  // a longer file: its first record
    EXPECT_EQ(fields(t), kNumberedFields);
    EXPECT_EQ(t.alignB, 9.0f);
    ASSERT_TRUE(t.save((dir / "out.vqt").string()));
    std::vector<unsigned char> expected = numberedRecord(68);
    for (int skipped : {0, 1, 3, 5, 8, 11, 16}) std::memset(&expected[4 * skipped], 0, 4);
    EXPECT_EQ(fileBytes(dir / "out.vqt"), expected);
    EXPECT_FALSE(t.save((dir / "no/such/folder/t.vqt").string()));
}

TEST(TyreFile, ShortOrMissingFilesAreReported) {
    TempDir dir;
    for (std::size_t size : {0u, 40u, 67u}) {
        CTyre t;
        const fs::path file = dir / ("short" + std::to_string(size));
        EXPECT_EQ(load(t, file, numberedRecord(size), false), "CTyre::loadFile : cannot read tyre file " +
                                                                  file.string() + " (" + std::to_string(size) +
                                                                  " of 68 bytes), keeping defaults\n");
        EXPECT_EQ(fields(t), fields(CTyre())) << "a short file was half-applied";
    }
    CTyre t;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(t.loadFile((dir / "none.vqt").string()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "CTyre::loadFile : cannot open tyre file " + (dir / "none.vqt").string() + ", keeping defaults\n");
}

// The bundled files hold the car's values; the aligning-moment coefficients
// are the car's own.
TEST(TyreFile, TheCarsTyresGetItsValuesThenTheFile) {
    for (bool front : {true, false}) {
        const fs::path path = fs::path(SOLVI_DATA_DIR) / (front ? kSolviFrontTyreFile : kSolviRearTyreFile);
        EXPECT_EQ(fileBytes(path).size(), 68u) << path;
        CTyre t;
        ASSERT_TRUE(loadSolviTyre(t, front, SOLVI_DATA_DIR));
        EXPECT_EQ(fields(t), (std::vector<float>{1.31f, 1.4f, front ? 1.28f : 1.35f, -0.2f, 15.0f, 11.0f, 2000.0f,
                                                 7.91e-5f, 2450.0f, 1.6f}))
            << path;
        EXPECT_EQ(std::vector<float>({t.alignB, t.alignC, t.alignD, t.alignE}),
                  std::vector<float>({0.85f, 2.3f, 0.51f, -2.75f}));
    }
}
