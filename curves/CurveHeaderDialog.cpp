#include "curves/CurveHeaderDialog.h"

bool IsCrvName(const std::string& fileName) {
    return fileName.find(".crv") != std::string::npos;
}

bool ReviewCurveHeader(ICurveHeaderDialog& dialog, const std::string& fileName, SensorCurve& curve,
                       CurveHeader& header) {
    header.name = curve.name;
    header.type = curve.type;
    header.multiplier = curve.multiplier;
    header.unit = curve.unit;
    header.count = curve.count;
    header.sourceIsCrv = IsCrvName(fileName);
    const CurvePlotData plot = PlotDataOf(curve);
    if (!dialog.EditCurveHeader(header, &plot))
        return false;
    curve.name = header.name;
    curve.type = header.type;
    curve.multiplier = header.multiplier;
    curve.unitText = header.unitText;
    return true;
}
