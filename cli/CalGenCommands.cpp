#include "cli/CalGenCommands.h"

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

// "T,V": the temperature and the sensor's value, each a number in the C locale.
bool ParsePoint(std::string_view text, GivenPoint& point) {
    const std::size_t comma = text.find(',');
    return comma != std::string_view::npos &&
           ParseNumber(text.substr(0, comma), point.temperature) &&
           ParseNumber(text.substr(comma + 1), point.value);
}

} // namespace

int RunCalGenCommand(const CalGenOptions& options) {
    const auto chosen = CalGenOperationByName(options.operation);
    if (!chosen)
        return Usage("calgen", "OP: one of " + std::string(CalGenOperationNames));
    const std::size_t rows = CalGenPointCount(*chosen);
    if (options.points.size() != rows)
        return Usage("calgen", options.operation + " takes " + std::to_string(rows) +
                                   (rows == 1 ? " --point" : " --point options"));

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
        outcome = RunCalGen(*chosen, files, dialog, boxes, log);
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
