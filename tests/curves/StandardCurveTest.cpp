#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "curves/PlatinumStandard.h"
#include "curves/StandardCurve.h"
#include "curves/ThermocoupleStandard.h"
#include "curves/Write340File.h"
#include "curves/WriteCrvFile.h"

namespace {

constexpr double ZeroCelsius = 273.15;

// Values printed in the published reference tables: IEC 60751 for Pt100 and
// Pt1000 (ohm, two and one decimals), NIST Monograph 175 for the
// thermocouples (mV, three decimals, 0 °C reference junction).
struct Published {
    const char* what;
    double celsius;
    double printed;
    double halfDigit;
};

constexpr Published PlatinumTable[] = {
    {"Pt100", -200.0, 18.52, 0.005}, {"Pt100", -100.0, 60.26, 0.005},
    {"Pt100", 0.0, 100.00, 0.005},   {"Pt100", 100.0, 138.51, 0.005},
    {"Pt100", 200.0, 175.86, 0.005}, {"Pt100", 500.0, 280.98, 0.005},
    {"Pt100", 850.0, 390.48, 0.005}, {"Pt1000", -200.0, 185.2, 0.05},
    {"Pt1000", 100.0, 1385.1, 0.05}, {"Pt1000", 850.0, 3904.8, 0.05},
};

struct PublishedEmf {
    ThermocoupleType type;
    double celsius;
    double millivolts;
};

constexpr PublishedEmf ThermocoupleTable[] = {
    {ThermocoupleType::K, -270.0, -6.458}, {ThermocoupleType::K, -200.0, -5.891},
    {ThermocoupleType::K, 100.0, 4.096},   {ThermocoupleType::K, 1000.0, 41.276},
    {ThermocoupleType::K, 1372.0, 54.886}, {ThermocoupleType::T, -270.0, -6.258},
    {ThermocoupleType::T, -200.0, -5.603}, {ThermocoupleType::T, 100.0, 4.279},
    {ThermocoupleType::T, 400.0, 20.872},  {ThermocoupleType::E, -270.0, -9.835},
    {ThermocoupleType::E, -200.0, -8.825}, {ThermocoupleType::E, 100.0, 6.319},
    {ThermocoupleType::E, 1000.0, 76.373}, {ThermocoupleType::J, -210.0, -8.095},
    {ThermocoupleType::J, 100.0, 5.269},   {ThermocoupleType::J, 760.0, 42.919},
    {ThermocoupleType::J, 1200.0, 69.553}, {ThermocoupleType::N, -270.0, -4.345},
    {ThermocoupleType::N, -200.0, -3.990}, {ThermocoupleType::N, 100.0, 2.774},
    {ThermocoupleType::N, 1300.0, 47.513}, {ThermocoupleType::R, 1000.0, 10.506},
    {ThermocoupleType::R, 1768.1, 21.103}, {ThermocoupleType::S, 1000.0, 9.587},
    {ThermocoupleType::S, 1768.0, 18.693}, {ThermocoupleType::B, 1000.0, 4.834},
    {ThermocoupleType::B, 1820.0, 13.820},
};

StandardCurveResult Result(const char* kind, std::optional<double> from, std::optional<double> to,
                           std::optional<UnitCode> unit, int points) {
    StandardCurveRequest request = RequestOf(*StandardKindByName(kind));
    request.fromKelvin = from;
    request.toKelvin = to;
    request.unit = unit;
    request.points = points;
    return MakeStandardCurve(request);
}

StandardCurve Make(const char* kind, std::optional<double> from, std::optional<double> to,
                   std::optional<UnitCode> unit = std::nullopt, int points = 200) {
    StandardCurveResult result = Result(kind, from, to, unit, points);
    EXPECT_TRUE(result.curve) << kind << ": " << result.refusal;
    return result.curve.value_or(StandardCurve{});
}

std::string Refusal(const char* kind, std::optional<double> from, std::optional<double> to,
                    std::optional<UnitCode> unit = std::nullopt, int points = 200) {
    const StandardCurveResult result = Result(kind, from, to, unit, points);
    EXPECT_FALSE(result.curve) << kind;
    return result.refusal;
}

// What the instrument does with a reading: linear interpolation between the
// entries as written, which ascend in value.
double InstrumentKelvin(const SensorCurve& curve, double reading) {
    for (int i = 0; i + 1 < curve.count; ++i) {
        const CurveEntry& a = curve.entries[static_cast<std::size_t>(i)];
        const CurveEntry& b = curve.entries[static_cast<std::size_t>(i + 1)];
        if (reading <= b.value || i + 2 == curve.count)
            return a.temperature + (reading - a.value) / (b.value - a.value) *
                                       (double(b.temperature) - a.temperature);
    }
    return NAN;
}

// The largest error of the instrument's reading of a curve, found by walking
// the temperature in fine steps through every segment.
template <typename Reading>
double WalkedError(const SensorCurve& curve, Reading reading, int stepsPerSegment) {
    double largest = 0.0;
    for (int i = 0; i + 1 < curve.count; ++i) {
        const double low = curve.entries[static_cast<std::size_t>(i)].temperature;
        const double high = curve.entries[static_cast<std::size_t>(i + 1)].temperature;
        for (int k = 0; k <= stepsPerSegment; ++k) {
            const double t = low + (high - low) * k / stepsPerSegment;
            largest = std::max(largest, std::fabs(InstrumentKelvin(curve, reading(t)) - t));
        }
    }
    return largest;
}

} // namespace

