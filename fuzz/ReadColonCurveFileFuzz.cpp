// ReadColonCurveFile over any bytes: no crash, hang or sanitizer report; the
// table bound holds and a successful read is sorted by value.
#include <algorithm>

#include "curves/ReadColonCurveFile.h"
#include "fuzz/FuzzFile.h"
#include "fuzz/NullUi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CFuzzFile input;
    CNullUi ui;
    SensorCurve curve;
    CurveReadResult result = ReadColonCurveFile(input.Write(data, size), curve, ui);
    Require(result == CurveRead::Success || result == CurveRead::FormatError ||
            result == CurveRead::StreamFailed);
    Require(curve.count >= 0 && curve.count <= SensorCurve::MaxEntries);
    if (result == CurveRead::Success) {
        auto begin = curve.entries.begin();
        Require(std::is_sorted(
            begin, begin + curve.count,
            [](const CurveEntry& a, const CurveEntry& b) { return a.value < b.value; }));
        Require(curve.unit >= 0 && curve.unit <= 4);
    }
    return 0;
}
