#include "chassis/tyre.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr double kDegToRad = 0.017453292;

// tan, sin and cos of an angle in degrees: product and function in double,
// the result stored as float (see the header).
float tanDeg(float degrees) { return static_cast<float>(std::tan(degrees * kDegToRad)); }

// The Magic Formula in double; the parameters are the tyre's floats.
double magicFormulaD(double x, float B, float C, float D, float E)
{
    const double inner = static_cast<double>(B) * (1.0 - static_cast<double>(E)) * x + E * std::atan(B * x);
    return D * std::sin(C * std::atan(inner));
}

float signOf(float x) { return x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f); }

// The file's fields at their byte offsets (the other words are skipped), with
// the values the force law can take from them. Every bound keeps the law
// finite: RD divides the longitudinal force (XPEAK / RD); the shape factor
// divides by the longitudinal stiffness, and a tyre without cornering
// stiffness is none; the stiffnesses are scaled by 1 + (Fz - OPTIMALLOAD)
// 1e-5, which stays positive for every load when OPTIMALLOAD is below 1e5 N;
// a negative LOADSENS would grow the grip without end. The magnitudes keep
// every product of the law, at loads up to 1e7 N, inside a float.
constexpr float kBound = 1e4f;
}  // namespace

const CTyre::FileField CTyre::kFileFields[CTyre::kFileFieldCount] = {
    {"RB", 8, &CTyre::RB, -kBound, kBound},
    {"RC", 16, &CTyre::RC, -kBound, kBound},
    {"RD", 24, &CTyre::RD, 1e-3f, kBound},
    {"RE", 28, &CTyre::RE, -kBound, kBound},
    {"STIFFX", 36, &CTyre::STIFFX, 1e-3f, kBound},
    {"STIFFY", 40, &CTyre::STIFFY, 1e-3f, kBound},
    {"STIFFG", 48, &CTyre::STIFFG, -1e6f, 1e6f},
    {"LOADSENS", 52, &CTyre::LOADSENS, 0.0f, kBound},
    {"OPTIMALLOAD", 56, &CTyre::OPTIMALLOAD, 1.0f, 9e4f},
    {"XPEAK", 60, &CTyre::XPEAK, -kBound, kBound},
};

namespace {

float readFloatLE(const unsigned char* p)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void writeFloatLE(unsigned char* p, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    p[0] = static_cast<unsigned char>(bits);
    p[1] = static_cast<unsigned char>(bits >> 8);
    p[2] = static_cast<unsigned char>(bits >> 16);
    p[3] = static_cast<unsigned char>(bits >> 24);
}

}  // namespace

CTyre::CTyre()
{
    // The model leaves XPEAK unset by the constructor (the car sets it); a tyre
    // that never gets the car's values or a file still needs one.
    XPEAK = RD;
}

float CTyre::magicFormula(float x, float B, float C, float D, float E)
{
    return static_cast<float>(magicFormulaD(x, B, C, D, E));
}

void CTyre::encode(unsigned char (&bytes)[kFileSize]) const
{
    std::memset(bytes, 0, kFileSize);
    for (const FileField& f : kFileFields) writeFloatLE(bytes + f.offset, this->*f.field);
}

void CTyre::decode(const unsigned char (&bytes)[kFileSize])
{
    for (const FileField& f : kFileFields) this->*f.field = readFloatLE(bytes + f.offset);
}

std::string CTyre::checkRecord(const unsigned char (&bytes)[kFileSize])
{
    for (const FileField& f : kFileFields) {
        const float v = readFloatLE(bytes + f.offset);
        if (std::isfinite(v) && v >= f.lowest && v <= f.highest) continue;
        char text[160];
        std::snprintf(text, sizeof text, "%s (byte %d) is %g; it must lie between %g and %g", f.name,
                      static_cast<int>(f.offset), static_cast<double>(v), static_cast<double>(f.lowest),
                      static_cast<double>(f.highest));
        return text;
    }
    return "";
}

std::string CTyre::readRecord(const std::string& path, unsigned char (&bytes)[kFileSize])
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "cannot open tyre file " + path;
    const std::size_t got = std::fread(bytes, 1, kFileSize, file);
    std::fclose(file);
    if (got != kFileSize)
        return "cannot read tyre file " + path + " (" + std::to_string(got) + " of " + std::to_string(kFileSize) +
               " bytes)";
    const std::string problem = checkRecord(bytes);
    return problem.empty() ? "" : "tyre file " + path + ": " + problem;
}

