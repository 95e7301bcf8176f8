// The tyre force law against an independent reference written out
// here in double precision, step by step and in other but equivalent forms;
// the worked examples; and the 68-byte tyre file.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "car/solvi_tyres.h"
#include "chassis/tyre.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Reference model, double precision throughout.

struct RefParams {
    double RB = 1.01, RC = 1.6, RD = 1.028, RE = 0.2;
    double STIFFX = 14.54, STIFFY = 18.6, STIFFG = 2000.0, LOADSENS = 6.36e-5, OPTIMALLOAD = 2450.0;
    double XPEAK = 1.028;
    double alignB = 0.65, alignC = 2.1, alignD = 0.51, alignE = -1.75;
    double brakeFactor = 1.05, slideFriction = 1.0, longDivisor = 1.0, latDivisor = 1.0;
};

struct RefInputs {
    double alpha = 0, kappa = 0, gamma = 0, Fz = 4000;
    bool contact = true;
    double w = 1, f = 1, vLong = 0, vLat = 0, gripT = 1, gripW = 1, surfaceSpeed = 0, omega = 50;
};

struct RefOutputs { double fx = 0, fy = 0, mz = 0, slipSpeed = 0, latNorm = 0; };

// The second form of the formula: D sin(C atan(Bx - E (Bx - atan Bx))).
double mf(double x, double B, double C, double D, double E)
{
    const double bx = B * x;
    return D * std::sin(C * std::atan(bx - E * (bx - std::atan(bx))));
}

// slipForces with per-unit-load stiffnesses (a / Fz and b / Fz); Fz cancels
// out of the normalised slips.
void refSlip(const RefParams& p, double stiffX, double stiffY, double Fz, double kappa, double alphaDeg,
             RefOutputs& o)
{
    if (Fz == 0.0) return;
    const double t = std::tan(alphaDeg * 0.017453292);
    const double latN = t * stiffY / p.latDivisor;
    const double longN = kappa * stiffX / p.longDivisor;
    o.latNorm = latN;
    const double s = std::hypot(latN, longN);
    const double mu = mf(s, p.RB, p.RC, p.RD, p.RE);
    const double r = stiffY * p.longDivisor / (stiffX * p.latDivisor);
    // k = r + (1 - r) (1 - cos(s/2)) / 2, the expression regrouped.
    const double k = s <= 6.2831855 ? r + (1.0 - r) * (1.0 - std::cos(0.5 * s)) * 0.5 : 1.0;
    const double n = std::hypot(k * t, kappa);
    if (n != 0.0) {
        o.fx = kappa * mu * Fz / n;
        o.fy = k * t * mu * Fz / n;
    }
}

RefOutputs refForces(const RefParams& p, const RefInputs& in)
{
    RefOutputs o;
    const double Fz = in.Fz;
    const double scale = 1.0 + (Fz - p.OPTIMALLOAD) * 1e-5;
    const double sx = p.STIFFX * scale, sy = p.STIFFY * scale;

    refSlip(p, sx, sy, Fz, 0.0, in.alpha, o);
    const double fy0 = o.fy;
    refSlip(p, sx, sy, Fz, in.kappa, in.alpha, o);
    double q = fy0 != 0.0 ? std::fabs(o.fy / fy0) : 0.0;  // our choice for the undefined q

    if (in.gamma != 0.0) {
        const double c = 1.0 - std::sin(std::fabs(in.gamma) * 0.0017453292);
        q *= c;
        if (fy0 != 0.0) {
            const double g = std::sin(in.gamma * 0.017453292) * p.STIFFG / (p.latDivisor * Fz);
            const double sa = in.alpha > 0 ? 1.0 : (in.alpha < 0 ? -1.0 : 0.0);
            const double d = 1.0 - sa * g;
            o.fy = (d * mf(o.latNorm / d, p.RB, p.RC, p.RD, p.RE) + g) * Fz * q;
            o.fx *= c;
        }
    }
    if (std::fabs(in.alpha) > 90.0) o.fy = -o.fy;

    if (std::fabs(in.omega) < 0.1) {
        refSlip(p, sx, sy, Fz, 0.0, 90.0, o);
        if (Fz != 0.0) {
            const double muS = std::fabs(o.fy) / std::fabs(Fz);
            o.fx = -muS * Fz * in.vLong / (std::fabs(in.vLong) + 0.05);
            o.fy = -muS * Fz * in.vLat / (std::fabs(in.vLat) + 0.05);
        }
    }

    if (Fz == 0.0) {
        o.fx = o.fy = 0.0;
    } else {
        const double L = std::max(0.0, 1.0 - (Fz - p.OPTIMALLOAD) * p.LOADSENS);
        o.fy *= L;
        o.fx *= L * p.XPEAK / p.RD * (in.kappa < 0.0 ? p.brakeFactor : 1.0);
        o.mz = mf(o.latNorm, p.alignB, p.alignC, p.alignD, p.alignE) * L * q * Fz;
    }
    o.slipSpeed = std::hypot(in.surfaceSpeed - in.vLong, in.vLat);

    const double v = std::hypot(in.vLong, in.vLat);
    const double fxS = v != 0.0 ? -in.vLong / v * Fz * p.slideFriction : 0.0;
    const double fyS = v != 0.0 ? -in.vLat / v * Fz * p.slideFriction : 0.0;
    if (in.contact) {
        const double grip = in.gripW * in.gripT;
        o.fx = ((1.0 - in.w) * in.f * fxS + in.w * o.fx) * grip;
        o.fy = ((1.0 - in.w) * in.f * fyS + in.w * o.fy) * grip;
        o.mz = in.w * o.mz * grip;
    }
    if (!(Fz > 0.0 && in.contact)) o.fx = o.fy = 0.0;
    return o;
}


