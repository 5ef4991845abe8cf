#pragma once

#include <array>
#include <optional>
#include <string>

// The table number dialogs of the curve and PID table transfers. The GUI
// shows the real dialogs (CCalTblNumReq, CPIDTblNumReq); the CLI and the
// tests answer with numbers they were given.
class ITableNumberDialogs {
public:
    static constexpr int UserCurves = 8;

    virtual ~ITableNumberDialogs() = default;
    // CCalTblNumReq, opened with the instrument's replies to "SENSORIX? %d"
    // for user curves 1..8 as they arrived: the chosen user curve 1..8, or
    // nothing on "Cancel".
    virtual std::optional<int>
    AskUserCurveNumber(const std::array<std::string, UserCurves>& replies) = 0;
    // CPIDTblNumReq: the PID table number as typed or chosen, any integer, or
    // nothing on "Cancel".
    virtual std::optional<int> AskPIDTableNumber() = 0;
};
