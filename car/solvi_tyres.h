#pragma once
// The Solvi's own tyre values (as the car's loadTyres sets them before and after reading the files): what each
// wheel's CTyre gets before its tyre file is read, and the two tyre files.
// CSolvi::loadTyres and the host's tyre tool share them, so the tool shows the
// tyre exactly as the car drives on it.

#include <string>

class CTyre;

// Relative to the host's working directory.
inline constexpr const char* kSolviFrontTyreFile = "cars/solvi/tyres/michelin_255_40_ZR_18.vqt";
inline constexpr const char* kSolviRearTyreFile = "cars/solvi/tyres/michelin_345_35_18.vqt";

// loadTyres step 1 for one tyre: RB 1.31, RC 1.4, RD 1.28 front / 1.35 rear,
// RE -0.2, STIFFX 15.0, STIFFY 11.0, alignB 0.85, alignC 2.3, alignD 0.51,
// alignE -2.75, LOADSENS 7.91e-5, XPEAK 1.6. The tyre file then overwrites
// the fields it holds; the aligning-moment coefficients stay.
void setSolviTyreParameters(CTyre& tyre, bool front);

// setSolviTyreParameters, then the wheel's tyre file below dataRoot (the
// folder that holds "cars/"; empty for the working directory). Returns
// whether the file was read.
bool loadSolviTyre(CTyre& tyre, bool front, const std::string& dataRoot = std::string());