// Every parameter, the ten the tyre file holds first and in file order.
constexpr std::pair<float CTyre::*, double RefParams::*> kParams[] = {
    {&CTyre::RB, &RefParams::RB}, {&CTyre::RC, &RefParams::RC}, {&CTyre::RD, &RefParams::RD},
    {&CTyre::RE, &RefParams::RE}, {&CTyre::STIFFX, &RefParams::STIFFX}, {&CTyre::STIFFY, &RefParams::STIFFY},
    {&CTyre::STIFFG, &RefParams::STIFFG}, {&CTyre::LOADSENS, &RefParams::LOADSENS},
    {&CTyre::OPTIMALLOAD, &RefParams::OPTIMALLOAD}, {&CTyre::XPEAK, &RefParams::XPEAK},
    {&CTyre::alignB, &RefParams::alignB}, {&CTyre::alignC, &RefParams::alignC},
    {&CTyre::alignD, &RefParams::alignD}, {&CTyre::alignE, &RefParams::alignE},
    {&CTyre::brakeFactor, &RefParams::brakeFactor}, {&CTyre::slideFriction, &RefParams::slideFriction},
    {&CTyre::longDivisor, &RefParams::longDivisor}, {&CTyre::latDivisor, &RefParams::latDivisor}};

void applyParams(CTyre& tyre, const RefParams& p)
{
    for (auto [field, ref] : kParams) tyre.*field = static_cast<float>(p.*ref);
}

// The first `count` parameters of kParams (10: the file's fields).
std::vector<float> params(const CTyre& t, std::size_t count = std::size(kParams))
{
    std::vector<float> values;
    for (std::size_t i = 0; i < count; ++i) values.push_back(t.*kParams[i].first);
    return values;
}

// The car's front tyre as the reference sees it (the car's loadTyres, before the file
// plus the bundled file's STIFFG and OPTIMALLOAD).
RefParams carFront()
{
    RefParams p;
    p.RB = 1.31, p.RC = 1.4, p.RD = 1.28, p.RE = -0.2, p.STIFFX = 15.0, p.STIFFY = 11.0;
    p.alignB = 0.85, p.alignC = 2.3, p.alignD = 0.51, p.alignE = -2.75, p.LOADSENS = 7.91e-5, p.XPEAK = 1.6;
    return p;
}

// Applies p unless `constructed`, where the constructor's values stand for it.
CTyre run(const RefParams& p, const RefInputs& in, bool constructed = false)
{
    CTyre t;
    if (!constructed) applyParams(t, p);
    const auto f = [](double v) { return static_cast<float>(v); };
    t.setInputs(f(in.alpha), f(in.kappa), f(in.gamma), f(in.Fz), in.contact, f(in.w), f(in.f), f(in.vLong),
                f(in.vLat), f(in.gripT), f(in.gripW), f(in.surfaceSpeed), 0.0f, f(in.omega), false);
    t.computeForces();
    return t;
}

