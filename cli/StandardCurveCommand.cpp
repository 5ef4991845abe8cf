#include "cli/StandardCurveCommand.h"

#include <cmath>
#include <cstdio>

#include "base/AtomicFile.h"
#include "base/DecimalText.h"
#include "cli/ExitStatus.h"
#include "curves/SaveStandardCurve.h"
#include "curves/StandardCurve.h"

namespace {

constexpr char Command[] = "curve standard";
// Beyond any curve, within an int.
constexpr double WholeLimit = 1e6;

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// One number option; "" when it was given well or not at all.
std::string TakeNumber(const char* option, const std::string& text, std::optional<double>& value) {
    if (text.empty())
        return {};
    value = FieldNumber(text);
    return value ? std::string() : std::string(option) + " " + text + ": not a number";
}

std::optional<UnitCode> UnitNamed(const std::string& name) {
    if (name == "Ohms")
        return UnitOhms;
    if (name == "LogOhm" || name == "LogOhms")
        return UnitLogOhms;
    if (name == "mVolts")
        return UnitMilliVolts;
    return std::nullopt;
}

} // namespace

std::string StandardCurveKindNames() {
    std::string names;
    for (const StandardKind& kind : StandardKinds())
        names += (names.empty() ? "" : ", ") + std::string(kind.name);
    return names;
}

int RunStandardCurveCommand(const StandardCurveOptions& options) {
    const StandardKind* kind = StandardKindByName(options.kind);
    if (kind == nullptr)
        return Usage(Command, "KIND: one of " + StandardCurveKindNames());
    if (!EndsWith(options.output, ".crv") && !EndsWith(options.output, ".340"))
        return Usage(Command, "OUT: a .crv or .340 file");
    StandardCurveRequest request = RequestOf(*kind);
    std::optional<double> r0, points;
    std::string refusal = TakeNumber("--r0", options.r0, r0);
    if (refusal.empty())
        refusal = TakeNumber("--from", options.from, request.fromKelvin);
    if (refusal.empty())
        refusal = TakeNumber("--to", options.to, request.toKelvin);
    if (refusal.empty())
        refusal = TakeNumber("--points", options.points, points);
    if (!refusal.empty())
        return Usage(Command, refusal);
    if (kind->sensor == StandardSensor::Platinum && kind->r0 == 0.0 && !r0)
        return Usage(Command, "platinum needs --r0");
    if (r0 && !(kind->sensor == StandardSensor::Platinum && kind->r0 == 0.0))
        return Usage(Command, "--r0 goes with platinum only");
    if (r0)
        request.r0 = *r0;
    if (points) {
        if (*points != std::floor(*points) || std::fabs(*points) > WholeLimit)
            return Usage(Command, "--points " + options.points + ": not a whole number");
        request.points = static_cast<int>(*points);
    }
    if (!options.unit.empty()) {
        request.unit = UnitNamed(options.unit);
        if (!request.unit)
            return Usage(Command, "--unit " + options.unit + ": Ohms, LogOhm or mVolts");
    }

    const StandardCurveResult result = MakeStandardCurve(request);
    if (!result.curve) {
        std::fprintf(stderr, "tundrix-cli: %s: %s\n", Command, result.refusal.c_str());
        return ExitFailed;
    }
    std::printf("%s", StandardCurveSummary(*result.curve).c_str());
    std::string why;
    if (!WriteFileAtomically(options.output, StandardCurveFileText(*result.curve, options.output),
                             &why)) {
        std::fprintf(stderr, "Failed to create file\n%s\n", why.c_str());
        return ExitFailed;
    }
    std::printf("Standard curve saved to %s\n", options.output.c_str());
    return 0;
}
