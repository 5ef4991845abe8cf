#pragma once

#include <optional>
#include <vector>

#include "curves/TableNumberDialogs.h"

// The table number dialogs answered as given: a number, or "Cancel" when none
// was given. They keep what they were opened with.
class CGivenTableNumbers : public ITableNumberDialogs {
public:
    std::optional<int> userCurve;
    std::optional<int> pidTable;

    std::vector<std::array<std::string, UserCurves>> curveDialogs; // the replies each one showed
    int pidDialogs = 0;

    std::optional<int>
    AskUserCurveNumber(const std::array<std::string, UserCurves>& replies) override;
    std::optional<int> AskPIDTableNumber() override;
};
