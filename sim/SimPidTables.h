#pragma once

#include <array>
#include <string>
#include <vector>

class CSimCommandTable;
class CSimTableInput;

// The PID tables of a heater model, 1..6, and the commands that reach them:
//   PIDT t:table     the lines that follow, up to ";", become table t: a
//                    title line, then up to 16 entries
//   PIDT t:NENT?     the number of entries of table t
//   PIDT t:TABLE?    the table as it was sent, one line each, then ";"
// Tables hold exactly the lines they were sent. A table of more than 16
// entries is refused and the old one kept.
class CSimPidTables {
public:
    static constexpr int Tables = 6;
    static constexpr int MaxEntries = 16;

    CSimPidTables();

    void Register(CSimCommandTable& table, CSimTableInput& input);

    // The stored lines of table t (1..6): the title, then the entries.
    const std::vector<std::string>& Lines(int table) const;

private:
    // The table a suffix names (1..Tables), or 0.
    static int TableOf(const std::string& suffix);

    std::array<std::vector<std::string>, Tables> tables_;
    std::vector<std::string> receiving_;
};