// Float against double: a relative part, and an absolute part that scales
// with the load (for the cancellations near L = 0 and near zero slip).
double tolerance(double ref, double Fz) { return 2e-4 * std::fabs(ref) + 1e-5 * std::fabs(Fz) + 1e-3; }

std::string describe(const RefInputs& in)
{
    return testing::PrintToString(std::vector<double>{in.alpha, in.kappa, in.gamma, in.Fz, double(in.contact), in.w,
                                                      in.f, in.vLong, in.vLat, in.gripT, in.gripW, in.omega});
}

// A tyre with the constructor's parameters.
CTyre fresh(const RefInputs& in) { return run(RefParams(), in, true); }

void expectMatches(const RefParams& p, const RefInputs& in, bool constructed = false)
{
    const CTyre t = run(p, in, constructed);
    const RefOutputs r = refForces(p, in);
    SCOPED_TRACE(describe(in));
    EXPECT_NEAR(t.forceLong, r.fx, tolerance(r.fx, in.Fz));
    EXPECT_NEAR(t.forceLat, r.fy, tolerance(r.fy, in.Fz));
    EXPECT_NEAR(t.alignMoment, r.mz, tolerance(r.mz, in.Fz));
    EXPECT_NEAR(t.slipSpeed, r.slipSpeed, 1e-5 * r.slipSpeed + 1e-5);
    EXPECT_TRUE(std::isfinite(t.forceLong) && std::isfinite(t.forceLat) && std::isfinite(t.alignMoment));
}

}  // namespace

// Catches a swapped getOutputs, a model that reads carSpeed or the brake flag,
// and load scaling written back into the stored stiffnesses.
TEST(Tyre, OutputsIgnoreCarSpeedAndBrakeFlagAndLeaveTheStiffnesses)
{
    CTyre a, b;
    a.setInputs(6, 0.1f, 2, 4000, true, 0.8f, 0.9f, 20, 2, 1, 1, 22, 0, 60, false);
    b.setInputs(6, 0.1f, 2, 4000, true, 0.8f, 0.9f, 20, 2, 1, 1, 22, 55, 60, true);
    a.computeForces();
    b.computeForces();
    float fx, fy, mz, slip;
    b.getOutputs(fx, fy, mz, slip);
    EXPECT_EQ(std::vector<float>({fx, fy, mz, slip}),
              std::vector<float>({a.forceLong, a.forceLat, a.alignMoment, a.slipSpeed}));
    EXPECT_EQ(a.STIFFX, 14.54f);
    EXPECT_EQ(a.STIFFY, 18.6f);
}

TEST(Tyre, MagicFormulaBothFormsAgree)
{
    for (double x : {-50.0, -3.0, -0.4, 0.0, 0.01, 0.7, 1.5, 4.0, 30.0, 1e6}) {
        const double ref = mf(x, 1.31, 1.4, 1.28, -0.2);
        EXPECT_NEAR(CTyre::magicFormula(static_cast<float>(x), 1.31f, 1.4f, 1.28f, -0.2f), ref,
                    1e-6 + 1e-6 * std::fabs(ref));
    }
    EXPECT_EQ(CTyre::magicFormula(0.0f, 1.01f, 1.6f, 1.028f, 0.2f), 0.0f);
}

TEST(TyreSlipForces, ZeroLoadOrZeroCombinedSlipKeepsThePreviousForces)
{
    for (float load : {0.0f, 3000.0f}) {
        CTyre t;
        t.load = load;
        t.forceLong = 11, t.forceLat = 22, t.lateralSlipNorm = 33;
        t.slipForces(load == 0 ? 0.1f : 0.0f, load == 0 ? 5.0f : 0.0f);
        EXPECT_EQ(std::vector<float>({t.forceLong, t.forceLat, t.lateralSlipNorm}),
                  std::vector<float>({11, 22, load == 0 ? 33.0f : 0.0f})) << load;
    }
}

TEST(TyreSlipForces, MatchesTheReferenceOverCombinedSlip)
{
    const RefParams p;
    for (double Fz : {500.0, 6000.0})
        for (double alpha : {-60.0, -7.0, 0.0, 0.5, 12.0, 89.0, 90.0, 120.0})
            for (double kappa : {-0.8, -0.1, 0.0, 0.02, 1.0}) {
                CTyre t;
                t.load = static_cast<float>(Fz);
                t.slipForces(static_cast<float>(kappa), static_cast<float>(alpha));
                RefOutputs r;
                refSlip(p, p.STIFFX, p.STIFFY, Fz, kappa, alpha, r);
                SCOPED_TRACE(describe({alpha, kappa, 0, Fz}));
                EXPECT_NEAR(t.forceLong, r.fx, tolerance(r.fx, Fz));
                EXPECT_NEAR(t.forceLat, r.fy, tolerance(r.fy, Fz));
                EXPECT_NEAR(t.lateralSlipNorm, r.latNorm, 2e-6 * std::fabs(r.latNorm) + 1e-6);
            }
}

