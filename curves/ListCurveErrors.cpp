#include "curves/ListCurveErrors.h"

#include <algorithm>
#include <string>

#include "base/UserInterface.h"

namespace {

void ListLine(IMessageLog& log, const std::string& text, bool error) {
    log.AppendLog(text + (error ? "   **ERROR**\n" : "\n"));
}

} // namespace

void ListCurveErrors(const SensorCurve& curve, IMessageLog& log) {
    ListLine(log, curve.name, curve.nameError);
    ListLine(log, curve.type, curve.typeError);
    ListLine(log, curve.multiplierText, curve.multiplierError);
    ListLine(log, curve.unitText, curve.unitError);
    const int count = std::clamp(curve.count, 0, SensorCurve::MaxEntries);
    for (int i = 0; i < count; ++i)
        ListLine(log, curve.entries[i].line, curve.entries[i].error);
}
