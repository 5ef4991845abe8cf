#include "curves/CurveHeaderOptions.h"

#include <utility>

#include "base/DecimalText.h"
#include "curves/CurveHeaderField.h"
#include "curves/GivenCurveHeader.h"
#include "curves/UnitCode.h"

std::string GiveCurveHeader(const CurveHeaderOptions& options, CGivenCurveHeader& header,
                            std::string_view prefix) {
    const std::string front(prefix);
    const std::pair<const char*, const std::optional<std::string>&> fields[] = {
        {"name", options.name},
        {"type", options.type},
        {"multiplier", options.multiplier},
        {"unit", options.unit}};
    for (const auto& [field, text] : fields)
        if (text)
            if (const std::string problem = HeaderFieldProblem(*text); !problem.empty()) {
                std::string refusal = front;
                refusal.append(field).append(" ").append(problem);
                return refusal;
            }
    header.name = options.name;
    header.type = options.type;
    if (options.multiplier) {
        float multiplier = 0.0f;
        if (!ParseNumber(*options.multiplier, multiplier))
            return front + "multiplier: not a number";
        header.multiplier = multiplier;
    }
    if (options.unit) {
        for (int i = 0; i < UnitListSize && !header.unitListIndex; ++i)
            if (*options.unit == UnitListEntry(i))
                header.unitListIndex = i;
        if (!header.unitListIndex)
            return front + "unit: one of Volts, mVolts, Ohms, LogOhms";
    }
    return {};
}