TEST(TyreSlipForces, NinetyDegreesAndTheShapeFactorsLimits)
{
    // Step 5 of the force law: 90 * 0.017453292 lies just below pi/2, a large
    // positive slip rather than a pole; mu is then D sin(C pi/2) nearly.
    CTyre t;
    t.load = 4000;
    t.slipForces(0, 90);
    EXPECT_GT(t.lateralSlipNorm, 1e7);
    EXPECT_TRUE(std::isfinite(t.lateralSlipNorm));
    EXPECT_EQ(t.forceLong, 0);
    EXPECT_NEAR(t.forceLat / 4000.0, 1.028 * std::sin(1.6 * M_PI / 2), 1e-4);

    // Small slips: Fy / Fx = t k / kappa with k -> r = STIFFY / STIFFX.
    t.load = 2450;
    const float kappa = 1e-4f, alpha = 0.005f;
    t.slipForces(kappa, alpha);
    const double tanA = std::tan(alpha * 0.017453292);
    EXPECT_NEAR(t.forceLat / t.forceLong, tanA / kappa * (18.6 / 14.54), 1e-3 * tanA / kappa);
    // Beyond s = 2 pi (here kappa * STIFFX = 7.27): k = 1.
    t.slipForces(0.5f, 3.0f);
    EXPECT_NEAR(t.forceLat / t.forceLong, std::tan(3.0 * 0.017453292) / 0.5, 1e-5);
}

// The default set runs on a freshly constructed tyre, so this also checks the
// constructor's parameters.
TEST(TyreComputeForces, MatchesTheReferenceAcrossLoadsSlipsAndCambers)
{
    const RefParams defaults, front = carFront();
    for (const RefParams* p : {&defaults, &front})
        for (double Fz : {150.0, 2450.0, 9000.0, 16000.0})
            for (double alpha : {-30.0, -4.0, 0.0, 2.0, 25.0, 90.0})
                for (double kappa : {-0.5, -0.06, 0.0, 0.08, 0.3})
                    for (double gamma : {-4.0, 0.0, 2.5})
                        expectMatches(*p, {alpha, kappa, gamma, Fz, true, 1, 1, 20, -1.5, 1, 1, 20 * (1 + kappa)},
                                      p == &defaults);
}

TEST(TyreComputeForces, SlipAngleBeyondNinetyDegreesFlipsTheLateralForce)
{
    const RefParams p = carFront();
    for (double alpha : {95.0, 135.0, 170.0, -100.0, -150.0})
        for (double kappa : {0.0, 0.1}) expectMatches(p, {.alpha = alpha, .kappa = kappa});
    // tan(100 deg) = -tan(80 deg): the flip gives 100 degrees the lateral
    // force of 80 degrees, not its opposite.
    const CTyre at80 = run(p, {.alpha = 80}), at100 = run(p, {.alpha = 100});
    EXPECT_GT(at80.forceLat, 0);
    EXPECT_NEAR(at100.forceLat, at80.forceLat, 1e-3 * at80.forceLat);
}

TEST(TyreComputeForces, LowWheelSpeedSlidesAgainstThePatchVelocity)
{
    const RefParams p = carFront();
    for (double omega : {0.0, 0.05, -0.099})
        for (double alpha : {0.0, 5.0, -20.0})
            for (double kappa : {0.0, -1.0})
                expectMatches(p, {.alpha = alpha, .kappa = kappa, .vLong = 2, .vLat = -0.7, .omega = omega});
    expectMatches(p, {.alpha = 5, .vLong = 3, .vLat = -2, .omega = 0.1});  // |omega| = 0.1 is not low
    const CTyre t = run(p, {.vLong = 3, .vLat = -2, .omega = 0});
    EXPECT_LT(t.forceLong, 0);
    EXPECT_GT(t.forceLat, 0);
    // At rest no force at all; with zero slip angle q is 0 (our choice), so no
    // aligning moment either although step 5 leaves the 90-degree slip behind.
    const CTyre rest = run(p, {.omega = 0});
    EXPECT_EQ(std::vector<float>({rest.forceLong, rest.forceLat, rest.alignMoment}), std::vector<float>(3, 0.0f));
    EXPECT_GT(rest.lateralSlipNorm, 1e7);
}

