#include "python/Curve.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "base/GivenFiles.h"
#include "curves/CurveHeaderDialog.h"
#include "curves/ListCurveErrors.h"
#include "curves/ReadColonCurveFile.h"
#include "curves/ReadCrvFile.h"
#include "curves/UnitCode.h"
#include "curves/WriteCrvFile.h"
#include "python/Errors.h"
#include "python/PythonUi.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// The log lines of a reader: the messages tundrix-cli prints on standard error.
class CCollectedLog : public IMessageLog {
public:
    void AppendLog(std::string_view text) override { text_ += text; }
    std::string Text() const {
        std::string text = text_;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        return text;
    }

private:
    std::string text_;
};

constexpr std::string_view ErrorMark = "   **ERROR**";

// The lines of the listing that carry the error mark.
std::string MarkedLines(const SensorCurve& curve) {
    CCollectedLog listing;
    ListCurveErrors(curve, listing);
    const std::string text = listing.Text();
    std::string marked;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line(text.data() + start, end - start);
        if (line.find(ErrorMark) != std::string_view::npos)
            marked += (marked.empty() ? "" : "\n") + std::string(line);
        start = end + 1;
    }
    return marked;
}

// The points as a NumPy array of shape (N, 2) when NumPy is there, else a
// list of pairs: (sensor value, temperature) as the file's columns.
py::object Points(const SensorCurve& curve) {
    py::list pairs;
    for (int i = 0; i < curve.count; ++i) {
        const CurveEntry& entry = curve.entries[static_cast<std::size_t>(i)];
        pairs.append(py::make_tuple(static_cast<double>(entry.value),
                                    static_cast<double>(entry.temperature)));
    }
    try {
        py::module_ numpy = py::module_::import("numpy");
        return numpy.attr("array")(pairs, "dtype"_a = "float64").attr("reshape")(curve.count, 2);
    } catch (const py::error_already_set& error) {
        if (!error.matches(PyExc_ImportError))
            throw;
        return pairs;
    }
}

py::dict Header(const SensorCurve& curve) {
    py::dict header;
    header["name"] = curve.name;
    header["type"] = curve.type;
    header["multiplier"] = static_cast<double>(curve.multiplier);
    header["unit"] = UnitTextOfListIndex(UnitListIndex(curve.unit));
    return header;
}

bool SameCurve(const SensorCurve& a, const SensorCurve& b) {
    if (a.name != b.name || a.type != b.type || a.multiplier != b.multiplier || a.unit != b.unit ||
        a.count != b.count)
        return false;
    for (int i = 0; i < a.count; ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (a.entries[index].value != b.entries[index].value ||
            a.entries[index].temperature != b.entries[index].temperature)
            return false;
    }
    return true;
}

} // namespace

CCurve CCurve::Read(const std::string& path) {
    SensorCurve curve;
    CCollectedLog log;
    const CurveReadResult result =
        IsCrvName(path) ? ReadCrvFile(path, curve, log) : ReadColonCurveFile(path, curve, log);
    switch (result) {
    case CurveRead::Success:
        return CCurve(std::move(curve));
    case CurveRead::FormatError:
        throw FileFailure(OrElse(log.Text(), MarkedLines(curve)));
    case CurveRead::NoFileName:
        throw FileFailure("No File Name provided");
    case CurveRead::CannotOpen:
        throw FileFailure(OrElse(log.Text(), "Cannot open input file"));
    default:
        throw FileFailure(path + ": the file could not be read");
    }
}

void CCurve::Write(const std::string& path) const {
    CGivenFiles files(path);
    CPythonUi boxes;
    std::string error;
    if (WriteCrvFile(curve_, files, boxes, {}, &error) != CrvWriteResult::Written)
        throw FileFailure(boxes.Reason() + (error.empty() ? "" : ": " + error));
}

void RegisterCurve(py::module_& module) {
    py::class_<CCurve>(module, "Curve",
                       "A sensor curve: a header (name, type, multiplier, unit) and up to 200 "
                       "points (sensor value, temperature in kelvin), sorted by value.")
        .def_static("read", &CCurve::Read, "path"_a,
                    "Reads a curve file: a \".crv\" file by its name, any other name as the "
                    "\".340\" layout. Raises FileError when the file cannot be read or holds "
                    "lines that do not read.")
        .def("write", &CCurve::Write, "path"_a,
             "Writes the curve as a \".crv\" file, whole or not at all; raises FileError.")
        .def_property_readonly(
            "header", [](const CCurve& self) { return Header(self.Get()); },
            "The header as a dict: name, type, multiplier, unit (Volts, mVolts, Ohms or LogOhms).")
        .def_property_readonly(
            "points", [](const CCurve& self) { return Points(self.Get()); },
            "The points (sensor value, temperature): a NumPy array of shape (N, 2), or a list "
            "of pairs when NumPy is not installed.")
        .def("__len__", [](const CCurve& self) { return self.Get().count; })
        .def("__eq__",
             [](const CCurve& self, const py::object& other) {
                 return py::isinstance<CCurve>(other) &&
                        SameCurve(self.Get(), other.cast<const CCurve&>().Get());
             })
        .def("__repr__", [](const CCurve& self) {
            return "<tundrix.Curve \"" + self.Get().name + "\" " +
                   std::to_string(self.Get().count) + " points, " +
                   UnitTextOfListIndex(UnitListIndex(self.Get().unit)) + ">";
        });
}
