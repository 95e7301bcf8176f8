#include "car/solvi_tyres.h"

#include "chassis/tyre.h"

void setSolviTyreParameters(CTyre& tyre, bool front)
{
    tyre.RB = 1.31f;
    tyre.RC = 1.4f;
    tyre.RD = front ? 1.28f : 1.35f;
    tyre.RE = -0.2f;
    tyre.STIFFX = 15.0f;
    tyre.STIFFY = 11.0f;
    tyre.alignB = 0.85f;
    tyre.alignC = 2.3f;
    tyre.alignD = 0.51f;
    tyre.alignE = -2.75f;
    tyre.LOADSENS = 7.91e-5f;
    tyre.XPEAK = 1.6f;
}

bool loadSolviTyre(CTyre& tyre, bool front, const std::string& dataRoot)
{
    setSolviTyreParameters(tyre, front);
    const std::string file = front ? kSolviFrontTyreFile : kSolviRearTyreFile;
    return tyre.loadFile(dataRoot.empty() ? file : dataRoot + "/" + file);
}
