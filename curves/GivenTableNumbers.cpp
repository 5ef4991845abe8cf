#include "curves/GivenTableNumbers.h"

std::optional<int>
CGivenTableNumbers::AskUserCurveNumber(const std::array<std::string, UserCurves>& replies) {
    curveDialogs.push_back(replies);
    return userCurve;
}

std::optional<int> CGivenTableNumbers::AskPIDTableNumber() {
    ++pidDialogs;
    return pidTable;
}
