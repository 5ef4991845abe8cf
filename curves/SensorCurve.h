#pragma once

#include <array>
#include <string>
#include <vector>

#include "curves/UnitCode.h"

// One line of a curve table.
struct CurveEntry {
    float value = 0.0f;       // the sensor reading, first column
    float temperature = 0.0f; // kelvin, second column
    std::string line;         // the source line as read, without its line end
    bool error = false;       // the line did not parse
};

// A sensor curve in memory, as the readers fill it and the writer and the
// instrument take it. The table is fixed: a curve never holds more than
// MaxEntries entries.
struct SensorCurve {
    static constexpr int MaxEntries = 200;

    std::string name;
    // The name line was longer than the reader takes, or holds a control character.
    bool nameError = false;
    std::string type = "ACR";
    bool typeError = false;
    float multiplier = 1.0f;
    std::string multiplierText;
    bool multiplierError = false;
    UnitCode unit = UnitVolts;
    bool unitError = false;
    std::string unitText;
    int count = 0;
    std::array<CurveEntry, MaxEntries> entries;
};

// Sorts the entries in use by sensor value, ascending.
void SortByValue(SensorCurve& curve);

// What the curve plot draws: the temperatures (x) and sensor values (y) of the
// entries in use, and the unit for the axis label.
struct CurvePlotData {
    std::vector<float> temperatures;
    std::vector<float> values;
    UnitCode unit = UnitVolts;
};
CurvePlotData PlotDataOf(const SensorCurve& curve);