// Surface blend and friction, grip factors, divisors and slide friction.
TEST(TyreComputeForces, BlendGripDivisorsAndSlideFrictionMatchTheReference)
{
    RefParams p = carFront();
    for (double w : {0.0, 0.3, 0.75})
        for (double f : {0.6, 1.0})
            expectMatches(p, {.alpha = 6, .kappa = 0.04, .w = w, .f = f, .vLong = 15, .vLat = -1.6, .gripT = 0.9,
                              .gripW = w == 0.3 ? 0.8 : 1.0, .surfaceSpeed = 15.6});
    expectMatches(RefParams(), {.alpha = 6, .w = 0.3, .f = 0.6, .vLong = 15, .vLat = -1.6}, true);  // slideFriction
    // A rolling wheel with w < 1 still gets (1 - w) f of the sliding force,
    // opposing the patch velocity.
    const CTyre t = run(p, {.w = 0.4, .f = 0.7, .vLong = 10, .surfaceSpeed = 10});
    EXPECT_NEAR(t.forceLong, -(1 - 0.4) * 0.7 * 4000, 1e-2);
    EXPECT_EQ(t.forceLat, 0);
    EXPECT_EQ(t.alignMoment, 0);

    p.longDivisor = 1.3, p.latDivisor = 0.8, p.slideFriction = 0.9;
    for (double gamma : {0.0, 3.0})
        expectMatches(p, {.alpha = 5, .kappa = 0.07, .gamma = gamma, .w = 0.5, .vLong = 12, .vLat = 1});
}

TEST(TyreComputeForces, CamberThrustNeedsALateralSlip)
{
    const RefParams p = carFront();
    for (double gamma : {-6.0, -1.0, 1.0, 6.0})
        for (double alpha : {-5.0, 0.0, 1.0, 10.0}) expectMatches(p, {.alpha = alpha, .kappa = 0.05, .gamma = gamma});
    // Fy0 = 0 at zero slip angle: camber changes nothing there.
    const CTyre t = run(p, {.gamma = 5});
    EXPECT_EQ(std::vector<float>({t.forceLong, t.forceLat, t.alignMoment}), std::vector<float>(3, 0.0f));
}

TEST(TyreEdgeCases, NoForceAtZeroLoadOrZeroSlipOrOutOfContact)
{
    const RefInputs noForce[] = {
        {.alpha = 8, .kappa = 0.2, .gamma = 3, .Fz = 0, .w = 0.5, .vLong = 10, .vLat = 2, .surfaceSpeed = 12},
        {.alpha = 8, .kappa = 0.2, .gamma = 3, .Fz = 0, .vLong = 1, .vLat = 1, .omega = 0},  // no 0/0 at rest
        {.vLong = 20, .surfaceSpeed = 20},                                                     // full blend
    };
    for (const RefInputs& in : noForce) {
        const CTyre t = fresh(in);
        EXPECT_EQ(std::vector<float>({t.forceLong, t.forceLat, t.alignMoment}), std::vector<float>(3, 0.0f))
            << describe(in);
    }
    // Out of contact Mz keeps the value of step 6 (no blend or grip).
    const RefParams p = carFront();
    const RefInputs air{.alpha = 6, .kappa = 0.1, .gamma = 2, .contact = false, .vLong = 10, .vLat = 1};
    const CTyre t = run(p, air);
    EXPECT_EQ(t.forceLong, 0);
    EXPECT_EQ(t.forceLat, 0);
    EXPECT_NE(t.alignMoment, 0);
    expectMatches(p, air);
}

TEST(TyreEdgeCases, AtOptimalLoadTheLateralForceIsThePlainMagicFormula)
{
    // sign(alpha) MF(|tan alpha| STIFFY) Fz with the defaults, worked out by
    // hand: tan 5 deg = 0.0874887, x 18.6 = 1.627289, MF = 1.027935, x 2450.
    const std::pair<double, double> worked[] = {{5.0, 2518.4398}, {-12.0, -2219.5575}};
    for (const auto& [alpha, expected] : worked) {
        const CTyre t = fresh({.alpha = alpha, .Fz = 2450, .omega = 0.1});
        EXPECT_NEAR(t.forceLat, expected, 0.02) << alpha;
        EXPECT_EQ(t.forceLong, 0);
    }
}

