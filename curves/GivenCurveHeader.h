#pragma once

#include <optional>

#include "curves/CurveHeaderDialog.h"

// The curve header dialog answered as given: it accepts or aborts as told,
// changes only the fields it was given, and takes the unit text from the unit
// list entry it was given or, without one, from the entry the list opens at.
// It keeps what it was opened with.
class CGivenCurveHeader : public ICurveHeaderDialog {
public:
    bool accept = true;
    std::optional<std::string> name;
    std::optional<std::string> type;
    std::optional<float> multiplier;
    std::optional<int> unitListIndex;
    std::optional<bool> saveAsCrv;

    int runs = 0;
    CurveHeader opened;
    std::optional<CurvePlotData> plot;

    bool EditCurveHeader(CurveHeader& header, const CurvePlotData* plotData) override;
};
