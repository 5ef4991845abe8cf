#include "cli/CurveCommands.h"

#include <cstdio>

#include "base/GivenFiles.h"
#include "cli/CliUi.h"
#include "cli/ExitStatus.h"
#include "cli/StreamLog.h"
#include "curves/CheckCrvFile.h"
#include "curves/ConvertCurve.h"
#include "curves/CurveHeaderDialog.h"
#include "curves/GivenCurveHeader.h"
#include "curves/ListCurveErrors.h"
#include "curves/ReadColonCurveFile.h"
#include "curves/ReadCrvFile.h"

namespace {} // namespace

int RunCurveCheck(const std::string& fileName) {
    CCliUi ui;
    CrvCheck check;
    {
        CStreamLog log(stderr);
        check = CheckCrvFile(fileName, ui, log);
    }
    if (check.count == 0)
        return ExitFailed;
    std::printf("Entries: %d\nHeader lines: %d\n", check.count, check.headerLines);
    return 0;
}

int RunCurveShow(const std::string& fileName) {
    SensorCurve curve;
    CurveReadResult result;
    {
        CStreamLog log(stderr);
        result = IsCrvName(fileName) ? ReadCrvFile(fileName, curve, log)
                                     : ReadColonCurveFile(fileName, curve, log);
    }
    switch (result) {
    case CurveRead::Success:
    case CurveRead::FormatError: {
        CStreamLog listing(stdout);
        ListCurveErrors(curve, listing);
        return result == CurveRead::Success ? 0 : ExitFailed;
    }
    case CurveRead::NoFileName:
        std::fprintf(stderr, "No File Name provided\n");
        break;
    case CurveRead::CannotOpen:
        std::fprintf(stderr, "Cannot open input file\n");
        break;
    default:
        std::fprintf(stderr, "tundrix-cli: %s: the file could not be read\n", fileName.c_str());
        break;
    }
    return ExitFailed;
}

int RunCurveConvert(const CurveConvertOptions& options) {
    CGivenCurveHeader header;
    if (const std::string refusal = GiveCurveHeader(options.header, header); !refusal.empty())
        return Usage("curve convert", refusal);
    CCliUi ui;
    // "Converted Sensor Curve saved" and its like are box and log line at once.
    ui.SetNoticesLogged(true);
    CGivenFiles files(options.input, options.output);
    ConvertOutcome outcome;
    {
        CStreamLog log(stderr);
        outcome = ConvertCurve(files, header, ui, log);
    }
    return outcome == ConvertOutcome::Saved || outcome == ConvertOutcome::NotSaved ? 0 : ExitFailed;
}
