#include "curves/UserCurveQueries.h"

#include "base/BusyWait.h"
#include "comm/CommLink.h"
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

std::optional<std::string> ReadUserCurve(const TransferContext& context, int curve,
                                         const std::string& caption) {
    std::string reply;
    const std::string count =
        "SENSORIX " + std::to_string(curve + FirstUserCurveIndex - 1) + ":NENTRY?";
    if (context.link.Query(count, reply) != Link::Success) {
        ShowCommunicationError(context);
        return std::nullopt;
    }
    const int expected = LeadingCount(reply);
    // The instrument's pause before "CALC? %d" (LinkTimeouts::curveReadWait);
    // on the window's thread the windows keep painting through it.
    SleepPumped(context.link.Timeouts().curveReadWait);
    const std::string read = "CALC? " + std::to_string(curve);
    std::string table;
    if (context.link.ReadTable(expected, caption, &read, &table) < 0) {
        ShowConnectionFailed(context);
        return std::nullopt;
    }
    return table;
}
