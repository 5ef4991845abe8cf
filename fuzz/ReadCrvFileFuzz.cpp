// ReadCrvFile over any bytes: no crash, hang or sanitizer report; the table
// bound holds; a successful read is sorted, and what the writer makes of it
// reads back with the same entries.
#include <algorithm>

#include "curves/ReadCrvFile.h"
#include "curves/WriteCrvFile.h"
#include "fuzz/FuzzFile.h"
#include "fuzz/NullUi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CFuzzFile input;
    static CFuzzFile rewritten;
    CNullUi ui;
    SensorCurve curve;
    CurveReadResult result = ReadCrvFile(input.Write(data, size), curve, ui);
    Require(result == CurveRead::Success || result == CurveRead::FormatError ||
            result == CurveRead::StreamFailed);
    Require(curve.count >= 0 && curve.count <= SensorCurve::MaxEntries);
    if (result != CurveRead::Success)
        return 0;
    auto begin = curve.entries.begin();
    Require(
        std::is_sorted(begin, begin + curve.count,
                       [](const CurveEntry& a, const CurveEntry& b) { return a.value < b.value; }));

    const std::string text = FormatCrvFile(curve);
    SensorCurve again;
    Require(ReadCrvFile(
                rewritten.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                again, ui) == CurveRead::Success);
    Require(again.count == curve.count && again.unit == curve.unit);
    for (int i = 0; i < curve.count; ++i)
        Require(again.entries[i].value == curve.entries[i].value &&
                again.entries[i].temperature == curve.entries[i].temperature);
    return 0;
}
