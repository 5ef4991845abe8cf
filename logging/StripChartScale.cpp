#include "logging/StripChartScale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>

#include "base/DecimalText.h"

std::string StripApplyResult::Message() const {
    switch (status) {
    case Status::NotANumber:
        return "Enter a number.";
    case Status::OutOfRange:
        return "Enter a number between " + FormatGeneral(CStripChartScale::LowestValue, 15) +
               " and " + FormatGeneral(CStripChartScale::HighestValue, 15) + ".";
    case Status::MaxNotAboveMin:
        return "Max value must be bigger than the min value";
    default:
        return {};
    }
}

void CStripChartScale::SetPointCount(unsigned count) {
    pointCount_ = std::min(count, MaxPointCount);
}

CStripChartScale::Storage CStripChartScale::Allocate() {
    try {
        values_.assign(pointCount_, 0.0f);
    } catch (const std::bad_alloc&) {
        values_.clear();
        return Storage::NoValues;
    }
    try {
        labels_.assign(pointCount_, std::string());
    } catch (const std::bad_alloc&) {
        labels_.clear();
        return Storage::NoLabels;
    }
    return pointCount_ == 0 ? Storage::NoValues : Storage::Allocated;
}

StripRedraw CStripChartScale::AddPoint(float value, const std::string& label) {
    if (!HasStorage())
        return StripRedraw::Append;
    // Shifted in place: a label of "%H:%M:%S" fits in a string's own buffer,
    // so no point allocates anything.
    std::move(values_.begin() + 1, values_.end(), values_.begin());
    values_.back() = value;
    std::move(labels_.begin() + 1, labels_.end(), labels_.begin());
    labels_.back() = label;
    if (manual_)
        return StripRedraw::Append;
    if (value > max_) {
        max_ = MaxFrom(value);
        return StripRedraw::Rebuild;
    }
    if (value < min_) {
        min_ = MinFrom(value);
        return StripRedraw::Rebuild;
    }
    return StripRedraw::Append;
}

void CStripChartScale::Clear() {
    std::fill(values_.begin(), values_.end(), 0.0f);
    for (std::string& label : labels_)
        label.clear();
}

void CStripChartScale::Auto() {
    manual_ = false;
    if (values_.empty())
        return;
    auto [smallest, largest] = std::minmax_element(values_.begin(), values_.end());
    if (*largest > max_)
        max_ = MaxFrom(*largest);
    if (*smallest < min_)
        min_ = MinFrom(*smallest);
}

StripApplyResult CStripChartScale::Apply(std::string_view maxText, std::string_view minText) {
    using Status = StripApplyResult::Status;
    using Field = StripApplyResult::Field;
    double range[2] = {max_, min_};
    const std::string_view texts[2] = {maxText, minText};
    const Field fields[2] = {Field::Max, Field::Min};
    for (int i = 0; i < 2; ++i) {
        std::optional<double> value = FieldNumber(texts[i]);
        if (!value)
            return {Status::NotANumber, fields[i]};
        if (*value < LowestValue || *value > HighestValue)
            return {Status::OutOfRange, fields[i]};
        range[i] = *value;
    }
    max_ = range[0];
    min_ = range[1];
    if (!(min_ < max_))
        return {Status::MaxNotAboveMin, Field::None};
    return {Status::Accepted, Field::None};
}

double CStripChartScale::MaxFrom(double value) {
    return value > 0 ? value * 1.1 : value < 0 ? value * 0.9 : value;
}

double CStripChartScale::MinFrom(double value) {
    return value > 0 ? value * 0.9 : value < 0 ? value * 1.1 : value;
}

std::string CStripChartScale::FilterField(std::string_view text) {
    std::string kept;
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == '.')
            kept += c;
    return kept;
}

std::string CStripChartScale::FieldText(double value) {
    return FormatGeneral(value, 15).substr(0, FieldLength);
}

std::string CStripChartScale::TimeLabel(std::time_t time) {
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr)
        return "00:00:00";
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}
