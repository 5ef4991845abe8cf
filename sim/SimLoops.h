#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CSimCommandTable;
class CSimInputs;

// The control loops of a heater model and the "LOOP n:" commands that reach
// them: loops 1 and 2 drive the heaters, loops 3 and 4 the analog outputs.
//
// A loop whose output is on (range above 0) holds its control input at its
// set point: the input's temperature follows a first-order lag toward it
// (CSimInputs::Pull). When several loops that are on control one input, the
// lowest-numbered one holds it. The output in percent is what a tuned loop
// shows: the power that keeps the set point above the input's natural
// temperature, plus a share of the error that is left, so it saturates after
// a step of the set point and settles as the input comes in.
class CSimLoops {
public:
    static constexpr std::size_t NameLength = 15;
    static constexpr int HeaterLoops = 2;
    static constexpr int MaxHeaterRange = 5;
    static constexpr int MaxAnalogRange = 1;
    static constexpr double MinSetpoint = 0.1; // kelvin; keeps every reading above 0 K
    static constexpr double MaxSetpoint = 1500.0;

    // `loopCount` 0 for a model without loops: every "LOOP n:" command is then in error.
    CSimLoops(int loopCount, CSimInputs& inputs);

    void Register(CSimCommandTable& table);
    // Back to the power-on settings, which hold every input where it is at `now`
    // without a loop; the inputs then drift back there.
    void Reset(double now);

    int Count() const { return static_cast<int>(loops_.size()); }
    // The output of loop `index` (0 for loop 1) in percent, 0 when it is off.
    double OutputPercent(int index, double now) const;

private:
    struct Loop {
        std::string name;
        int input = 0;         // index of the control input
        double setpoint = 0.0; // kelvin
        int range = 0;         // 0: output off
    };

    // The loop a suffix names, or -1 when it names none of this model's.
    int IndexOf(const std::string& suffix) const;
    static bool IsHeater(int index) { return index < HeaterLoops; }
    // Tells every input which loop, if any, now holds it.
    void Steer(double now);

    CSimInputs& inputs_;
    std::vector<Loop> loops_;
};
