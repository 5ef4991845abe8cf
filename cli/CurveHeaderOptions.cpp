#include "cli/CurveHeaderOptions.h"

#include <CLI/CLI.hpp>

#include "base/DecimalText.h"
#include "curves/GivenCurveHeader.h"
#include "curves/UnitCode.h"

void AddCurveHeaderOptions(CLI::App& command, CurveHeaderOptions& options) {
    command.add_option("--name", options.name, "sensor name");
    command.add_option("--type", options.type, "sensor type");
    command.add_option("--multiplier", options.multiplier, "curve multiplier");
    command.add_option("--unit", options.unit, "Volts, mVolts, Ohms or LogOhms");
}

std::string GiveCurveHeader(const CurveHeaderOptions& options, CGivenCurveHeader& header) {
    header.name = options.name;
    header.type = options.type;
    if (options.multiplier) {
        float multiplier = 0.0f;
        if (!ParseNumber(*options.multiplier, multiplier))
            return "--multiplier: not a number";
        header.multiplier = multiplier;
    }
    if (options.unit) {
        for (int i = 0; i < UnitListSize && !header.unitListIndex; ++i)
            if (*options.unit == UnitListEntry(i))
                header.unitListIndex = i;
        if (!header.unitListIndex)
            return "--unit: one of Volts, mVolts, Ohms, LogOhms";
    }
    return {};
}