TEST(TyreEdgeCases, LoadSensitivityFallsToZeroAndNeverChangesSign)
{
    // L = 0 from OPTIMALLOAD + 1 / LOADSENS = 18173.27 N with the defaults;
    // below it friction per newton falls with load.
    double previousRatio = 2.0;
    for (double Fz : {2450.0, 5000.0, 10000.0, 15000.0, 18000.0, 18173.0}) {
        const RefInputs in{.alpha = 6, .kappa = 0.05, .Fz = Fz};
        expectMatches(RefParams(), in, true);
        const CTyre t = fresh(in);
        const double ratio = std::hypot(t.forceLong, t.forceLat) / Fz;
        EXPECT_GT(t.forceLat, 0) << Fz;
        EXPECT_LT(ratio, previousRatio) << Fz;
        previousRatio = ratio;
    }
    for (double Fz : {18174.0, 50000.0, 1e6})
        for (double alpha : {6.0, -6.0}) {
            const RefInputs in{alpha, 0.05, 1, Fz, true, 1, 1, 20, 1, 1, 1, 21};
            const CTyre t = fresh(in);
            EXPECT_EQ(std::vector<float>({t.forceLong, t.forceLat, t.alignMoment}), std::vector<float>(3, 0.0f))
                << describe(in);
        }
}

TEST(TyreEdgeCases, BrakingGivesFivePercentMoreLongitudinalForce)
{
    for (double alpha : {0.0, 4.0})
        for (double kappa : {0.03, 0.1, 0.6}) {
            const CTyre drive = fresh({.alpha = alpha, .kappa = kappa, .vLong = 20, .surfaceSpeed = 21});
            const CTyre brake = fresh({.alpha = alpha, .kappa = -kappa, .vLong = 20, .surfaceSpeed = 19});
            EXPECT_GT(drive.forceLong, 0);
            EXPECT_NEAR(brake.forceLong, -1.05 * drive.forceLong, 1e-4 * drive.forceLong) << kappa;
            EXPECT_FLOAT_EQ(brake.forceLat, drive.forceLat);
        }
}

TEST(TyreEdgeCases, LongitudinalForceIsScaledByXpeakOverRdAndSlipSpeedIsThePatchSpeed)
{
    RefParams p;
    const RefInputs in{.alpha = 2, .kappa = 0.1, .vLong = 20, .surfaceSpeed = 22};
    const CTyre a = fresh(in);
    p.XPEAK *= 2;
    const CTyre b = run(p, in);
    EXPECT_NEAR(b.forceLong, 2.0 * a.forceLong, 1e-4 * std::fabs(a.forceLong));
    EXPECT_EQ(b.forceLat, a.forceLat);
    EXPECT_FLOAT_EQ(fresh({.vLong = 10, .vLat = 3, .surfaceSpeed = 14}).slipSpeed, 5.0f);  // sqrt(4^2 + 3^2)
}

TEST(TyreEdgeCases, NoNanFromFiniteInputs)
{
    // A coarse sweep of everything, including the corners.
    const RefParams p = carFront();
    for (double Fz : {0.0, 1.4e-45, 1e-40, 1e-36, 1e-3, 1.0, 4000.0, 30000.0, 1e7})
        for (double alpha : {-90.0, -1e-4, 0.0, 1e-4, 90.0, 179.0})
            for (double kappa : {-1.0, 0.0, 1e-6, 5.0})
                for (double gamma : {-10.0, 0.0, 1e-3, 10.0})
                    for (double omega : {0.0, 50.0})
                        for (double v : {0.0, 30.0}) {
                            const RefInputs in{alpha, kappa, gamma, Fz, true, 0.5, 1, v, v / 10, 1, 1, 0, omega};
                            const CTyre t = run(p, in);
                            ASSERT_TRUE(std::isfinite(t.forceLong) && std::isfinite(t.forceLat) &&
                                        std::isfinite(t.alignMoment) && std::isfinite(t.slipSpeed))
                                << describe(in);
                        }
}

