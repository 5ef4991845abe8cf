#pragma once

#include <optional>
#include <string>
#include <string_view>

class CGivenCurveHeader;

// The header fields a front end without windows changes from what the file
// holds; the rest is accepted as read.
struct CurveHeaderOptions {
    std::optional<std::string> name;
    std::optional<std::string> type;
    std::optional<std::string> multiplier;
    std::optional<std::string> unit; // an entry of the unit list: Volts, mVolts, Ohms, LogOhms
};

// Sets the header dialog's answers from the options. "" when they are good,
// else the refusal, each field named by `prefix` and its name
// ("--multiplier: not a number", "--unit: one of ...", "--name holds the
// control character 0x0A; ...").
std::string GiveCurveHeader(const CurveHeaderOptions& options, CGivenCurveHeader& header,
                            std::string_view prefix = "--");
