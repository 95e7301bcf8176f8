#pragma once
// The tyre force model of one wheel: Pacejka's Magic Formula
// on a combined, normalised slip, with load sensitivity, camber thrust, a
// low-wheel-speed sliding regime and a blend towards pure Coulomb sliding on
// loose surfaces. Steady state only: no relaxation length, no carcass
// dynamics, no temperature or wear of its own (the wheel passes
// grip factors in). Also reads and writes the 68-byte binary tyre file.
//
// Use: the wheel fills the inputs (setInputs or the fields), calls
// computeForces, reads the outputs (getOutputs or the fields).
//
// Numbers: parameters, inputs and outputs are 32-bit floats, and so is
// t = tan(slip angle). The working values inside one evaluation (the Magic
// Formula, the normalised slips, the shape factor, the camber terms) are
// doubles: this keeps tan(90 * 0.017453292) a large positive number, as step
// 5 of the force law relies on, and keeps the forces finite for loads near 0
// where float intermediates would underflow or overflow.

#include <cstddef>
#include <string>

class CTyre {
public:
    // The tyre file: one record of 68 bytes, seventeen little-endian floats.
    static constexpr std::size_t kFileSize = 68;

    CTyre();

    // The file's fields at their byte offsets, with the values the force
    // law can take from them (both bounds included).
    struct FileField {
        const char* name;
        std::size_t offset;
        float CTyre::*field;
        float lowest, highest;
    };
    static constexpr int kFileFieldCount = 10;
    static const FileField kFileFields[kFileFieldCount];

    // Reads the tyre file and overwrites RB, RC, RD, RE, STIFFX, STIFFY,
    // STIFFG, LOADSENS, OPTIMALLOAD and XPEAK from it. The whole record is
    // read and checked before anything is applied: a missing or short file,
    // or a field the force law cannot take (not finite, not positive where
    // the law divides by it, out of its bounds), prints a line naming the
    // file and the field and leaves every parameter as it was. Returns
    // whether the record was applied.
    bool loadFile(const std::string& path);
    // What loadFile would refuse in the file, in words naming the file and
    // the field; empty when it would take the record.
    static std::string checkFile(const std::string& path);
    // The first field of a record the force law cannot take, in words; empty
    // when there is none.
    static std::string checkRecord(const unsigned char (&bytes)[kFileSize]);
    // Writes the record the reader expects: the ten fields at their offsets,
    // 0 in the words the reader skips. Returns whether all 68 bytes were
    // written.
    bool save(const std::string& path) const;
    // The record as bytes, and the same for reading (both little-endian).
    void encode(unsigned char (&bytes)[kFileSize]) const;
    void decode(const unsigned char (&bytes)[kFileSize]);

    // The wheel's fifteen inputs in one block, in the order of the model's
    // table; carSpeed and braking are kept but the model uses neither.
    void setInputs(float slipAngle, float slipRatio, float camber, float load, bool inContact,
                   float surfaceBlend, float surfaceFriction, float vLong, float vLat, float gripTemperature,
                   float gripWear, float surfaceSpeed, float carSpeed, float wheelSpeed, bool braking);

    // computeForces steps 1-11: fills forceLong, forceLat,
    // alignMoment, slipSpeed (and lateralSlipNorm).
    void computeForces();

    // slipForces (kappa, alpha in degrees) with the parameters as
    // they stand: writes forceLong and forceLat (both stay when the combined
    // slip is zero) and lateralSlipNorm; does nothing when load is 0.
    // computeForces uses it with its load-scaled stiffnesses.
    void slipForces(float kappa, float alphaDeg);

    void getOutputs(float& fx, float& fy, float& mz, float& slip) const;

    // The Magic Formula D * sin(C * atan(B * (1 - E) * x + E * atan(B * x))).
    static float magicFormula(float x, float B, float C, float D, float E);

    // Parameters (the first ten are the file's fields).
    float RB = 1.01f;             // lateral Magic Formula B
    float RC = 1.6f;              // lateral Magic Formula C
    float RD = 1.028f;            // lateral Magic Formula D (peak friction coefficient)
    float RE = 0.2f;              // lateral Magic Formula E
    float STIFFX = 14.54f;        // longitudinal slip stiffness, per unit slip ratio, normalised by load
    float STIFFY = 18.6f;         // lateral slip stiffness, per unit tan(slip angle), normalised by load
    float STIFFG = 2000.0f;       // camber stiffness, N per unit sin(camber)
    float LOADSENS = 6.36e-5f;    // friction loss per N of load above OPTIMALLOAD
    float OPTIMALLOAD = 2450.0f;  // N, load at which friction is not reduced
    // Longitudinal peak friction coefficient; the longitudinal force is
    // scaled by XPEAK / RD. The model leaves it unset by the constructor; we
    // give it RD's default so that a tyre without a file has one.
    float XPEAK = 1.028f;
    float alignB = 0.65f;         // aligning-moment Magic Formula (no file field)
    float alignC = 2.1f;
    float alignD = 0.51f;
    float alignE = -1.75f;
    float brakeFactor = 1.05f;    // extra factor on Fx while the slip ratio is negative
    float slideFriction = 1.0f;   // friction coefficient of the pure sliding force
    float longDivisor = 1.0f;     // divisor of the normalised longitudinal slip
    float latDivisor = 1.0f;      // divisor of the normalised lateral and camber slip

    // Inputs, written by the wheel before each computeForces.
    float slipAngle = 0.0f;        // degrees, folded into [-90, 90] by the wheel
    float slipRatio = 0.0f;        // negative when braking
    float camber = 0.0f;           // degrees, against the ground
    float load = 0.0f;             // N, vertical load Fz
    bool inContact = false;        // the wheel touches the ground
    float surfaceBlend = 1.0f;     // 0..1, weight of the Magic Formula force against pure sliding
    float surfaceFriction = 1.0f;  // friction factor of the surface for the pure sliding force
    float vLong = 0.0f;            // m/s, contact-patch velocity along the rolling direction
    float vLat = 0.0f;             // m/s, contact-patch velocity across it
    float gripTemperature = 1.0f;  // grip factor from the tyre temperature
    float gripWear = 1.0f;         // grip factor from wear and dirt
    float surfaceSpeed = 0.0f;     // m/s, wheel radius * wheel angular speed
    float carSpeed = 0.0f;         // m/s, passed by the wheel, not used by the model
    float wheelSpeed = 0.0f;       // rad/s, wheel angular speed
    bool braking = false;          // brake torque applied, passed by the wheel, not used by the model

    // Outputs.
    float forceLong = 0.0f;        // N, Fx
    float forceLat = 0.0f;         // N, Fy
    float alignMoment = 0.0f;      // N*m, Mz
    float slipSpeed = 0.0f;        // m/s
    float lateralSlipNorm = 0.0f;  // normalised lateral slip of the last slip evaluation

private:
    // Reads and checks the record; the problem in words, empty when none.
    static std::string readRecord(const std::string& path, unsigned char (&bytes)[kFileSize]);
    void slipForcesWith(float kappa, float alphaDeg, float stiffX, float stiffY);
};
