#pragma once

#include <optional>
#include <string>
#include <vector>

class CSimCommandTable;

// The sensor inputs A.. of the controller: their names, display units and
// live-looking readings, and the "INP x:" commands that reach them.
//
// An input's natural temperature is a pure function of the time it is taken
// at (a base temperature per input, a slow drift and a small noise drawn from a
// hash of the time). A control loop that holds the input adds an offset that
// follows a first-order lag toward its set point; the lag is solved in closed
// form from the moment of the last change, so the figures depend only on the
// times of the readings and of the settings, and a test that fixes the clock
// gets the same figures every run.
class CSimInputs {
public:
    static constexpr std::size_t NameLength = 15;
    // Time constant of the lag: 63 % of the way after this many seconds.
    static constexpr double PullSeconds = 20.0;

    explicit CSimInputs(int inputCount);

    void Register(CSimCommandTable& table);
    // Back to the power-on names and units. The temperatures keep their course:
    // a reset cannot make a cold stage jump.
    void Reset();

    int Count() const { return static_cast<int>(inputs_.size()); }
    // The temperature the input hovers around when no loop holds it.
    double BaseKelvin(int index) const;
    double Kelvin(int index, double now) const;
    // From `now` on, steers the input toward `kelvin` (a loop holds it there),
    // or back to its natural temperature when `kelvin` is empty.
    void Pull(int index, std::optional<double> kelvin, double now);
    // The reading of "INP x:TEMP?" in the input's unit, e.g. "77.3412".
    std::string Reading(int index, double now) const;

private:
    enum class SensorKind { Diode, Resistor };
    struct Input {
        std::string name;
        char unit = 'K';
        double baseKelvin = 0.0;
        SensorKind sensor = SensorKind::Diode;
        // The lag: `offset` kelvin above the natural temperature at `since`,
        // heading for `target`.
        double offset = 0.0;
        double target = 0.0;
        double since = 0.0;
    };

    static double Offset(const Input& input, double now);

    // The input a suffix names, or -1 when it names none of this model's.
    int IndexOf(const std::string& suffix) const;

    std::vector<Input> inputs_;
};
