#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/DecimalText.h" // FieldNumber: a field that is one number

// A reply becomes data only when it has the shape its query asked for: one
// check per kind of reply, used by every operation. Each check gives "" when
// the reply fits, else what was wrong, as a line for the message log that
// names the query ("reply to ... had 3 values, 4 were asked for").

// The number of queries in a command line: its "?" marks.
int QueryCount(std::string_view command);

// The first control character of a reply's text other than its line ends
// and tabs, as "0x00"; nothing when there is none.
std::optional<std::string> ControlCharacter(std::string_view text);

// A value list: as many ";"-separated fields as `command` asks queries, each
// a number.
std::string CheckValueList(std::string_view command, std::string_view reply);

// A count the instrument announces (entries, records): one whole number, 0 or more.
std::optional<int> ParseCount(std::string_view reply);

// A state: "on", "off", "1" or "0" (any case), given back as the instrument
// takes it in a command ("on" or "off").
std::optional<std::string> ParseState(std::string_view reply);

// A unit of the instrument's readings: K, C, F, S (sensor units), V, mV, Ohm.
bool IsInstrumentUnit(std::string_view unit);

// What a table is made of: lines of free text first, then the entries, each
// of which `isEntry` must accept.
struct TableShape {
    int headerLines = 0;
    bool (*isEntry)(std::string_view line) = nullptr;
    const char* entryName = "an entry"; // for the message: "entry 3 is not a curve entry"
};

// A table as the link's ReadTable delivers it: its lines (CR LF or LF apart,
// the ";" line that ended it left off), `announced` entries after the header
// lines, each one an entry of `shape`. The lines of a table that fits, or
// nothing with `why` telling what was wrong.
std::optional<std::vector<std::string>> CheckTable(std::string_view command, std::string_view table,
                                                   int announced, const TableShape& shape,
                                                   std::string& why);
