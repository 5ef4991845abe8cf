#pragma once

#include <array>
#include <string>
#include <vector>

class CSimCommandTable;
class CSimTableInput;

// The controller's eight user curves, sensor table indexes 61..68, and the
// commands that reach them:
//   SENSORIX? i          "name,type,entries" of sensor table entry i (61..68)
//   SENSORIX i:NENTRY?   the number of entries of user curve i - 60
//   CALC n               the lines that follow, up to ";", become user curve
//                        n (1..8): name, type, multiplier, unit, then entries
//   CALC? n              the curve as it was sent, one line each, then ";"
// A curve is stored exactly as its lines came, so that what is read back can
// be compared with what was sent. The reply to "CALC?" holds CR LF between
// its lines; a transport that sends a table line by line splits it there.
class CSimCurves {
public:
    static constexpr int UserCurves = 8;
    static constexpr int FirstUserIndex = 61;
    static constexpr int HeaderLines = 4;
    static constexpr int MaxEntries = 200;

    CSimCurves();

    void Register(CSimCommandTable& table, CSimTableInput& input);

    // The stored lines of user curve n (1..8): the four header lines, then the entries.
    const std::vector<std::string>& Lines(int curve) const;

private:
    int Describe(int index, std::string& reply) const;

    std::array<std::vector<std::string>, UserCurves> curves_;
    std::vector<std::string> receiving_;
};