std::string CTyre::checkFile(const std::string& path)
{
    unsigned char bytes[kFileSize];
    return readRecord(path, bytes);
}

bool CTyre::loadFile(const std::string& path)
{
    unsigned char bytes[kFileSize];
    const std::string problem = readRecord(path, bytes);
    if (!problem.empty()) {
        std::printf("CTyre::loadFile : %s, keeping defaults\n", problem.c_str());
        return false;
    }
    decode(bytes);
    return true;
}

bool CTyre::save(const std::string& path) const
{
    unsigned char bytes[kFileSize];
    encode(bytes);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes, 1, kFileSize, file) == kFileSize;
    return std::fclose(file) == 0 && written;
}

void CTyre::setInputs(float slipAngle_, float slipRatio_, float camber_, float load_, bool inContact_,
                      float surfaceBlend_, float surfaceFriction_, float vLong_, float vLat_, float gripTemperature_,
                      float gripWear_, float surfaceSpeed_, float carSpeed_, float wheelSpeed_, bool braking_)
{
    slipAngle = slipAngle_;
    slipRatio = slipRatio_;
    camber = camber_;
    load = load_;
    inContact = inContact_;
    surfaceBlend = surfaceBlend_;
    surfaceFriction = surfaceFriction_;
    vLong = vLong_;
    vLat = vLat_;
    gripTemperature = gripTemperature_;
    gripWear = gripWear_;
    surfaceSpeed = surfaceSpeed_;
    carSpeed = carSpeed_;
    wheelSpeed = wheelSpeed_;
    braking = braking_;
}

void CTyre::getOutputs(float& fx, float& fy, float& mz, float& slip) const
{
    fx = forceLong;
    fy = forceLat;
    mz = alignMoment;
    slip = slipSpeed;
}

void CTyre::slipForces(float kappa, float alphaDeg) { slipForcesWith(kappa, alphaDeg, STIFFX, STIFFY); }

void CTyre::slipForcesWith(float kappa, float alphaDeg, float stiffX, float stiffY)
{
    const float Fz = load;
    if (Fz == 0.0f) return;
    // 1. a and b are working values in double: in float, a load of a few
    // times 1e-45 N would make b underflow to 0 and r below infinite.
    const double a = static_cast<double>(stiffY) * Fz;
    const double b = static_cast<double>(stiffX) * Fz;
    const float t = tanDeg(alphaDeg);
    // 2.
    lateralSlipNorm = static_cast<float>(t * a / (static_cast<double>(Fz) * latDivisor));
    const double sL = b * kappa / (static_cast<double>(longDivisor) * Fz);
    // 3.
    const double s = std::sqrt(static_cast<double>(lateralSlipNorm) * lateralSlipNorm + sL * sL);
    const double mu = magicFormulaD(s, RB, RC, RD, RE);
    // 4. k = r at zero slip, 1 from s = 2 pi on.
    double k = 1.0;
    if (std::fabs(s) <= 6.2831855f) {
        const double r = (a * longDivisor) / (b * latDivisor);
        k = (r + 1.0) / 2.0 - std::cos(s / 2.0) * (1.0 - r) / 2.0;
    }
    // 5.
    const double n = std::sqrt(k * k * t * t + static_cast<double>(kappa) * kappa);
    if (n != 0.0) {
        forceLong = static_cast<float>(kappa / n * mu * Fz);
        forceLat = static_cast<float>(t / n * k * mu * Fz);
    }
}

