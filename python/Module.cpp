// The Python module tundrix: the utility's operations over the same core as
// the window and tundrix-cli, with exceptions in place of message boxes.

#include <charconv>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "base/DecimalText.h"
#include "base/GivenFiles.h"
#include "calc/VaporixCommand.h"
#include "curves/CalGen.h"
#include "curves/ConvertCurve.h"
#include "curves/CurveHeaderOptions.h"
#include "curves/GivenCurveHeader.h"
#include "curves/GivenReferencePoints.h"
#include "python/Curve.h"
#include "python/Errors.h"
#include "python/Instrument.h"
#include "python/PythonUi.h"
#include "python/TempFolder.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// A keyword argument's text: a string as given, a number in the C locale.
std::optional<std::string> FieldText(const py::kwargs& header, const char* field) {
    if (!header.contains(field))
        return std::nullopt;
    const py::object value = header[field];
    if (py::isinstance<py::str>(value))
        return value.cast<std::string>();
    if (py::isinstance<py::float_>(value) || py::isinstance<py::int_>(value))
        return FormatGeneral(value.cast<double>(), 9);
    throw InputRefusal(std::string(field) + ": a text or a number");
}

CCurve Convert340(const std::string& source, const std::string& output, const py::kwargs& header) {
    for (const auto& item : header) {
        const std::string key = py::str(item.first);
        if (key != "name" && key != "type" && key != "multiplier" && key != "unit")
            throw InputRefusal(key + ": not a header field (name, type, multiplier, unit)");
    }
    const CurveHeaderOptions options{FieldText(header, "name"), FieldText(header, "type"),
                                     FieldText(header, "multiplier"), FieldText(header, "unit")};
    CGivenCurveHeader given;
    if (const std::string refusal = GiveCurveHeader(options, given, ""); !refusal.empty())
        throw InputRefusal(refusal);
    CPythonUi ui;
    // "Converted Sensor Curve saved" and its like are box and log line at once.
    ui.SetNoticesLogged(true);
    CGivenFiles files(source, output);
    ConvertOutcome outcome = ConvertOutcome::Saved;
    {
        py::gil_scoped_release release;
        outcome = ConvertCurve(files, given, ui, ui);
    }
    ui.Flush();
    if (outcome == ConvertOutcome::WriteFailed)
        throw FileFailure(OrElse(ui.Reason(), "Failed to create file"));
    if (outcome != ConvertOutcome::Saved)
        throw FileFailure(OrElse(ui.Reason(), "Failed to read file"));
    return CCurve::Read(output);
}

CCurve CalGen(const std::string& kind, const std::string& source,
              const std::vector<std::pair<double, double>>& points,
              const std::optional<std::string>& output, bool allowNonpositive) {
    const auto operation = CalGenOperationByName(kind);
    if (!operation)
        throw InputRefusal("kind: one of " + std::string(CalGenOperationNames));
    const std::size_t rows = CalGenPointCount(*operation);
    if (points.size() != rows)
        throw InputRefusal(kind + " takes " + std::to_string(rows) +
                           (rows == 1 ? " point" : " points"));
    CGivenReferencePoints dialog;
    dialog.keepNonpositive = allowNonpositive;
    dialog.answers.emplace_back();
    for (const auto& [temperature, value] : points)
        dialog.answers.front().push_back(
            {static_cast<float>(temperature), static_cast<float>(value)});

    // Without an output the curve goes through a file of a folder of its own.
    std::optional<CTempFolder> folder;
    std::string file;
    if (output) {
        file = *output;
    } else {
        file = folder.emplace().File("CalGen.crv");
    }

    CPythonUi ui;
    CGivenFiles files(source, file);
    CalGenOutcome outcome = CalGenOutcome::Saved;
    {
        py::gil_scoped_release release;
        outcome = RunCalGen(*operation, files, dialog, ui, ui);
    }
    ui.Flush();
    if (!dialog.refusal.empty())
        throw InputRefusal("point " + std::to_string(dialog.refusedRow) + ": " + dialog.refusal);
    if (outcome == CalGenOutcome::Saved)
        return CCurve::Read(file);
    if (!dialog.nonpositiveQuestion.empty() && !allowNonpositive)
        throw InputRefusal(dialog.nonpositiveQuestion +
                           " allow_nonpositive=True writes it all the same");
    if (outcome == CalGenOutcome::WriteFailed)
        throw FileFailure(OrElse(ui.Reason(), "Failed to create file"));
    if (outcome == CalGenOutcome::Refused && dialog.opened.empty())
        throw FileFailure(OrElse(ui.Reason(), source + ": the source curve was refused"));
    throw InputRefusal(OrElse(ui.Reason(), "the reference points were refused"));
}

double BoilingTemperature(const py::object& gas, const py::object& pressure,
                          const py::object& pressureUnit, const py::object& temperatureUnit) {
    const auto text = [](const py::object& value) {
        if (py::isinstance<py::float_>(value))
            return FormatGeneral(value.cast<double>(), 17);
        return py::str(value).cast<std::string>();
    };
    std::string result, error;
    const int status = RunVaporixCommand(text(gas), text(pressure), text(pressureUnit),
                                         text(temperatureUnit), result, error);
    if (status != 0)
        throw InputRefusal(error);
    // "%10.4f": blanks before the number.
    const std::size_t first = result.find_first_not_of(' ');
    double temperature = 0.0;
    std::from_chars(result.data() + first, result.data() + result.size(), temperature);
    return temperature;
}

} // namespace

PYBIND11_MODULE(tundrix, module) {
    module.doc() = "Tundrix: the utility's operations for cryogenic temperature controllers "
                   "(curves, PID tables, CalGen, data logging, monitors, command files) over "
                   "the same core as the window and tundrix-cli.";
    module.attr("__version__") = TUNDRIX_VERSION;
    RegisterErrors(module);
    RegisterCurve(module);
    RegisterInstrument(module);

    module.def("convert_340", &Convert340, "source"_a, "output"_a,
               "Converts a text curve in the .340 layout into a .crv file, as Sensor Curve "
               "Convert does with its header dialog accepted; keyword arguments name, type, "
               "multiplier and unit (Volts, mVolts, Ohms, LogOhms) change the header. Returns "
               "the written Curve.");
    module.def("calgen", &CalGen, "kind"_a, "source"_a, "points"_a, "output"_a = py::none(),
               "allow_nonpositive"_a = false,
               "Fits the standard .crv curve source to one sensor through its reference "
               "points, (temperature, value) pairs in the order of the dialog's rows. kind: "
               "diode-300k, diode-4.2k (1 point), diode-2, platinum (2), diode-3 (3). Writes "
               "output exactly as tundrix-cli calgen does, when given, and returns the Curve.");
    module.def("boiling_temperature", &BoilingTemperature, "gas"_a, "pressure"_a, "pressure_unit"_a,
               "temperature_unit"_a,
               "The boiling temperature of a pure liquid at a vapor pressure, as the "
               "calculator shows it (to 4 decimals). gas: Water, \"Ethyl Alcohol\", \"Carbon "
               "Dioxide\", Nitrogen, \"Helium 2\"; pressure_unit: mmHg, inHg, ATM, psia, Torr; "
               "temperature_unit: K, C, F.");
}
