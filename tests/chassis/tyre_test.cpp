// The tyre force law against an independent reference written out
// here in double precision, step by step and in other but equivalent forms;
// the worked examples; and the 68-byte tyre file.

#include <cmath>
#include <cstdint>
#include <cstdio>
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

// ---------------------------------------------------------------------------
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

struct RefOutputs {
    double fx = 0, fy = 0, mz = 0, slipSpeed = 0, latNorm = 0;
};

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

// ---------------------------------------------------------------------------

void applyParams(CTyre& tyre, const RefParams& p)
{
    tyre.RB = static_cast<float>(p.RB);
    tyre.RC = static_cast<float>(p.RC);
    tyre.RD = static_cast<float>(p.RD);
    tyre.RE = static_cast<float>(p.RE);
    tyre.STIFFX = static_cast<float>(p.STIFFX);
    tyre.STIFFY = static_cast<float>(p.STIFFY);
    tyre.STIFFG = static_cast<float>(p.STIFFG);
    tyre.LOADSENS = static_cast<float>(p.LOADSENS);
    tyre.OPTIMALLOAD = static_cast<float>(p.OPTIMALLOAD);
    tyre.XPEAK = static_cast<float>(p.XPEAK);
    tyre.alignB = static_cast<float>(p.alignB);
    tyre.alignC = static_cast<float>(p.alignC);
    tyre.alignD = static_cast<float>(p.alignD);
    tyre.alignE = static_cast<float>(p.alignE);
    tyre.brakeFactor = static_cast<float>(p.brakeFactor);
    tyre.slideFriction = static_cast<float>(p.slideFriction);
    tyre.longDivisor = static_cast<float>(p.longDivisor);
    tyre.latDivisor = static_cast<float>(p.latDivisor);
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

CTyre run(const RefParams& p, const RefInputs& in)
{
    CTyre tyre;
    applyParams(tyre, p);
    tyre.setInputs(static_cast<float>(in.alpha), static_cast<float>(in.kappa), static_cast<float>(in.gamma),
                   static_cast<float>(in.Fz), in.contact, static_cast<float>(in.w), static_cast<float>(in.f),
                   static_cast<float>(in.vLong), static_cast<float>(in.vLat), static_cast<float>(in.gripT),
                   static_cast<float>(in.gripW), static_cast<float>(in.surfaceSpeed), 0.0f,
                   static_cast<float>(in.omega), false);
    tyre.computeForces();
    return tyre;
}

// Float against double: a relative part, and an absolute part that scales
// with the load (for the cancellations near L = 0 and near zero slip).
double tolerance(double ref, double Fz) { return 2e-4 * std::fabs(ref) + 1e-5 * std::fabs(Fz) + 1e-3; }

void expectMatches(const RefParams& p, const RefInputs& in, const std::string& what)
{
    const CTyre t = run(p, in);
    const RefOutputs r = refForces(p, in);
    SCOPED_TRACE(what);
    EXPECT_NEAR(t.forceLong, r.fx, tolerance(r.fx, in.Fz));
    EXPECT_NEAR(t.forceLat, r.fy, tolerance(r.fy, in.Fz));
    EXPECT_NEAR(t.alignMoment, r.mz, tolerance(r.mz, in.Fz));
    EXPECT_NEAR(t.slipSpeed, r.slipSpeed, 1e-5 * r.slipSpeed + 1e-5);
    EXPECT_TRUE(std::isfinite(t.forceLong) && std::isfinite(t.forceLat) && std::isfinite(t.alignMoment));
}

std::string describe(const RefInputs& in)
{
    char text[256];
    std::snprintf(text, sizeof text, "alpha %g kappa %g gamma %g Fz %g contact %d w %g omega %g v (%g, %g)",
                  in.alpha, in.kappa, in.gamma, in.Fz, in.contact ? 1 : 0, in.w, in.omega, in.vLong, in.vLat);
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------
// Defaults and interface

TEST(Tyre, ConstructorDefaultsAndXpeakFromRd)
{
    const CTyre t;
    EXPECT_FLOAT_EQ(t.RB, 1.01f);
    EXPECT_FLOAT_EQ(t.RC, 1.6f);
    EXPECT_FLOAT_EQ(t.RD, 1.028f);
    EXPECT_FLOAT_EQ(t.RE, 0.2f);
    EXPECT_FLOAT_EQ(t.STIFFX, 14.54f);
    EXPECT_FLOAT_EQ(t.STIFFY, 18.6f);
    EXPECT_FLOAT_EQ(t.STIFFG, 2000.0f);
    EXPECT_FLOAT_EQ(t.LOADSENS, 6.36e-5f);
    EXPECT_FLOAT_EQ(t.OPTIMALLOAD, 2450.0f);
    EXPECT_EQ(t.XPEAK, t.RD);
    EXPECT_FLOAT_EQ(t.alignB, 0.65f);
    EXPECT_FLOAT_EQ(t.alignC, 2.1f);
    EXPECT_FLOAT_EQ(t.alignD, 0.51f);
    EXPECT_FLOAT_EQ(t.alignE, -1.75f);
    EXPECT_FLOAT_EQ(t.brakeFactor, 1.05f);
    EXPECT_FLOAT_EQ(t.slideFriction, 1.0f);
    EXPECT_FLOAT_EQ(t.longDivisor, 1.0f);
    EXPECT_FLOAT_EQ(t.latDivisor, 1.0f);
}

TEST(Tyre, SetInputsTakesTheFifteenValuesInTheTablesOrder)
{
    CTyre t;
    t.setInputs(1, 2, 3, 4, true, 5, 6, 7, 8, 9, 10, 11, 12, 13, true);
    EXPECT_EQ(t.slipAngle, 1);
    EXPECT_EQ(t.slipRatio, 2);
    EXPECT_EQ(t.camber, 3);
    EXPECT_EQ(t.load, 4);
    EXPECT_TRUE(t.inContact);
    EXPECT_EQ(t.surfaceBlend, 5);
    EXPECT_EQ(t.surfaceFriction, 6);
    EXPECT_EQ(t.vLong, 7);
    EXPECT_EQ(t.vLat, 8);
    EXPECT_EQ(t.gripTemperature, 9);
    EXPECT_EQ(t.gripWear, 10);
    EXPECT_EQ(t.surfaceSpeed, 11);
    EXPECT_EQ(t.carSpeed, 12);
    EXPECT_EQ(t.wheelSpeed, 13);
    EXPECT_TRUE(t.braking);

    t.forceLong = 1, t.forceLat = 2, t.alignMoment = 3, t.slipSpeed = 4;
    float fx, fy, mz, slip;
    t.getOutputs(fx, fy, mz, slip);
    EXPECT_EQ(fx, 1);
    EXPECT_EQ(fy, 2);
    EXPECT_EQ(mz, 3);
    EXPECT_EQ(slip, 4);
}

TEST(Tyre, CarSpeedAndBrakeFlagDoNotChangeTheForces)
{
    CTyre a, b;
    a.setInputs(6, 0.1f, 2, 4000, true, 0.8f, 0.9f, 20, 2, 1, 1, 22, 0, 60, false);
    b.setInputs(6, 0.1f, 2, 4000, true, 0.8f, 0.9f, 20, 2, 1, 1, 22, 55, 60, true);
    a.computeForces();
    b.computeForces();
    EXPECT_EQ(a.forceLong, b.forceLong);
    EXPECT_EQ(a.forceLat, b.forceLat);
    EXPECT_EQ(a.alignMoment, b.alignMoment);
    EXPECT_EQ(a.slipSpeed, b.slipSpeed);
}

TEST(Tyre, ComputeForcesLeavesTheStiffnessesAsTheyWere)
{
    CTyre t;
    t.setInputs(5, 0.05f, 1, 7000, true, 1, 1, 10, 1, 1, 1, 10.5f, 0, 30, false);
    t.computeForces();
    EXPECT_EQ(t.STIFFX, 14.54f);
    EXPECT_EQ(t.STIFFY, 18.6f);
}

TEST(Tyre, MagicFormulaBothFormsAgree)
{
    for (double x : {-50.0, -3.0, -0.4, 0.0, 0.01, 0.7, 1.5, 4.0, 30.0, 1e6}) {
        const double ref = mf(x, 1.31, 1.4, 1.28, -0.2);
        EXPECT_NEAR(CTyre::magicFormula(static_cast<float>(x), 1.31f, 1.4f, 1.28f, -0.2f), ref, 1e-6 + 1e-6 * std::fabs(ref));
    }
    EXPECT_EQ(CTyre::magicFormula(0.0f, 1.01f, 1.6f, 1.028f, 0.2f), 0.0f);
}

// ---------------------------------------------------------------------------
// slipForces

TEST(TyreSlipForces, DoesNothingAtZeroLoad)
{
    CTyre t;
    t.load = 0;
    t.forceLong = 11, t.forceLat = 22, t.lateralSlipNorm = 33;
    t.slipForces(0.1f, 5);
    EXPECT_EQ(t.forceLong, 11);
    EXPECT_EQ(t.forceLat, 22);
    EXPECT_EQ(t.lateralSlipNorm, 33);
}

TEST(TyreSlipForces, ZeroCombinedSlipKeepsThePreviousForces)
{
    CTyre t;
    t.load = 3000;
    t.forceLong = 11, t.forceLat = 22;
    t.slipForces(0, 0);
    EXPECT_EQ(t.forceLong, 11);
    EXPECT_EQ(t.forceLat, 22);
    EXPECT_EQ(t.lateralSlipNorm, 0);
}

TEST(TyreSlipForces, MatchesTheReferenceOverCombinedSlip)
{
    const RefParams p;
    for (double Fz : {500.0, 2450.0, 6000.0}) {
        for (double alpha : {-60.0, -7.0, 0.0, 0.5, 4.0, 12.0, 45.0, 89.0, 90.0, 120.0}) {
            for (double kappa : {-0.8, -0.1, 0.0, 0.02, 0.15, 1.0}) {
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
    }
}

TEST(TyreSlipForces, NinetyDegreesGivesALargePositiveSlipNotAPole)
{
    // Step 5 of the force law: 90 * 0.017453292 lies just below pi/2.
    CTyre t;
    t.load = 4000;
    t.slipForces(0, 90);
    EXPECT_GT(t.lateralSlipNorm, 1e7);
    EXPECT_TRUE(std::isfinite(t.lateralSlipNorm));
    EXPECT_GT(t.forceLat, 0);
    EXPECT_EQ(t.forceLong, 0);
    // mu is the Magic Formula at a very large slip: D sin(C pi/2) nearly.
    EXPECT_NEAR(t.forceLat / 4000.0, 1.028 * std::sin(1.6 * M_PI / 2), 1e-4);
}

TEST(TyreSlipForces, ShapeFactorIsTheStiffnessRatioAtSmallSlipAndOneBeyondTwoPi)
{
    CTyre t;
    t.load = 2450;
    // Small slips: Fy / Fx = t k / kappa with k -> r = STIFFY / STIFFX.
    const float kappa = 1e-4f;
    const float alpha = 0.005f;
    t.slipForces(kappa, alpha);
    const double tanA = std::tan(alpha * 0.017453292);
    EXPECT_NEAR(t.forceLat / t.forceLong, tanA / kappa * (18.6 / 14.54), 1e-3 * tanA / kappa);
    // Beyond s = 2 pi (here kappa * STIFFX = 7.27): k = 1.
    t.slipForces(0.5f, 3.0f);
    EXPECT_NEAR(t.forceLat / t.forceLong, std::tan(3.0 * 0.017453292) / 0.5, 1e-5);
}

// ---------------------------------------------------------------------------
// computeForces against the reference

TEST(TyreComputeForces, MatchesTheReferenceAcrossLoadsSlipsAndCambers)
{
    const RefParams params[] = {RefParams(), carFront()};
    for (const RefParams& p : params) {
        for (double Fz : {150.0, 2450.0, 4000.0, 9000.0, 16000.0}) {
            for (double alpha : {-30.0, -4.0, 0.0, 2.0, 7.5, 25.0, 90.0}) {
                for (double kappa : {-0.5, -0.06, 0.0, 0.08, 0.3}) {
                    for (double gamma : {-4.0, 0.0, 2.5}) {
                        RefInputs in;
                        in.alpha = alpha, in.kappa = kappa, in.gamma = gamma, in.Fz = Fz;
                        in.vLong = 20, in.vLat = -1.5, in.surfaceSpeed = 20 * (1 + kappa);
                        expectMatches(p, in, describe(in));
                    }
                }
            }
        }
    }
}

TEST(TyreComputeForces, SlipAngleBeyondNinetyDegreesFlipsTheLateralForce)
{
    const RefParams p = carFront();
    for (double alpha : {95.0, 100.0, 135.0, 170.0, -100.0, -150.0}) {
        for (double kappa : {0.0, 0.1}) {
            RefInputs in;
            in.alpha = alpha, in.kappa = kappa;
            expectMatches(p, in, describe(in));
        }
    }
    // tan(100 deg) = -tan(80 deg): the flip gives 100 degrees the lateral
    // force of 80 degrees, not its opposite.
    RefInputs a, b;
    a.alpha = 80, b.alpha = 100;
    const CTyre ta = run(p, a), tb = run(p, b);
    EXPECT_GT(ta.forceLat, 0);
    EXPECT_NEAR(tb.forceLat, ta.forceLat, 1e-3 * ta.forceLat);
}

TEST(TyreComputeForces, LowWheelSpeedSlidesAgainstThePatchVelocity)
{
    const RefParams p = carFront();
    for (double omega : {0.0, 0.05, -0.099}) {
        for (double alpha : {0.0, 5.0, -20.0}) {
            for (double kappa : {0.0, -1.0}) {
                RefInputs in;
                in.omega = omega, in.alpha = alpha, in.kappa = kappa, in.vLong = 2.0, in.vLat = -0.7;
                expectMatches(p, in, describe(in));
            }
        }
    }
    // Opposes the patch velocity; at rest (v = 0) there is no force at all.
    RefInputs in;
    in.omega = 0, in.vLong = 3, in.vLat = -2;
    const CTyre t = run(p, in);
    EXPECT_LT(t.forceLong, 0);
    EXPECT_GT(t.forceLat, 0);
    in.vLong = in.vLat = 0;
    const CTyre rest = run(p, in);
    EXPECT_EQ(rest.forceLong, 0);
    EXPECT_EQ(rest.forceLat, 0);
    // With zero slip angle q is 0 (our choice), so a standing wheel has no
    // aligning moment although step 5 leaves the 90-degree slip behind.
    EXPECT_EQ(rest.alignMoment, 0);
    EXPECT_GT(rest.lateralSlipNorm, 1e7);
    // |omega| = 0.1 is not low.
    in.omega = 0.1, in.alpha = 5, in.vLong = 3, in.vLat = -2;
    expectMatches(p, in, "omega exactly 0.1");
}

TEST(TyreComputeForces, SurfaceBlendBelowOneMixesInThePureSlidingForce)
{
    const RefParams p = carFront();
    for (double w : {0.0, 0.3, 0.75}) {
        for (double f : {0.6, 1.0}) {
            RefInputs in;
            in.w = w, in.f = f, in.alpha = 6, in.kappa = 0.04, in.vLong = 15, in.vLat = -1.6,
            in.surfaceSpeed = 15.6;
            expectMatches(p, in, describe(in) + " f " + std::to_string(f));
        }
    }
    // A rolling wheel with w < 1 still gets (1 - w) f of the
    // sliding force, opposing the patch velocity.
    RefInputs in;
    in.w = 0.4, in.f = 0.7, in.vLong = 10, in.vLat = 0, in.surfaceSpeed = 10;
    const CTyre t = run(p, in);
    EXPECT_NEAR(t.forceLong, -(1 - 0.4) * 0.7 * 4000, 1e-2);
    EXPECT_EQ(t.forceLat, 0);
    EXPECT_EQ(t.alignMoment, 0);
}

TEST(TyreComputeForces, GripFactorsScaleAllThree)
{
    const RefParams p = carFront();
    RefInputs in;
    in.alpha = 4, in.kappa = 0.05, in.gamma = 1, in.gripT = 0.9, in.gripW = 0.8;
    expectMatches(p, in, describe(in));
    RefInputs full = in;
    full.gripT = full.gripW = 1;
    const CTyre a = run(p, in), b = run(p, full);
    EXPECT_NEAR(a.forceLong, 0.72 * b.forceLong, 1e-3 * std::fabs(b.forceLong));
    EXPECT_NEAR(a.forceLat, 0.72 * b.forceLat, 1e-3 * std::fabs(b.forceLat));
    EXPECT_NEAR(a.alignMoment, 0.72 * b.alignMoment, 1e-3 * std::fabs(b.alignMoment));
}

TEST(TyreComputeForces, DivisorsAndSlideFriction)
{
    RefParams p = carFront();
    p.longDivisor = 1.3, p.latDivisor = 0.8, p.slideFriction = 0.9;
    for (double gamma : {0.0, 3.0}) {
        RefInputs in;
        in.alpha = 5, in.kappa = 0.07, in.gamma = gamma, in.w = 0.5, in.vLong = 12, in.vLat = 1;
        expectMatches(p, in, describe(in));
    }
}

TEST(TyreComputeForces, CamberThrustNeedsALateralSlip)
{
    const RefParams p = carFront();
    for (double gamma : {-6.0, -1.0, 1.0, 6.0}) {
        for (double alpha : {-5.0, 0.0, 1.0, 10.0}) {
            RefInputs in;
            in.alpha = alpha, in.gamma = gamma, in.kappa = 0.05;
            expectMatches(p, in, describe(in));
        }
    }
    // Fy0 = 0 at zero slip angle: camber changes nothing there.
    RefInputs in;
    in.gamma = 5;
    const CTyre t = run(p, in);
    EXPECT_EQ(t.forceLat, 0);
    EXPECT_EQ(t.forceLong, 0);
    EXPECT_EQ(t.alignMoment, 0);
}

// ---------------------------------------------------------------------------
// Edge cases

TEST(TyreEdgeCases, ZeroLoadGivesNoForceAndLeavesMzAtZero)
{
    CTyre t;
    t.setInputs(8, 0.2f, 3, 0, true, 0.5f, 1, 10, 2, 1, 1, 12, 0, 40, false);
    t.computeForces();
    EXPECT_EQ(t.forceLong, 0);
    EXPECT_EQ(t.forceLat, 0);
    EXPECT_EQ(t.alignMoment, 0);
    // Also at rest (the low-speed branch must not make 0/0).
    t.setInputs(8, 0.2f, 3, 0, true, 1, 1, 1, 1, 1, 1, 0, 0, 0, false);
    t.computeForces();
    EXPECT_EQ(t.forceLong, 0);
    EXPECT_EQ(t.forceLat, 0);
    EXPECT_EQ(t.alignMoment, 0);
}

TEST(TyreEdgeCases, OutOfContactGivesNoForce)
{
    const RefParams p = carFront();
    RefInputs in;
    in.contact = false, in.alpha = 6, in.kappa = 0.1, in.gamma = 2, in.vLong = 10, in.vLat = 1;
    const CTyre t = run(p, in);
    EXPECT_EQ(t.forceLong, 0);
    EXPECT_EQ(t.forceLat, 0);
    // Mz keeps the value of step 6 (no blend or grip out of contact).
    expectMatches(p, in, "out of contact");
    EXPECT_NE(t.alignMoment, 0);
}

TEST(TyreEdgeCases, ZeroSlipOnAFullBlendGivesNoForce)
{
    CTyre t;
    t.setInputs(0, 0, 0, 4000, true, 1, 1, 20, 0, 1, 1, 20, 20, 60, false);
    t.computeForces();
    EXPECT_EQ(t.forceLong, 0);
    EXPECT_EQ(t.forceLat, 0);
    EXPECT_EQ(t.alignMoment, 0);
}

TEST(TyreEdgeCases, AtOptimalLoadTheLateralForceIsThePlainMagicFormula)
{
    // sign(alpha) MF(|tan alpha| STIFFY) Fz with the defaults, worked out by
    // hand: tan 5 deg = 0.0874887, x 18.6 = 1.627289, MF = 1.027935, x 2450.
    const struct {
        float alpha;
        double expected;
    } cases[] = {{5.0f, 2518.4398}, {-12.0f, -2219.5575}};
    for (const auto& c : cases) {
        CTyre t;
        t.setInputs(c.alpha, 0, 0, 2450, true, 1, 1, 0, 0, 1, 1, 0, 0, 0.1f, false);
        t.computeForces();
        EXPECT_NEAR(t.forceLat, c.expected, 0.02) << c.alpha;
        EXPECT_EQ(t.forceLong, 0);
    }
    for (double alpha : {0.3, 3.0, -8.0, 20.0, 60.0}) {
        CTyre t;
        t.setInputs(static_cast<float>(alpha), 0, 0, 2450, true, 1, 1, 0, 0, 1, 1, 0, 0, -7, false);
        t.computeForces();
        const double tanA = std::tan(alpha * 0.017453292);
        const double expected = (alpha > 0 ? 1 : -1) * mf(std::fabs(tanA) * 18.6, 1.01, 1.6, 1.028, 0.2) * 2450;
        EXPECT_NEAR(t.forceLat, expected, 2e-4 * std::fabs(expected)) << alpha;
    }
}

TEST(TyreEdgeCases, LoadSensitivityFallsToZeroAndNeverChangesSign)
{
    // L = 0 from OPTIMALLOAD + 1 / LOADSENS = 18173.27 N with the defaults.
    const RefParams p;
    double previousRatio = 2.0;
    for (double Fz : {2450.0, 5000.0, 10000.0, 15000.0, 18000.0, 18173.0}) {
        RefInputs in;
        in.Fz = Fz, in.alpha = 6, in.kappa = 0.05;
        expectMatches(p, in, describe(in));
        // Friction per newton falls with load.
        const CTyre t = run(p, in);
        const double ratio = std::hypot(t.forceLong, t.forceLat) / Fz;
        EXPECT_GT(t.forceLat, 0) << Fz;
        EXPECT_LT(ratio, previousRatio) << Fz;
        previousRatio = ratio;
    }
    for (double Fz : {18174.0, 20000.0, 50000.0, 1e6}) {
        for (double alpha : {6.0, -6.0}) {
            CTyre t;
            t.setInputs(static_cast<float>(alpha), 0.05f, 1, static_cast<float>(Fz), true, 1, 1, 20, 1, 1, 1,
                        21, 0, 60, false);
            t.computeForces();
            EXPECT_EQ(t.forceLong, 0) << Fz;
            EXPECT_EQ(t.forceLat, 0) << Fz;
            EXPECT_EQ(t.alignMoment, 0) << Fz;
        }
    }
}

TEST(TyreEdgeCases, BrakingGivesFivePercentMoreLongitudinalForce)
{
    for (double alpha : {0.0, 4.0}) {
        for (float kappa : {0.03f, 0.1f, 0.6f}) {
            CTyre drive, brake;
            drive.setInputs(static_cast<float>(alpha), kappa, 0, 4000, true, 1, 1, 20, 0, 1, 1, 21, 0, 60, false);
            brake.setInputs(static_cast<float>(alpha), -kappa, 0, 4000, true, 1, 1, 20, 0, 1, 1, 19, 0, 60, true);
            drive.computeForces();
            brake.computeForces();
            EXPECT_GT(drive.forceLong, 0);
            EXPECT_NEAR(brake.forceLong, -1.05 * drive.forceLong, 1e-4 * drive.forceLong) << kappa;
            EXPECT_FLOAT_EQ(brake.forceLat, drive.forceLat);
        }
    }
}

TEST(TyreEdgeCases, LongitudinalForceIsScaledByXpeakOverRd)
{
    CTyre a, b;
    b.XPEAK = 2.0f * a.XPEAK;
    for (CTyre* t : {&a, &b}) {
        t->setInputs(2, 0.1f, 0, 4000, true, 1, 1, 20, 0, 1, 1, 22, 0, 60, false);
        t->computeForces();
    }
    EXPECT_NEAR(b.forceLong, 2.0 * a.forceLong, 1e-4 * std::fabs(a.forceLong));
    EXPECT_EQ(b.forceLat, a.forceLat);
}

TEST(TyreEdgeCases, SlipSpeed)
{
    CTyre t;
    t.setInputs(0, 0, 0, 4000, true, 1, 1, 10, 3, 1, 1, 14, 0, 40, false);
    t.computeForces();
    EXPECT_FLOAT_EQ(t.slipSpeed, 5.0f);  // sqrt(4^2 + 3^2)
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
                            RefInputs in;
                            in.Fz = Fz, in.alpha = alpha, in.kappa = kappa, in.gamma = gamma, in.omega = omega;
                            in.vLong = v, in.vLat = v / 10, in.w = 0.5;
                            const CTyre t = run(p, in);
                            ASSERT_TRUE(std::isfinite(t.forceLong) && std::isfinite(t.forceLat) &&
                                        std::isfinite(t.alignMoment) && std::isfinite(t.slipSpeed))
                                << describe(in);
                        }
}

// ---------------------------------------------------------------------------
// The tyre file

namespace {

std::vector<unsigned char> littleEndianWords(const std::vector<float>& words)
{
    std::vector<unsigned char> bytes;
    for (float w : words) {
        std::uint32_t bits;
        std::memcpy(&bits, &w, 4);
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    }
    return bytes;
}

void writeBytes(const fs::path& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<float> fileFields(const CTyre& t)
{
    return {t.RB, t.RC, t.RD, t.RE, t.STIFFX, t.STIFFY, t.STIFFG, t.LOADSENS, t.OPTIMALLOAD, t.XPEAK};
}

// Word i holds 100 + i, so each field shows which offset it came from.
std::vector<float> numberedWords()
{
    std::vector<float> words;
    for (int i = 0; i < 17; ++i) words.push_back(100.0f + static_cast<float>(i));
    return words;
}

}  // namespace

TEST(TyreFile, ReadsTheTenFieldsFromTheirOffsets)
{
    TempDir dir;
    const fs::path file = dir / "t.vqt";
    writeBytes(file, littleEndianWords(numberedWords()));
    CTyre t;
    t.alignB = 9.0f;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(t.loadFile(file.string()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(t.RB, 102.0f);           // offset 8
    EXPECT_EQ(t.RC, 104.0f);           // 16
    EXPECT_EQ(t.RD, 106.0f);           // 24
    EXPECT_EQ(t.RE, 107.0f);           // 28
    EXPECT_EQ(t.STIFFX, 109.0f);       // 36
    EXPECT_EQ(t.STIFFY, 110.0f);       // 40
    EXPECT_EQ(t.STIFFG, 112.0f);       // 48
    EXPECT_EQ(t.LOADSENS, 113.0f);     // 52
    EXPECT_EQ(t.OPTIMALLOAD, 114.0f);  // 56
    EXPECT_EQ(t.XPEAK, 115.0f);        // 60
    // Nothing else.
    const CTyre d;
    EXPECT_EQ(t.alignB, 9.0f);
    EXPECT_EQ(t.alignC, d.alignC);
    EXPECT_EQ(t.alignD, d.alignD);
    EXPECT_EQ(t.alignE, d.alignE);
    EXPECT_EQ(t.brakeFactor, d.brakeFactor);
    EXPECT_EQ(t.slideFriction, d.slideFriction);
    EXPECT_EQ(t.longDivisor, d.longDivisor);
    EXPECT_EQ(t.latDivisor, d.latDivisor);
}

TEST(TyreFile, ReadsLittleEndianBytes)
{
    // RB = 1.5f = 0x3FC00000, written byte by byte.
    std::vector<unsigned char> bytes(68, 0);
    bytes[8] = 0x00, bytes[9] = 0x00, bytes[10] = 0xC0, bytes[11] = 0x3F;
    TempDir dir;
    writeBytes(dir / "t.vqt", bytes);
    CTyre t;
    EXPECT_TRUE(t.loadFile((dir / "t.vqt").string()));
    EXPECT_EQ(t.RB, 1.5f);
    EXPECT_EQ(t.RC, 0.0f);
}

TEST(TyreFile, ALongerFileGivesItsFirstRecord)
{
    TempDir dir;
    std::vector<unsigned char> bytes = littleEndianWords(numberedWords());
    bytes.resize(100, 0xFF);
    writeBytes(dir / "t.vqt", bytes);
    CTyre t;
    EXPECT_TRUE(t.loadFile((dir / "t.vqt").string()));
    EXPECT_EQ(t.XPEAK, 115.0f);
}

TEST(TyreFile, AShortFileIsReportedAndChangesNothing)
{
    TempDir dir;
    for (std::size_t size : {0u, 12u, 40u, 67u}) {
        std::vector<unsigned char> bytes = littleEndianWords(numberedWords());
        bytes.resize(size);
        const fs::path file = dir / ("short" + std::to_string(size) + ".vqt");
        writeBytes(file, bytes);
        CTyre t;
        setSolviTyreParameters(t, true);
        const CTyre before = t;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(t.loadFile(file.string()));
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_EQ(said, "CTyre::loadFile : cannot read tyre file " + file.string() + " (" + std::to_string(size) +
                            " of 68 bytes), keeping defaults\n");
        EXPECT_EQ(fileFields(t), fileFields(before)) << "a short file was half-applied";
        EXPECT_EQ(t.RB, 1.31f);
        EXPECT_EQ(t.XPEAK, 1.6f);
        EXPECT_EQ(t.OPTIMALLOAD, 2450.0f);
    }
}

TEST(TyreFile, AMissingFileIsReportedAndChangesNothing)
{
    TempDir dir;
    const std::string file = (dir / "none.vqt").string();
    CTyre t;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(t.loadFile(file));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "CTyre::loadFile : cannot open tyre file " + file + ", keeping defaults\n");
    EXPECT_EQ(t.RB, 1.01f);
    EXPECT_EQ(t.XPEAK, 1.028f);
}

TEST(TyreFile, ANonFiniteValueIsReadAndReported)
{
    std::vector<float> words = numberedWords();
    words[9] = std::nanf("");  // STIFFX
    TempDir dir;
    writeBytes(dir / "nan.vqt", littleEndianWords(words));
    CTyre t;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(t.loadFile((dir / "nan.vqt").string()));
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("not a finite number at byte 36"), std::string::npos) << said;
    EXPECT_TRUE(std::isnan(t.STIFFX));
}

TEST(TyreFile, SaveWritesTheExactLayout)
{
    CTyre t;
    t.RB = 102, t.RC = 104, t.RD = 106, t.RE = 107, t.STIFFX = 109, t.STIFFY = 110, t.STIFFG = 112,
    t.LOADSENS = 113, t.OPTIMALLOAD = 114, t.XPEAK = 115;
    TempDir dir;
    ASSERT_TRUE(t.save((dir / "t.vqt").string()));
    std::vector<float> expected = numberedWords();
    for (int skipped : {0, 1, 3, 5, 8, 11, 16}) expected[skipped] = 0.0f;
    EXPECT_EQ(readBytes(dir / "t.vqt"), littleEndianWords(expected));

    CTyre back;
    ASSERT_TRUE(back.loadFile((dir / "t.vqt").string()));
    EXPECT_EQ(fileFields(back), fileFields(t));
}

TEST(TyreFile, SaveToAnUnwritablePathFails)
{
    TempDir dir;
    EXPECT_FALSE(CTyre().save((dir / "no/such/folder/t.vqt").string()));
}

TEST(TyreFile, TheBundledFilesHoldTheCarsValues)
{
    const struct {
        const char* file;
        float RD;
    } bundled[] = {{kSolviFrontTyreFile, 1.28f}, {kSolviRearTyreFile, 1.35f}};
    for (const auto& b : bundled) {
        const fs::path path = fs::path(SOLVI_DATA_DIR) / b.file;
        const std::vector<unsigned char> bytes = readBytes(path);
        ASSERT_EQ(bytes.size(), 68u) << path;
        for (int skipped : {0, 1, 3, 5, 8, 11, 16})
            for (int i = 0; i < 4; ++i) EXPECT_EQ(bytes[4 * skipped + i], 0) << path << " word " << skipped;
        CTyre t;
        ASSERT_TRUE(t.loadFile(path.string()));
        EXPECT_EQ(t.RB, 1.31f);
        EXPECT_EQ(t.RC, 1.4f);
        EXPECT_EQ(t.RD, b.RD);
        EXPECT_EQ(t.RE, -0.2f);
        EXPECT_EQ(t.STIFFX, 15.0f);
        EXPECT_EQ(t.STIFFY, 11.0f);
        EXPECT_EQ(t.STIFFG, 2000.0f);
        EXPECT_EQ(t.LOADSENS, 7.91e-5f);
        EXPECT_EQ(t.OPTIMALLOAD, 2450.0f);
        EXPECT_EQ(t.XPEAK, 1.6f);
    }
}

TEST(TyreFile, TheCarsTyresGetItsValuesThenTheFile)
{
    for (bool front : {true, false}) {
        CTyre t;
        ASSERT_TRUE(loadSolviTyre(t, front, SOLVI_DATA_DIR));
        EXPECT_EQ(t.RD, front ? 1.28f : 1.35f);
        EXPECT_EQ(t.alignB, 0.85f);
        EXPECT_EQ(t.alignC, 2.3f);
        EXPECT_EQ(t.alignD, 0.51f);
        EXPECT_EQ(t.alignE, -2.75f);
        EXPECT_EQ(t.XPEAK, 1.6f);
    }
}