namespace {

constexpr int kSkippedWords[] = {0, 1, 3, 5, 8, 11, 16};
// Word i holds 100 + i, so each field shows which offset it came from; the
// ten fields then read 102, 104, 106, 107, 109, 110, 112, 113, 114, 115.
const std::vector<float> kNumberedWords = [] {
    std::vector<float> words;
    for (int i = 0; i < 17; ++i) words.push_back(100.0f + static_cast<float>(i));
    return words;
}();
const std::vector<float> kNumberedFields = {102, 104, 106, 107, 109, 110, 112, 113, 114, 115};

std::vector<unsigned char> littleEndian(const std::vector<float>& words)
{
    std::vector<unsigned char> bytes;
    for (float w : words) {
        std::uint32_t bits;
        std::memcpy(&bits, &w, 4);
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    }
    return bytes;
}

std::vector<unsigned char> readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TyreFile : public ::testing::Test {
protected:
    // Writes the words little-endian, cut to or padded with 0xFF up to `size` bytes.
    fs::path write(const std::string& name, const std::vector<float>& words, std::size_t size = 68) const
    {
        std::vector<unsigned char> bytes = littleEndian(words);
        bytes.resize(size, 0xFF);
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return dir / name;
    }
    static std::string load(CTyre& t, const fs::path& file, bool expectRead)
    {
        testing::internal::CaptureStdout();
        EXPECT_EQ(t.loadFile(file.string()), expectRead) << file;
        return testing::internal::GetCapturedStdout();
    }
    TempDir dir;
};

}  // namespace

// A longer file gives its first record; nothing but the ten fields changes.
TEST_F(TyreFile, ReadsTheTenFieldsFromTheirOffsets)
{
    CTyre t;
    t.alignB = 9.0f;
    CTyre expected = t;
    for (std::size_t i = 0; i < 10; ++i) expected.*kParams[i].first = kNumberedFields[i];
    EXPECT_EQ(load(t, write("t.vqt", kNumberedWords, 100), true), "");
    EXPECT_EQ(params(t), params(expected));
}

TEST_F(TyreFile, AShortOrMissingFileIsReportedAndChangesNothing)
{
    for (std::size_t size : {0u, 12u, 40u, 67u}) {
        const fs::path file = write("short" + std::to_string(size) + ".vqt", kNumberedWords, size);
        CTyre t;
        setSolviTyreParameters(t, true);
        const CTyre before = t;
        EXPECT_EQ(load(t, file, false), "CTyre::loadFile : cannot read tyre file " + file.string() + " (" +
                                            std::to_string(size) + " of 68 bytes), keeping defaults\n");
        EXPECT_EQ(params(t), params(before)) << "a short file was half-applied";
    }
    CTyre t;
    EXPECT_EQ(load(t, dir / "none.vqt", false),
              "CTyre::loadFile : cannot open tyre file " + (dir / "none.vqt").string() + ", keeping defaults\n");
    EXPECT_EQ(params(t), params(CTyre()));
}

TEST_F(TyreFile, SaveWritesTheExactLayout)
{
    CTyre t;
    for (std::size_t i = 0; i < 10; ++i) t.*kParams[i].first = kNumberedFields[i];
    ASSERT_TRUE(t.save((dir / "t.vqt").string()));
    std::vector<float> expected = kNumberedWords;
    for (int skipped : kSkippedWords) expected[skipped] = 0.0f;
    EXPECT_EQ(readBytes(dir / "t.vqt"), littleEndian(expected));
    EXPECT_FALSE(t.save((dir / "no/such/folder/t.vqt").string()));
}

// The bundled files and the car's code give each tyre the reference's values.
TEST(TyreFileBundled, TheCarsTyresGetItsValuesThenTheFile)
{
    for (bool front : {true, false}) {
        const fs::path path = fs::path(SOLVI_DATA_DIR) / (front ? kSolviFrontTyreFile : kSolviRearTyreFile);
        const std::vector<unsigned char> bytes = readBytes(path);
        ASSERT_EQ(bytes.size(), 68u) << path;
        for (int skipped : kSkippedWords)
            for (int i = 0; i < 4; ++i) EXPECT_EQ(bytes[4 * skipped + i], 0) << path << " word " << skipped;
        CTyre t, expected;
        ASSERT_TRUE(loadSolviTyre(t, front, SOLVI_DATA_DIR));
        RefParams p = carFront();
        if (!front) p.RD = 1.35;
        applyParams(expected, p);
        EXPECT_EQ(params(t), params(expected)) << path;
    }
}
