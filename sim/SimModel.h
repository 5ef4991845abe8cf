#pragma once

#include <span>

// One member of the controller family, as the simulator plays it.
struct SimModel {
    int code = 0;          // the model code reported first by "SYST:IDEF?"
    const char* name = ""; // the model field of "*IDN?"
    int modelClass =
        0; // 1: no heater loops or PID tables; 2: heater loops, PID tables, analog outputs
    int inputCount = 0; // sensor inputs A.., 2, 4 or 8
    int analogKind = 0; // 0: no analog outputs, 3: analog output 1, 4: analog outputs 1 and 2
    unsigned long serial = 0;

    int HeaterLoopCount() const { return modelClass == 2 ? 2 : 0; }
    int AnalogOutputCount() const {
        return modelClass != 2 ? 0 : analogKind == 4 ? 2 : analogKind == 3 ? 1 : 0;
    }
    // Loops 1 and 2 drive the heaters, loops 3 and 4 the analog outputs.
    int LoopCount() const { return HeaterLoopCount() + AnalogOutputCount(); }

    // The whole family, codes 27..35 in order.
    static std::span<const SimModel> All();
    // The model with this code, or nullptr.
    static const SimModel* Find(int code);
};
