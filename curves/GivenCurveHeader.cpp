#include "curves/GivenCurveHeader.h"

bool CGivenCurveHeader::EditCurveHeader(CurveHeader& header, const CurvePlotData* plotData) {
    ++runs;
    opened = header;
    plot.reset();
    if (plotData)
        plot = *plotData;
    if (!accept)
        return false;
    if (name)
        header.name = *name;
    if (type)
        header.type = *type;
    if (multiplier)
        header.multiplier = *multiplier;
    // As in the dialog, a disabled box keeps its tick.
    if (saveAsCrv && !header.sourceIsCrv)
        header.saveAsCrv = *saveAsCrv;
    header.unitText =
        UnitTextOfListIndex(unitListIndex ? *unitListIndex : UnitListIndex(header.unit));
    return true;
}
