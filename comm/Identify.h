#pragma once

#include <optional>
#include <string>
#include <string_view>

// The model text shown for an "*IDN?" reply: the text before its second comma
// (maker and model of a four-field reply); empty with fewer than two commas.
std::string ModelTextFromIdn(std::string_view reply);

// The model code of a "SYST:IDEF?" reply: seven comma-separated numbers, the
// first the code. Only a complete reply with a code of the family (27..35) gives one.
std::optional<int> ParseModelCode(std::string_view reply);
