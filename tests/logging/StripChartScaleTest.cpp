#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "logging/StripChartScale.h"

namespace {

using Status = StripApplyResult::Status;
using Field = StripApplyResult::Field;

CStripChartScale Allocated(unsigned count) {
    CStripChartScale scale;
    scale.SetPointCount(count);
    EXPECT_EQ(CStripChartScale::Storage::Allocated, scale.Allocate());
    return scale;
}

} // namespace

TEST(StripChartScale, AutomaticRangeWidensWithAMarginAndOnlyThen) {
    CStripChartScale scale = Allocated(100);
    EXPECT_EQ(0.0, scale.Max());
    EXPECT_EQ(0.0, scale.Min());
    EXPECT_FALSE(scale.IsManual());

    EXPECT_EQ(StripRedraw::Rebuild, scale.AddPoint(77.3f, "10:00:00"));
    EXPECT_NEAR(85.03, scale.Max(), 1e-5);
    EXPECT_EQ(0.0, scale.Min());
    EXPECT_EQ("85.0300", CStripChartScale::FieldText(scale.Max()));

    EXPECT_EQ(StripRedraw::Append, scale.AddPoint(80.0f, "10:00:01"));
    EXPECT_NEAR(85.03, scale.Max(), 1e-5);

    EXPECT_EQ(StripRedraw::Rebuild, scale.AddPoint(90.0f, "10:00:02"));
    EXPECT_NEAR(99.0, scale.Max(), 1e-9);
    EXPECT_EQ("99", CStripChartScale::FieldText(scale.Max()));

    // Values inside the range never narrow it.
    EXPECT_EQ(StripRedraw::Append, scale.AddPoint(1.0f, "10:00:03"));
    EXPECT_NEAR(99.0, scale.Max(), 1e-9);
    EXPECT_EQ(0.0, scale.Min());
}

TEST(StripChartScale, NegativeValuesWidenTheMinimumOnly) {
    CStripChartScale scale = Allocated(20);
    EXPECT_EQ(StripRedraw::Rebuild, scale.AddPoint(-5.0f, "10:00:00"));
    EXPECT_NEAR(-5.5, scale.Min(), 1e-9);
    EXPECT_EQ(0.0, scale.Max());
    EXPECT_EQ("-5.5", CStripChartScale::FieldText(scale.Min()));

    // Below zero the margin goes the other way round.
    EXPECT_DOUBLE_EQ(-9.0, CStripChartScale::MaxFrom(-10.0));
    EXPECT_DOUBLE_EQ(-11.0, CStripChartScale::MinFrom(-10.0));
    EXPECT_DOUBLE_EQ(11.0, CStripChartScale::MaxFrom(10.0));
    EXPECT_DOUBLE_EQ(9.0, CStripChartScale::MinFrom(10.0));
    EXPECT_EQ(0.0, CStripChartScale::MaxFrom(0.0));
    EXPECT_EQ(0.0, CStripChartScale::MinFrom(0.0));
}

TEST(StripChartScale, AutoAfterClearKeepsTheRangeAndAutoTakesInEveryValue) {
    CStripChartScale scale = Allocated(20);
    scale.AddPoint(50.0f, "10:00:00");
    scale.AddPoint(-10.0f, "10:00:01");
    ASSERT_NEAR(55.0, scale.Max(), 1e-9);
    ASSERT_NEAR(-11.0, scale.Min(), 1e-9);

    scale.Clear();
    EXPECT_EQ(std::vector<float>(20, 0.0f), scale.Values());
    EXPECT_EQ(std::vector<std::string>(20), scale.Labels());
    scale.Auto();
    EXPECT_NEAR(55.0, scale.Max(), 1e-9);
    EXPECT_NEAR(-11.0, scale.Min(), 1e-9);

    // Manual scaling takes points without widening; "Auto" then catches up.
    scale.Manual();
    EXPECT_TRUE(scale.IsManual());
    EXPECT_EQ(StripRedraw::Append, scale.AddPoint(200.0f, "10:00:02"));
    EXPECT_EQ(StripRedraw::Append, scale.AddPoint(-40.0f, "10:00:03"));
    EXPECT_NEAR(55.0, scale.Max(), 1e-9);
    scale.Auto();
    EXPECT_FALSE(scale.IsManual());
    EXPECT_NEAR(220.0, scale.Max(), 1e-9);
    EXPECT_NEAR(-44.0, scale.Min(), 1e-9);
}

