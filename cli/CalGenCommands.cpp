#include "cli/CalGenCommands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "base/DecimalText.h"
#include "base/GivenFiles.h"
#include "cli/CliUi.h"
#include "cli/ExitStatus.h"
#include "cli/StreamLog.h"
#include "curves/CalGen.h"
#include "curves/GivenReferencePoints.h"

namespace {

struct OperationName {
    std::string_view name;
    CalGenOperation operation;
    std::size_t points; // rows of its dialog
};

constexpr std::array<OperationName, 5> Operations{{
    {"diode-300k", CalGenOperation::Diode300K, 1},
    {"diode-4.2k", CalGenOperation::Diode4K2, 1},
    {"diode-2", CalGenOperation::DiodeTwoPoints, 2},
    {"diode-3", CalGenOperation::DiodeThreePoints, 3},
    {"platinum", CalGenOperation::Platinum, 2},
}};

// "T,V": the temperature and the sensor's value, each a number in the C locale.
bool ParsePoint(std::string_view text, GivenPoint& point) {
    const std::size_t comma = text.find(',');
    return comma != std::string_view::npos &&
           ParseNumber(text.substr(0, comma), point.temperature) &&
           ParseNumber(text.substr(comma + 1), point.value);
}

} // namespace

int RunCalGenCommand(const CalGenOptions& options) {
    const auto chosen =
        std::find_if(Operations.begin(), Operations.end(),
                     [&](const OperationName& entry) { return entry.name == options.operation; });
    if (chosen == Operations.end())
        return Usage("calgen", "OP: one of " + std::string(CalGenOperationNames));
    if (options.points.size() != chosen->points)
        return Usage("calgen", options.operation + " takes " + std::to_string(chosen->points) +
                                   (chosen->points == 1 ? " --point" : " --point options"));

    CGivenReferencePoints dialog;
    dialog.keepNonpositive = options.allowNonpositive;
    dialog.answers.emplace_back();
    for (std::size_t i = 0; i < options.points.size(); ++i) {
        GivenPoint point;
        if (!ParsePoint(options.points[i], point))
            return Usage("calgen",
                         "--point " + options.points[i] + ": T,V expected, for example 300,0.52");
        dialog.answers.front().push_back(point);
    }

    CCliUi boxes;
    CGivenFiles files(options.source, options.output);
    CalGenOutcome outcome;
    {
        CStreamLog log(stdout);
        outcome = RunCalGen(chosen->operation, files, dialog, boxes, log);
    }
    std::fflush(stdout);
    if (!dialog.refusal.empty()) {
        std::fprintf(stderr, "tundrix-cli: calgen: --point %d: %s\n", dialog.refusedRow,
                     dialog.refusal.c_str());
        return ExitFailed;
    }
    if (outcome == CalGenOutcome::Saved)
        return 0;
    if (!dialog.nonpositiveQuestion.empty() && !options.allowNonpositive) {
        std::fprintf(stderr, "tundrix-cli: calgen: %s --allow-nonpositive writes it all the same\n",
                     dialog.nonpositiveQuestion.c_str());
        return ExitFailed;
    }
    // The boxes have said why; the dialog would now be shown again.
    if (dialog.opened.size() > 1)
        std::fprintf(stderr, "tundrix-cli: calgen: the reference points were refused\n");
    return ExitFailed;
}