void CTyre::computeForces()
{
    const float Fz = load;
    const float alpha = slipAngle;
    const float kappa = slipRatio;
    const float gamma = camber;

    // 1. The load-scaled stiffnesses live in locals for this call, which is
    // the "multiply, then restore" rule without touching the members.
    forceLong = forceLat = alignMoment = 0.0f;
    const float loadScale = 1.0f + (Fz - OPTIMALLOAD) * 1e-5f;
    const float stiffX = STIFFX * loadScale;
    const float stiffY = STIFFY * loadScale;

    // 2. Pure lateral, then combined.
    slipForcesWith(0.0f, alpha, stiffX, stiffY);
    const float Fy0 = forceLat;
    slipForcesWith(kappa, alpha, stiffX, stiffY);
    // q is undefined when the pure-lateral force is 0 (zero slip angle, at
    // rest, zero load, a tyre with RD = 0). We take q = 0 then: with no pure
    // lateral force there is nothing to align, and Mz (the only user of q)
    // stays finite and is 0 - also for a wheel at rest with zero slip angle,
    // where step 5 leaves lateralSlipNorm at its 90-degree value and q = 1
    // would give a standing car a large aligning moment. Mz is continuous as
    // alpha goes to 0 at speed either way, since its Magic Formula term
    // vanishes there.
    float q = Fy0 != 0.0f ? std::fabs(forceLat) / std::fabs(Fy0) : 0.0f;

    // 3. Camber.
    if (gamma != 0.0f) {
        const float c = 1.0f - static_cast<float>(std::sin(std::fabs(gamma) * kDegToRad * 0.1));
        q = c * q;
        // g, m and y are only used when Fy0 != 0, which implies Fz != 0.
        // They are doubles: for a load near 0, g (camber stiffness over load)
        // overflows a float, and (1 - g) m + g would be inf - inf.
        if (Fy0 != 0.0f) {
            const double g = std::sin(gamma * kDegToRad) * STIFFG / (static_cast<double>(latDivisor) * Fz);
            const double sAlpha = signOf(alpha);
            const double m = magicFormulaD(lateralSlipNorm / (1.0 - sAlpha * g), RB, RC, RD, RE);
            const double y = (1.0 - sAlpha * g) * m + g;
            forceLat = static_cast<float>(y * Fz * q);
            forceLong = c * forceLong;
        }
    }

    // 4.
    if (std::fabs(alpha) > 90.0f) forceLat = -forceLat;

    // 5. Low wheel speed: sliding against the patch velocity with the
    // friction of a fully sliding tyre. (At zero load slipForces does nothing
    // and step 6 zeroes the forces; skip the 0/0 of mu_s.)
    if (std::fabs(wheelSpeed) < 0.1f) {
        slipForcesWith(0.0f, 90.0f, stiffX, stiffY);
        if (Fz != 0.0f) {
            const float muS = std::fabs(forceLat / Fz);
            forceLong = -muS * vLong / (std::fabs(vLong) + 0.05f) * Fz;
            forceLat = -muS * vLat / (std::fabs(vLat) + 0.05f) * Fz;
        }
    }

    // 6. Load sensitivity, longitudinal peak, braking, aligning moment.
    if (Fz == 0.0f) {
        forceLong = forceLat = 0.0f;
    } else {
        float L = 1.0f - (Fz - OPTIMALLOAD) * LOADSENS;
        if (L < 0.0f) L = 0.0f;
        forceLat = L * forceLat;
        forceLong = (XPEAK / RD) * forceLong * L;
        if (kappa < 0.0f) forceLong = brakeFactor * forceLong;
        alignMoment = static_cast<float>(magicFormulaD(lateralSlipNorm, alignB, alignC, alignD, alignE) * L * q * Fz);
    }

    // 7.
    // (hypot: the same root, without under- or overflow of the squares.)
    slipSpeed = std::hypot(surfaceSpeed - vLong, vLat);

    // 8. Pure sliding force.
    const float v = std::hypot(vLong, vLat);
    float FxS = 0.0f;
    float FyS = 0.0f;
    if (v != 0.0f) {
        FxS = -vLong / v * Fz * slideFriction;
        FyS = -vLat / v * Fz * slideFriction;
    }

    // 9. Surface blend and grip.
    if (inContact) {
        const float w = surfaceBlend;
        const float f = surfaceFriction;
        forceLat = (1.0f - w) * f * FyS + w * forceLat;
        forceLong = (1.0f - w) * f * FxS + w * forceLong;
        alignMoment = w * alignMoment;
        const float grip = gripWear * gripTemperature;
        forceLong *= grip;
        forceLat *= grip;
        alignMoment *= grip;
    }

    // 10. Mz keeps its value.
    if (!(Fz > 0.0f && inContact)) forceLong = forceLat = 0.0f;
    // 11. Nothing to restore: the scaled stiffnesses were locals.
}