TEST(StripChartScale, TheNewestPointPushesOutTheOldest) {
    CStripChartScale scale = Allocated(100);
    for (int i = 0; i <= 100; ++i)
        scale.AddPoint(static_cast<float>(i), "L" + std::to_string(i));
    ASSERT_EQ(100u, scale.Values().size());
    EXPECT_EQ(1.0f, scale.Values().front());
    EXPECT_EQ(100.0f, scale.Values().back());
    EXPECT_EQ("L1", scale.Labels().front());
    EXPECT_EQ("L100", scale.Labels().back());
    EXPECT_EQ("L50", scale.Labels()[49]);
}

TEST(StripChartScale, ApplyTakesBothFieldsOrSaysWhyNot) {
    CStripChartScale scale = Allocated(20);
    scale.Manual();

    StripApplyResult same = scale.Apply("10", "10");
    EXPECT_EQ(Status::MaxNotAboveMin, same.status);
    EXPECT_EQ("Max value must be bigger than the min value", same.Message());
    // The entered values are kept all the same.
    EXPECT_EQ(10.0, scale.Max());
    EXPECT_EQ(10.0, scale.Min());

    StripApplyResult taken = scale.Apply("12.5", "3");
    EXPECT_EQ(Status::Accepted, taken.status);
    EXPECT_EQ("", taken.Message());
    EXPECT_EQ(12.5, scale.Max());
    EXPECT_EQ(3.0, scale.Min());

    struct Refused {
        const char* max;
        const char* min;
        Status status;
        Field field;
    };
    const Refused refused[] = {
        {"abc", "1", Status::NotANumber, Field::Max},
        {"", "1", Status::NotANumber, Field::Max},
        {"1.2.3", "1", Status::NotANumber, Field::Max},
        {"5", ".", Status::NotANumber, Field::Min},
        {"1000.1", "1", Status::OutOfRange, Field::Max},
        {"5", "1001", Status::OutOfRange, Field::Min},
        {"5", "-274", Status::OutOfRange, Field::Min},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(std::string(r.max) + " / " + r.min);
        StripApplyResult result = scale.Apply(r.max, r.min);
        EXPECT_EQ(r.status, result.status);
        EXPECT_EQ(r.field, result.field);
        EXPECT_EQ(12.5, scale.Max());
        EXPECT_EQ(3.0, scale.Min());
    }
    EXPECT_EQ("Enter a number.", scale.Apply("x", "1").Message());
    EXPECT_EQ("Enter a number between -273 and 1000.", scale.Apply("5", "2000").Message());

    // The bounds themselves are numbers the fields accept.
    EXPECT_EQ(Status::Accepted, scale.Apply("1000", "-273").status);
    EXPECT_EQ(Status::Accepted, scale.Apply(" 7 ", "+1").status);
}

TEST(StripChartScale, FieldsKeepDigitsAndPointsAndShowSevenCharacters) {
    EXPECT_EQ("12", CStripChartScale::FilterField("-12"));
    EXPECT_EQ("1.53", CStripChartScale::FilterField("1.5e3"));
    EXPECT_EQ("", CStripChartScale::FilterField("abc -+"));
    EXPECT_EQ("0.5", CStripChartScale::FilterField(" 0,.5"));

    EXPECT_EQ("123.456", CStripChartScale::FieldText(123.456789));
    EXPECT_EQ("-273", CStripChartScale::FieldText(-273.0));
    EXPECT_EQ("0", CStripChartScale::FieldText(0.0));
    EXPECT_EQ("1234567", CStripChartScale::FieldText(12345678.0));
}

TEST(StripChartScale, LabelsAreTheLocalTimeOfDay) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ("13:01:02", CStripChartScale::TimeLabel(13 * 3600 + 62));
    EXPECT_EQ("00:00:09", CStripChartScale::TimeLabel(86400 + 9));
    ::setenv("TZ", "UTC-2", 1);
    ::tzset();
    EXPECT_EQ("15:01:02", CStripChartScale::TimeLabel(13 * 3600 + 62));
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(StripChartScale, WithoutStorageNothingIsStored) {
    CStripChartScale empty;
    empty.SetPointCount(0);
    EXPECT_EQ(CStripChartScale::Storage::NoValues, empty.Allocate());
    EXPECT_FALSE(empty.HasStorage());
    EXPECT_EQ(StripRedraw::Append, empty.AddPoint(5.0f, "10:00:00"));
    EXPECT_EQ(0.0, empty.Max());

    CStripChartScale huge;
    huge.SetPointCount(4000000000u);
    EXPECT_EQ(CStripChartScale::MaxPointCount, huge.PointCount());
    CStripChartScale fresh;
    EXPECT_EQ(20u, fresh.PointCount());
}
