#include "cli/CurveHeaderOptions.h"

#include <CLI/CLI.hpp>

#include <utility>

#include "base/DecimalText.h"
#include "curves/CurveHeaderField.h"
#include "curves/GivenCurveHeader.h"
#include "curves/UnitCode.h"

void AddCurveHeaderOptions(CLI::App& command, CurveHeaderOptions& options) {
    command.add_option("--name", options.name, "sensor name");
    command.add_option("--type", options.type, "sensor type");
    command.add_option("--multiplier", options.multiplier, "curve multiplier");
    command.add_option("--unit", options.unit, "Volts, mVolts, Ohms or LogOhms");
}

std::string GiveCurveHeader(const CurveHeaderOptions& options, CGivenCurveHeader& header) {
    const std::pair<const char*, const std::optional<std::string>&> fields[] = {
        {"--name", options.name},
        {"--type", options.type},
        {"--multiplier", options.multiplier},
        {"--unit", options.unit}};
    for (const auto& [option, text] : fields)
        if (text)
            if (const std::string problem = HeaderFieldProblem(*text); !problem.empty())
                return option + (" " + problem);
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
