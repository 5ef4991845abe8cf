#pragma once

#include <string_view>

// What a line a client sends asks of the instrument, as far as the server
// must know to serve it whole: a query reads one reply line; a table query
// ("CALC? n", "PIDT t:TABLE?", "DLog:Read?") reads lines up to the one that
// begins with ";"; a table input ("CALC n", "PIDT t:table") makes the
// instrument take the lines that follow, up to the ";" line, as a table, so
// no other client's line may come between them.
enum class LineKind { Query, Command, TableQuery, TableInput };

LineKind ClassifyLine(std::string_view line);
// The line that ends a table input.
bool IsTableEnd(std::string_view line);
// The most lines the table of a table query may hold, its ";" line apart;
// 0 for the data log, whose count the instrument tells ("DLog:Count?").
int TableQueryLines(std::string_view line);
// Whether the instrument could change when it takes `line`: anything but one
// or more queries (chained with ";") does.
bool ChangesInstrument(std::string_view line);
