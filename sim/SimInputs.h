#pragma once

#include <string>
#include <vector>

class CSimCommandTable;

// The sensor inputs A.. of the controller: their names, display units and
// live-looking readings, and the "INP x:" commands that reach them.
//
// A reading is a pure function of the time it is taken at (a base temperature
// per input, a slow drift and a small noise drawn from a hash of the time), so
// a test that fixes the clock gets the same figures every run.
class CSimInputs {
public:
    static constexpr std::size_t NameLength = 15;

    explicit CSimInputs(int inputCount);

    void Register(CSimCommandTable& table);
    // Back to the power-on names and units.
    void Reset();

    int Count() const { return static_cast<int>(inputs_.size()); }
    double Kelvin(int index, double now) const;
    // The reading of "INP x:TEMP?" in the input's unit, e.g. "77.3412".
    std::string Reading(int index, double now) const;

private:
    enum class SensorKind { Diode, Resistor };
    struct Input {
        std::string name;
        char unit = 'K';
        double baseKelvin = 0.0;
        SensorKind sensor = SensorKind::Diode;
    };

    // The input a suffix names, or -1 when it names none of this model's.
    int IndexOf(const std::string& suffix) const;

    std::vector<Input> inputs_;
};
