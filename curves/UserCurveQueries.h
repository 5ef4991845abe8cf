#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "curves/TableNumberDialogs.h"

struct TransferContext;

// The instrument's user curves: user curve n (1..8) is its sensor table
// index n + 60.
inline constexpr int FirstUserCurveIndex = 61;

// "SENSORIX? %d" for 61..68, each with its reply, then CCalTblNumReq with the
// replies. The user curve chosen, or nothing when a query failed ("Communication
// Error" and the hints shown) or the dialog was cancelled.
struct UserCurveChoice {
    std::optional<int> curve;
    bool communicationFailed = false;
};
UserCurveChoice ChooseUserCurve(const TransferContext& context);

// An entry line of a user curve as the instrument sends it: two numbers.
bool IsCurveTableEntry(std::string_view line);

// Reads user curve n from the instrument: "SENSORIX %d:NENTRY?" for the
// expected entry count, the wait, then the link's table read of "CALC? %d"
// with the progress caption, the table checked (ReadAnnouncedTable). The table
// text as received, or nothing after a failure ("Communication Error" or
// "Communication connection failed", and the hints, shown).
std::optional<std::string> ReadUserCurve(const TransferContext& context, int curve,
                                         const std::string& caption);
