#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// What the strip chart window has to do after a change of its points.
enum class StripRedraw {
    Append,  // hand the newest point to the chart
    Rebuild, // the range changed: build the chart again from every point
};

// The outcome of "Apply": the range taken, or why not, and the field at fault.
struct StripApplyResult {
    enum class Status {
        Accepted,       // range taken; the chart is rebuilt
        NotANumber,     // "Enter a number."
        OutOfRange,     // "Enter a number between -273 and 1000."
        MaxNotAboveMin, // "Max value must be bigger than the min value"; range taken, no rebuild
    };
    enum class Field { Max, Min, None };

    Status status = Status::Accepted;
    Field field = Field::None;

    // The text of the box the window shows, empty when accepted.
    std::string Message() const;
};

// The strip chart's points and scaling, without any window: the last N values
// with their time labels, oldest first, and the value range. In automatic
// scaling the range only ever widens, with a 10 % margin, to take in the values
// seen; in manual scaling it comes from the "Max:" and "Min:" fields.
class CStripChartScale {
public:
    static constexpr unsigned DefaultPointCount = 20;
    // Far beyond any window's width in pixels; a bigger count is cut to it.
    static constexpr unsigned MaxPointCount = 10000;
    // The "Max:" and "Min:" fields: what "Apply" accepts, and their length.
    static constexpr double LowestValue = -273.0;
    static constexpr double HighestValue = 1000.0;
    static constexpr std::size_t FieldLength = 7;

    // Before Allocate only; the count is fixed for the window's life.
    void SetPointCount(unsigned count);
    unsigned PointCount() const { return pointCount_; }

    enum class Storage { Allocated, NoValues, NoLabels };
    // The N values, all 0, and the N labels, all empty.
    Storage Allocate();
    bool HasStorage() const { return !values_.empty() && !labels_.empty(); }

    const std::vector<float>& Values() const { return values_; }
    const std::vector<std::string>& Labels() const { return labels_; }
    double Max() const { return max_; }
    double Min() const { return min_; }
    bool IsManual() const { return manual_; }

    // Pushes the oldest point out and stores this one at the end. Without
    // storage nothing changes and Append comes back.
    StripRedraw AddPoint(float value, const std::string& label);
    // All values 0, all labels empty; the range stays.
    void Clear();
    // Automatic scaling: the range widens to take in every stored value.
    void Auto();
    void Manual() { manual_ = true; }
    // Reads both fields into the range, max first.
    StripApplyResult Apply(std::string_view maxText, std::string_view minText);

    // The range widened to take in a value: x 1.1 or x 0.9 by its sign, so
    // that the value sits inside the margin.
    static double MaxFrom(double value);
    static double MinFrom(double value);
    // What a field keeps of typed text: the digits and ".".
    static std::string FilterField(std::string_view text);
    // A range member as its field shows it: 15 significant digits, cut to the field's length.
    static std::string FieldText(double value);
    // A point's label: the local time "%H:%M:%S".
    static std::string TimeLabel(std::time_t time);

private:
    unsigned pointCount_ = DefaultPointCount;
    std::vector<float> values_;
    std::vector<std::string> labels_;
    double max_ = 0.0;
    double min_ = 0.0;
    bool manual_ = false;
};
