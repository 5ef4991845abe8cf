#include "curves/UserCurveQueries.h"

#include <algorithm>
#include <vector>

#include "comm/CommLink.h"
#include "comm/ReplyShapes.h"
#include "curves/TransferContext.h"
#include "curves/TransferSteps.h"

UserCurveChoice ChooseUserCurve(const TransferContext& context) {
    std::array<std::string, ITableNumberDialogs::UserCurves> replies;
    for (int i = 0; i < ITableNumberDialogs::UserCurves; ++i) {
        const std::string query = "SENSORIX? " + std::to_string(FirstUserCurveIndex + i);
        if (context.link.Query(query, replies[static_cast<std::size_t>(i)]) != Link::Success) {
            ShowCommunicationError(context);
            return {std::nullopt, true};
        }
    }
    return {context.tableNumbers.AskUserCurveNumber(replies), false};
}

bool IsCurveTableEntry(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        fields.push_back(line.substr(start, end - start));
        at = end;
    }
    return fields.size() == 2 && FieldNumber(fields[0]) && FieldNumber(fields[1]);
}

std::optional<std::string> ReadUserCurve(const TransferContext& context, int curve,
                                         const std::string& caption) {
    // The name, type, multiplier and unit, then the entries.
    static constexpr TableShape Curve{4, IsCurveTableEntry, "a curve entry"};
    auto table = ReadAnnouncedTable(
        context, "SENSORIX " + std::to_string(curve + FirstUserCurveIndex - 1) + ":NENTRY?",
        "CALC? " + std::to_string(curve), Curve, context.link.Timeouts().curveReadWait, caption);
    if (!table)
        return std::nullopt;
    return std::move(table->text);
}