TEST(StandardCurve, TheStandardsGiveThePublishedTables) {
    for (const Published& row : PlatinumTable) {
        const double r0 = std::string(row.what) == "Pt100" ? 100.0 : 1000.0;
        EXPECT_NEAR(PlatinumResistance(r0, row.celsius + ZeroCelsius), row.printed, row.halfDigit)
            << row.what << " at " << row.celsius << " C";
    }
    for (const PublishedEmf& row : ThermocoupleTable)
        EXPECT_NEAR(ThermocoupleEmf(row.type, row.celsius + ZeroCelsius), row.millivolts, 0.0005)
            << "type " << LetterOf(row.type) << " at " << row.celsius << " C";
}

TEST(StandardCurve, RequestsOutsideTheStandardAreRefusedWithTheReason) {
    struct Case {
        const char* kind;
        std::optional<double> from;
        std::optional<double> to;
        std::optional<UnitCode> unit;
        int points;
        std::string said;
    };
    const Case cases[] = {
        {"pt100",
         50.0,
         300.0,
         {},
         200,
         "IEC 60751 defines platinum resistors from 73.15 K (-200 C) to 1123.15 K (850 C) and "
         "says nothing below 73.15 K: 50 K is outside."},
        {"pt1000",
         73.15,
         1200.0,
         {},
         200,
         "IEC 60751 is defined from 73.15 K to 1123.15 K: 1200 K is outside."},
        {"type-k",
         2.0,
         300.0,
         {},
         200,
         "NIST ITS-90 type K is defined from 3.15 K to 1645.15 K: 2 K is outside."},
        {"type-j",
         20.0,
         300.0,
         {},
         200,
         "NIST ITS-90 type J is defined from 63.15 K to 1473.15 K: 20 K is outside."},
        {"type-t",
         3.15,
         700.0,
         {},
         200,
         "NIST ITS-90 type T is defined from 3.15 K to 673.15 K: 700 K is outside."},
        {"pt100",
         300.0,
         200.0,
         {},
         200,
         "The range must run from a lower to a higher temperature."},
        {"pt100", {}, {}, {}, 3, "A curve has 4 to 200 points."},
        {"type-k", {}, {}, {}, 201, "A curve has 4 to 200 points."},
        {"type-k", {}, {}, UnitOhms, 200, "A thermocouple curve is in mVolts."},
        {"pt100", {}, {}, UnitMilliVolts, 200, "A platinum curve is in Ohms or LogOhm."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Refusal(c.kind, c.from, c.to, c.unit, c.points), c.said) << c.kind;
    // Type B's emf falls just above 0 °C: no curve can hold it there.
    EXPECT_NE(Refusal("type-b", 273.15, 1000.0).find("does not rise with temperature"),
              std::string::npos);
}

// The breakpoints placed for equal error beat evenly spaced ones, and the
// error said is the one the instrument makes with the curve as written.
TEST(StandardCurve, PlacedBreakpointsBeatEvenSpacingAndTheErrorSaidIsTheOneMade) {
    struct Case {
        const char* kind;
        double from;
        double to;
        UnitCode unit;
        double (*reading)(double);
    };
    const Case cases[] = {
        {"pt100", 73.15, 800.0, UnitOhms, [](double k) { return PlatinumResistance(100.0, k); }},
        {"pt1000", 73.15, 1123.15, UnitLogOhms,
         [](double k) { return std::log10(PlatinumResistance(1000.0, k)); }},
        {"type-k", 3.15, 1500.0, UnitMilliVolts,
         [](double k) { return ThermocoupleEmf(ThermocoupleType::K, k); }},
        {"type-t", 3.15, 673.15, UnitMilliVolts,
         [](double k) { return ThermocoupleEmf(ThermocoupleType::T, k); }},
    };
    for (const Case& c : cases) {
        const StandardCurve made = Make(c.kind, c.from, c.to, c.unit);
        const SensorCurve& curve = made.curve;
        ASSERT_EQ(curve.count, 200) << c.kind;
        EXPECT_FLOAT_EQ(curve.entries[0].temperature, static_cast<float>(c.from)) << c.kind;
        EXPECT_FLOAT_EQ(curve.entries[199].temperature, static_cast<float>(c.to)) << c.kind;
        for (int i = 1; i < curve.count; ++i) {
            EXPECT_GT(curve.entries[static_cast<std::size_t>(i)].value,
                      curve.entries[static_cast<std::size_t>(i - 1)].value)
                << c.kind << " entry " << i;
        }
        const double walked = WalkedError(curve, c.reading, 400);
        EXPECT_LE(walked, made.largestError * 1.0001) << c.kind;
        EXPECT_GE(walked, made.largestError * 0.98) << c.kind;
        EXPECT_LT(made.largestError, made.evenError) << c.kind;
    }
    // Far from linear, the thermocouples gain the most: two orders of magnitude.
    const StandardCurve k = Make("type-k", 3.15, 1500.0);
    EXPECT_LT(k.largestError * 50.0, k.evenError);
}

TEST(StandardCurve, TheHeaderIsOneTheHeaderDialogOffersAndTheFilesSayIt) {
    struct Case {
        const char* kind;
        std::optional<UnitCode> unit;
        const char* crvHeader;
        const char* header340;
    };
    const Case cases[] = {
        {"pt100",
         {},
         "Pt100 IEC60751\nPTC100\n1.0000000\nOhms\n",
         "Sensor Model:   PT-100\nSerial Number:  Pt100 IEC60751\nData Format:    3      "
         "(Ohms/Kelvin)\nSetPoint Limit: 1123.1      (Kelvin)\n"},
        {"pt1000", UnitLogOhms, "Pt1000 IEC60751\nPTC1K\n1.0000000\nLogOhm\n",
         "Sensor Model:   PT-1000\nSerial Number:  Pt1000 IEC60751\nData Format:    4      "
         "(Log Ohms/Kelvin)\nSetPoint Limit: 1123.1      (Kelvin)\n"},
        {"type-n",
         {},
         "Type N ITS-90\nTC80\n1.0000000\nmVolts\n",
         "Sensor Model:   Type N\nSerial Number:  Type N ITS-90\nData Format:    1      "
         "(Millivolts/Kelvin)\nSetPoint Limit: 1573.1      (Kelvin)\n"},
    };
    for (const Case& c : cases) {
        const StandardCurve made = Make(c.kind, {}, {}, c.unit, 10);
        const std::string crv = FormatCrvFile(made.curve);
        EXPECT_EQ(crv.substr(0, std::string(c.crvHeader).size()), c.crvHeader);
        const std::string text340 = Format340File(made.curve, made.model);
        EXPECT_EQ(text340.substr(0, std::string(c.header340).size()), c.header340);
        EXPECT_NE(text340.find("Temperature coefficient:  2 (Positive)\nNumber of Breakpoints:   "
                               "10\n\nNo.   Units      Temperature (K)\n\n  1  "),
                  std::string::npos)
            << c.kind;
    }
    // Pt500 reads on the 1 kohm input, and a resistor of any R0 can be made.
    StandardCurveRequest request = RequestOf(*StandardKindByName("platinum"));
    request.r0 = 500.0;
    EXPECT_EQ(MakeStandardCurve(request).curve->curve.type, "PTC1K");
    request.r0 = 10000.0;
    EXPECT_EQ(MakeStandardCurve(request).curve->curve.type, "PTC10K");
    request.r0 = 0.0;
    EXPECT_EQ(MakeStandardCurve(request).refusal, "R0 must be a resistance above 0 ohm.");
}
