#include <cfenv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

#include "curves/CalGen.h"
#include "curves/CurveTestFiles.h"
#include "curves/GivenReferencePoints.h"
#include "support/TestUi.h"

namespace {

const std::vector<std::string> Header{"Standard diode", "Diode", "1.0", "Volts"};

// The straight diode curve v = 1.7 - 0.003 T, on which the spline is the line
// itself and every expected value can be worked out by hand.
double Line(double t) {
    return 1.7 - 0.003 * t;
}
CurvePoints LinePoints(std::vector<float> temperatures) {
    CurvePoints points;
    for (float t : temperatures)
        points.emplace_back(static_cast<float>(Line(t)), t);
    return points;
}
// A point `shift` volts off the line.
GivenPoint Off(float t, double shift) {
    return {t, static_cast<float>(Line(t) + shift)};
}
const std::vector<float> Temperatures{475, 400, 350, 300, 250, 200, 150, 100, 77,  60,
                                      50,  40,  30,  25,  20,  15,  10,  6,   4.2, 2};

std::string F(const char* format, double a) {
    char text[128];
    std::snprintf(text, sizeof text, format, a);
    return text;
}

// The points of a written curve file: the lines after `headerLines` up to ";".
CurvePoints PointsOf(const std::string& text, int headerLines = 4) {
    CurvePoints points;
    std::istringstream in(text);
    std::string line;
    for (int i = 0; i < headerLines; ++i)
        std::getline(in, line);
    while (std::getline(in, line) && line != ";") {
        float v = 0, t = 0;
        EXPECT_EQ(2, std::sscanf(line.c_str(), "%f %f", &v, &t)) << line;
        points.emplace_back(v, t);
    }
    return points;
}

class CalGen : public ::testing::Test {
protected:
    std::string Source(const CurvePoints& points, const std::vector<std::string>& header = Header,
                       const char* end = "\n") {
        return WriteFile(dir_.File("source.crv"), CrvText(header, points, "  ", end));
    }
    // Runs the operation on `source`, answering the dialog with `answers` in
    // turn and the save dialog with "new.crv".
    CalGenOutcome Run(CalGenOperation operation, const std::string& source,
                      std::vector<std::vector<GivenPoint>> answers) {
        files_.openAnswers = {source};
        files_.saveAnswers = {Output()};
        dialog_.answers = std::move(answers);
        return RunCalGen(operation, files_, dialog_, ui_, ui_);
    }
    std::string Output() const { return dir_.File("new.crv"); }
    bool Written() const { return std::filesystem::exists(Output()); }
    // The form the dialog showed at its n-th opening (from 0), as (T, V) per row.
    std::vector<std::pair<float, float>> Shown(std::size_t n) const {
        std::vector<std::pair<float, float>> rows;
        for (const ReferenceRow& row : dialog_.opened.at(n).rows)
            rows.emplace_back(row.temperature, row.value);
        return rows;
    }

    TempDir dir_;
    TestUi ui_;
    ScriptedFiles files_;
    CGivenReferencePoints dialog_;
};

// Every point of `out` against the expected value at its temperature, the
// temperatures and their order those of `in`.
template <typename Expected>
void ExpectCurve(const CurvePoints& in, const CurvePoints& out, Expected expected) {
    ASSERT_EQ(in.size(), out.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        EXPECT_EQ(in[i].second, out[i].second);
        EXPECT_NEAR(expected(in[i].second, in[i].first), out[i].first, 3e-6) << in[i].second;
    }
}

} // namespace

TEST_F(CalGen, ThirtyKelvinMustLieAboveTheLowestTemperatureForTheOnePointOperations) {
    const std::string from30 = Source(LinePoints({475, 300, 100, 30}));
    for (CalGenOperation operation : {CalGenOperation::Diode300K, CalGenOperation::Diode4K2}) {
        ui_.Clear();
        EXPECT_EQ(CalGenOutcome::Refused, Run(operation, from30, {{{300, 0.8f}}}));
        ASSERT_EQ(1u, ui_.Boxes().size());
        EXPECT_EQ("30K is not within the range of the source curve.", ui_.Boxes()[0].text);
        EXPECT_EQ(MessageIcon::Stop, ui_.Boxes()[0].icon);
        EXPECT_EQ("30K is not within the range of the curve in " + from30 + ".\n", ui_.Log());
        EXPECT_TRUE(dialog_.opened.empty());
        EXPECT_TRUE(files_.saveAsked.empty());
    }

    // Up to 30 K: 30 K is the highest temperature and lies on the curve.
    ui_.Clear();
    const std::string to30 = Source(LinePoints({30, 20, 10, 4.2f, 2}));
    EXPECT_EQ(CalGenOutcome::Saved, Run(CalGenOperation::Diode4K2, to30, {{{4.2f, 1.69f}}}));
    EXPECT_TRUE(ui_.Boxes().empty());
    ASSERT_EQ(1u, dialog_.opened.size());
    EXPECT_EQ("Please enter a reference point at around 4.2K", dialog_.opened[0].rows[0].caption);
    EXPECT_TRUE(Written());
}

TEST_F(CalGen, AReferenceWithinFivePercentOfTheCurvePassesAndOneBeyondIsAskedAgain) {
    // At the 300 K node the curve value is exactly 0.8.
    const std::string source = Source(LinePoints(Temperatures));
    EXPECT_EQ(CalGenOutcome::Saved, Run(CalGenOperation::Diode300K, source,
                                        {{{300, 0.8408f}},    // 5.1 % above
                                         {{300, 0.7592f}},    // 5.1 % below
                                         {{300, 0.8392f}}})); // 4.9 % above
    EXPECT_EQ(std::vector<std::string>({"Reference volatge exceeded 5% difference.",
                                        "Reference volatge exceeded 5% difference."}),
              ui_.BoxTexts());
    const std::string log = ui_.Log();
    EXPECT_EQ(0u, log.find("  0.840800V is more than 5% difference from the source curve at "
                           "300.000000K.\n"
                           "  0.759200V is more than 5% difference from the source curve at "
                           "300.000000K.\n"
                           "New Curve generated using   0.839200V at 300.000000K.\n"))
        << log;
    ASSERT_EQ(3u, dialog_.opened.size());
    EXPECT_EQ("Please enter a reference point at around 300K", dialog_.opened[0].rows[0].caption);
    // Each time with the values entered the time before.
    EXPECT_EQ((std::vector<std::pair<float, float>>{{0, 0}}), Shown(0));
    EXPECT_EQ((std::vector<std::pair<float, float>>{{300, 0.8408f}}), Shown(1));
    EXPECT_EQ((std::vector<std::pair<float, float>>{{300, 0.7592f}}), Shown(2));
    // 4.9 % below passes too.
    ui_.Clear();
    EXPECT_EQ(CalGenOutcome::Saved, Run(CalGenOperation::Diode300K, source, {{{300, 0.7608f}}}));
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(CalGen, The300KOperationKeepsTheCurveBelow30KAndWritesTheSourceHeaderAndOrder) {
    // CR LF line ends, a header line of the 63 characters a line may hold, the
    // points in no particular order.
    const std::string longName(63, 'N');
    const std::vector<std::string> header{longName, "Diode", "1.0", "Volts"};
    const CurvePoints in = LinePoints({300, 475, 4.2f, 77, 25, 400, 30, 2, 29.5f, 150, 10, 31});
    const std::string source = Source(in, header, "\r\n");
    ASSERT_EQ(CalGenOutcome::Saved, Run(CalGenOperation::Diode300K, source, {{{300, 0.82f}}}));

    const std::string text = ReadFile(Output());
    EXPECT_EQ(longName + "\nDiode\n1.0\nVolts\n", FirstLines(text, 4));
    EXPECT_EQ(";\n", text.substr(text.size() - 2));
    const CurvePoints out = PointsOf(text);
    // From 30 K up the correction grows by 0.02 over 270 K; below 30 K the
    // source value is written as it was read.
    ExpectCurve(in, out, [](double t, double v) { return t < 30 ? v : v + 0.02 * (t - 30) / 270; });
    for (const auto& [v, t] : in)
        if (t < 30) {
            EXPECT_NE(std::string::npos, text.find(F("%f ", v) + F("%f\n", t))) << t;
        }

    // The log: the summary, the points as in the file with five blanks between,
    // ";", and where the curve was saved.
    std::string logged = "New Curve generated using   0.820000V at 300.000000K.\n";
    std::istringstream lines(text.substr(FirstLines(text, 4).size()));
    std::string line;
    while (std::getline(lines, line) && line != ";")
        logged += line.replace(line.find(' '), 1, "     ") + "\n";
    EXPECT_EQ(logged + ";\nNew curve saved in " + Output() + "\n", ui_.Log());

    ASSERT_EQ(1u, files_.openAsked.size());
    EXPECT_EQ(std::make_pair(std::string("crv"),
                             std::string("Curve Files (*.crv)|*.crv|All Files (*.*)|*.*||")),
              files_.openAsked[0]);
    ASSERT_EQ(1u, files_.saveAsked.size());
    EXPECT_EQ(std::make_pair(std::string("crv"), std::string("Curve Files (*.crv)|*.crv||")),
              files_.saveAsked[0]);
    // Offered under the source's name, not over the standard curve itself.
    EXPECT_EQ(std::vector<std::string>{"source_CalGen.crv"}, files_.proposedNames);
}

TEST_F(CalGen, TheOtherDiodeOperationsBendTheCurveThroughTheirPoints) {
    const CurvePoints in = LinePoints(Temperatures);
    const std::string source = Source(in);

    // 4.2 K: above 30 K unchanged; at and below it 0 at 30 K growing to
    // +0.03 at the reference (1.6874 on the curve).
    ASSERT_EQ(CalGenOutcome::Saved, Run(CalGenOperation::Diode4K2, source, {{{4.2f, 1.7174f}}}));
    EXPECT_EQ(0u, ui_.Log().find("New Curve generated using   1.717400V at   4.200000K.\n"));
    ExpectCurve(in, PointsOf(ReadFile(Output())),
                [](double t, double v) { return t > 30 ? v : v + 0.03 * (30 - t) / (30 - 4.2); });

    // 2 points: at and below 30 K unchanged; up to 77 K the first correction,
    // +0.01 at 77 K; from there the second, through 300 K at -0.02.
    ui_.Clear();
    ASSERT_EQ(CalGenOutcome::Saved,
              Run(CalGenOperation::DiodeTwoPoints, source, {{Off(77, 0.01), Off(300, -0.02)}}));
    EXPECT_EQ(0u, ui_.Log().find("Generate curve using   0.780000V at 300.000000K \n"
                                 "and   1.479000V at  77.000000K.\n"))
        << ui_.Log();
    ExpectCurve(in, PointsOf(ReadFile(Output())), [](double t, double v) {
        if (t <= 30)
            return v;
        const double first = v + 0.01 * (t - 30) / (77 - 30);
        return t < 77 ? first : first + (-0.02 - 0.01 * (300 - 30) / 47.0) * (t - 77) / 223;
    });
    EXPECT_EQ("Enter a reference point close to 77K", dialog_.opened.back().rows[0].caption);

    // 3 points: the 77 K to 300 K line everywhere, then at and below 30 K a
    // second correction from 0 at 30 K to the 4.2 K point.
    ui_.Clear();
    ASSERT_EQ(CalGenOutcome::Saved, Run(CalGenOperation::DiodeThreePoints, source,
                                        {{Off(4.2f, 0.03), Off(77, 0.01), Off(300, -0.02)}}));
    EXPECT_EQ(0u, ui_.Log().find("Generate new curve using   0.780000V at 300.000000K,\n"
                                 "                     and   1.479000V at  77.000000K,\n"
                                 "                     and   1.717400V at   4.200000K.\n"))
        << ui_.Log();
    const auto first = [](double t) { return 0.01 - 0.03 * (t - 77) / 223; };
    ExpectCurve(in, PointsOf(ReadFile(Output())), [&](double t, double v) {
        return t > 30 ? v + first(t) : v + first(t) + (0.03 - first(4.2)) * (30 - t) / (30 - 4.2);
    });
    EXPECT_EQ(ReferenceDialogKind::ThreePoints, dialog_.opened.back().kind);
}

TEST_F(CalGen, PlatinumDrawsTheLineThroughItsPointsWhateverTheSourceValues) {
    const std::vector<float> temperatures{475, 300, 200, 100, 77, 30};
    // Two platinum curves that agree at 100 K and 300 K only.
    CurvePoints a, b;
    for (float t : temperatures) {
        a.emplace_back(0.4f * t - 10, t);
        b.emplace_back(t == 100 || t == 300 ? 0.4f * t - 10 : 5 * t, t);
    }
    const std::vector<std::vector<GivenPoint>> points{{{100, 30}, {300, 110}}};
    ASSERT_EQ(CalGenOutcome::Saved, Run(CalGenOperation::Platinum, Source(a), points));
    const std::string fromA = ReadFile(Output());
    EXPECT_EQ("Generate curve using 110.000000ohm at 300.000000K \n"
              "and  30.000000ohm at 100.000000K.\n",
              FirstLines(ui_.Log(), 2));
    ASSERT_EQ(CalGenOutcome::Saved, Run(CalGenOperation::Platinum, Source(b), points));
    EXPECT_EQ(fromA, ReadFile(Output()));
    EXPECT_EQ("Standard diode\nDiode\n1.0\nVolts\n"
              "180.000000 475.000000\n110.000000 300.000000\n70.000000 200.000000\n"
              "30.000000 100.000000\n20.800001 77.000000\n2.000000 30.000000\n;\n",
              fromA);
    EXPECT_EQ("", dialog_.nonpositiveQuestion);
    const ReferenceForm& form = dialog_.opened[0];
    EXPECT_EQ(ReferenceDialogKind::TwoPoints, form.kind);
    EXPECT_EQ("Resistance:", form.valueLabel);
    EXPECT_EQ("Enter a reference point at HIGH temperature", form.rows[1].caption);
}

TEST_F(CalGen, APlatinumLineBelowZeroOhmIsSaidAndSavedOnlyWhenTheUserKeepsIt) {
    // A platinum sensor down to 14 K; the line through 77 K / 20.5 ohm and
    // 300 K / 110.5 ohm crosses 0 ohm at 26.21 K.
    const std::string source =
        Source({{0.2f, 14}, {0.5f, 20}, {3.6f, 30}, {20.4f, 77}, {110.3f, 300}, {150, 400}},
               {"PT-100", "Platinum", "1.0", "Ohms"});
    const std::string doubt = "2 points of the new curve are at or below 0 ohm: the line through "
                              "the reference points does not hold below 26.21K.";
    const std::vector<std::vector<GivenPoint>> points{{{77, 20.5f}, {300, 110.5f}}};
    for (bool keep : {false, true}) {
        ui_.Clear();
        files_.saveAsked.clear();
        dialog_.keepNonpositive = keep;
        dialog_.nonpositiveQuestion.clear();
        EXPECT_EQ(keep ? CalGenOutcome::Saved : CalGenOutcome::NotSaved,
                  Run(CalGenOperation::Platinum, source, points));
        EXPECT_EQ(doubt, dialog_.nonpositiveQuestion);
        // Said in the log after the curve, before the save dialog.
        EXPECT_NE(std::string::npos, ui_.Log().find("-4.926009     14.000000\n"
                                                    "-2.504484     20.000000\n"))
            << ui_.Log();
        EXPECT_NE(std::string::npos, ui_.Log().find(";\n" + doubt + "\n")) << ui_.Log();
        EXPECT_EQ(keep ? 1u : 0u, files_.saveAsked.size());
        EXPECT_EQ(keep, Written());
        EXPECT_TRUE(ui_.Boxes().empty());
    }
}

TEST_F(CalGen, RefusedPointsAreReportedInTheirOrderWithTheirOwnRangeLines) {
    // From 5 K to 250 K.
    const std::string source = Source(LinePoints({250, 200, 100, 77, 50, 30, 20, 10, 5}));
    const float v77 = static_cast<float>(Line(77));
    const float v200 = static_cast<float>(Line(200));
    // 3 points: the 77 K row first, then the 300 K row, then the 4.2 K row;
    // the last two log their range line with two decimals.
    EXPECT_EQ(CalGenOutcome::Cancelled, Run(CalGenOperation::DiodeThreePoints, source,
                                            {{{4.2f, 1.7f}, {77, 0.5f}, {260, 0.9f}},
                                             {{4.2f, 1.7f}, {77, v77}, {260, 0.9f}},
                                             {{4.2f, 1.7f}, {77, v77}, {200, v200}},
                                             {{10, 0.5f}, {77, v77}, {200, v200}}}));
    EXPECT_EQ(std::vector<std::string>({"Middle reference volatge exceeded 5% difference.",
                                        "260.000000K is not within the range of the source curve.",
                                        "  4.200000K is not within the range of the source curve.",
                                        "Low reference volatge exceeded 5% difference."}),
              ui_.BoxTexts());
    EXPECT_EQ("  0.500000V is more than 5% difference from the source curve at  77.000000K.\n"
              "    260.00K is not within the range of the curve in " +
                  source +
                  ".\n"
                  "      4.20K is not within the range of the curve in " +
                  source +
                  ".\n"
                  "  0.500000V is more than 5% difference from the source curve at  10.000000K.\n",
              ui_.Log());
    ASSERT_EQ(5u, dialog_.opened.size());
    EXPECT_EQ((std::vector<std::pair<float, float>>{{10, 0.5f}, {77, v77}, {200, v200}}), Shown(4));
    // Each time the dialog comes back at the field the check refused.
    using Field = std::pair<std::size_t, ReferenceField>;
    const Field faulty[] = {{0, ReferenceField::None},
                            {1, ReferenceField::Value},
                            {2, ReferenceField::Temperature},
                            {0, ReferenceField::Temperature},
                            {0, ReferenceField::Value}};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(faulty[i], Field(dialog_.opened[i].faultyRow, dialog_.opened[i].faultyField))
            << "opening " << i;
    EXPECT_FALSE(Written());
    EXPECT_TRUE(files_.saveAsked.empty());

    // 2 points log both range lines with six decimals; platinum its HIGH row with two.
    ui_.Clear();
    Run(CalGenOperation::DiodeTwoPoints, source,
        {{{2, 1.7f}, {200, v200}}, {{77, v77}, {260, 0.9f}}, {{77, v77}, {200, 0.5f}}});
    EXPECT_EQ(std::vector<std::string>({"  2.000000K is not within the range of the source curve.",
                                        "260.000000K is not within the range of the source curve.",
                                        "High reference volatge exceeded 5% difference."}),
              ui_.BoxTexts());
    EXPECT_EQ("  2.000000K is not within the range of the curve in " + source + ".\n" +
                  "260.000000K is not within the range of the curve in " + source + ".\n" +
                  "  0.500000V is more than 5% difference from the source curve at 200.000000K.\n",
              ui_.Log());
    ui_.Clear();
    Run(CalGenOperation::Platinum, source,
        {{{2, 1.7f}, {200, v200}},
         {{77, v77}, {260, 0.9f}},
         {{77, 0.5f}, {200, v200}},
         {{77, v77}, {200, 0.5f}}});
    EXPECT_EQ(std::vector<std::string>({"  2.000000K is not within the range of the source curve.",
                                        "260.000000K is not within the range of the source curve.",
                                        "Low reference resistance exceeded 5% difference.",
                                        "High reference resistance exceeded 5% difference."}),
              ui_.BoxTexts());
    EXPECT_EQ(0u, ui_.Log().find("  2.000000K is not within the range of the curve in " + source +
                                 ".\n    260.00K is not within the range of the curve in " +
                                 source + ".\n"));
}

TEST_F(CalGen, PointsThatLeaveNoCorrectionOrNoLineAreRefusedAndAskedAgain) {
    const std::string source = Source(LinePoints(Temperatures));
    const auto at = [](float t) { return Off(t, 0); };
    const char* above40 = "The 300K reference point must be at or above 40K.";
    const char* below20 = "The 4.2K reference point must be at or below 20K.";
    const char* point77 = "The 77K reference point must be at or above 40K.";
    const char* apart = "The 77K and 300K reference points must be at least 10 K apart.";
    struct Case {
        CalGenOperation operation;
        std::vector<GivenPoint> refused;
        std::vector<GivenPoint> accepted;
        const char* box;
    };
    const Case cases[] = {
        {CalGenOperation::Diode300K, {at(39)}, {at(40)}, above40},
        {CalGenOperation::Diode300K, {at(20)}, {at(300)}, above40},
        {CalGenOperation::Diode4K2, {at(21)}, {at(20)}, below20},
        {CalGenOperation::Diode4K2, {at(45)}, {at(4.2f)}, below20},
        {CalGenOperation::DiodeTwoPoints, {at(35), at(300)}, {at(40), at(300)}, point77},
        {CalGenOperation::DiodeTwoPoints, {at(10), at(300)}, {at(77), at(300)}, point77},
        {CalGenOperation::DiodeTwoPoints, {at(170), at(177)}, {at(167), at(177)}, apart},
        {CalGenOperation::DiodeThreePoints,
         {at(4.2f), at(170), at(177)},
         {at(4.2f), at(167), at(177)},
         apart},
        {CalGenOperation::Platinum,
         {at(200), at(200)},
         {at(150), at(200)},
         "The LOW and HIGH reference temperatures must be different."},
    };
    for (const Case& c : cases) {
        ui_.Clear();
        files_.saveAsked.clear();
        EXPECT_EQ(CalGenOutcome::Cancelled, Run(c.operation, source, {c.refused}));
        EXPECT_EQ(std::vector<std::string>{c.box}, ui_.BoxTexts());
        EXPECT_EQ("", ui_.Log());
        EXPECT_EQ(2u, dialog_.opened.size());
        EXPECT_EQ(c.refused[0].temperature, dialog_.opened.back().rows[0].temperature);
        EXPECT_TRUE(files_.saveAsked.empty());
        EXPECT_FALSE(Written());
        dialog_.opened.clear();
        ui_.Clear();
        EXPECT_EQ(CalGenOutcome::Saved, Run(c.operation, source, {c.accepted}));
        EXPECT_TRUE(ui_.Boxes().empty()) << ui_.BoxTexts()[0];
        std::filesystem::remove(Output());
        dialog_.opened.clear();
    }
}

TEST_F(CalGen, ACurveValueOfZeroLetsOnlyZeroPass) {
    // The curve reaches 0 V at 300 K.
    const std::string source = Source({{0.3f, 400}, {0, 300}, {0.5f, 100}, {1.0f, 30}, {1.2f, 4}});
    // Nothing is divided by the curve value: a division by zero or a 0 / 0
    // would stop the test here.
    ::feenableexcept(FE_DIVBYZERO | FE_INVALID);
    const CalGenOutcome outcome =
        Run(CalGenOperation::Diode300K, source, {{{300, 0.001f}}, {{300, 0}}});
    ::fedisableexcept(FE_DIVBYZERO | FE_INVALID);
    EXPECT_EQ(CalGenOutcome::Saved, outcome);
    EXPECT_EQ(std::vector<std::string>{"Reference volatge exceeded 5% difference."},
              ui_.BoxTexts());
    EXPECT_EQ(0u, ui_.Log().find("  0.001000V is more than 5% difference from the source curve "
                                 "at 300.000000K.\nNew Curve generated using   0.000000V at "
                                 "300.000000K.\n"));
}

TEST_F(CalGen, NothingIsWrittenUnlessTheWholeCurveIs) {
    const std::string source = Source(LinePoints(Temperatures));
    const std::vector<std::vector<GivenPoint>> good{{{300, 0.81f}}};

    // Open cancelled: nothing at all.
    files_.saveAnswers = {Output()};
    dialog_.answers = good;
    EXPECT_EQ(CalGenOutcome::Cancelled,
              RunCalGen(CalGenOperation::Diode300K, files_, dialog_, ui_, ui_));
    EXPECT_EQ("", ui_.Log());
    EXPECT_TRUE(dialog_.opened.empty());

    // A source the check refuses: its messages, no dialog.
    const std::string two = WriteFile(dir_.File("two.crv"), CrvText(Header, LinePoints({300, 30})));
    EXPECT_EQ(CalGenOutcome::Refused, Run(CalGenOperation::Diode300K, two, good));
    EXPECT_EQ(std::vector<std::string>{"Not enough curve entry"}, ui_.BoxTexts());
    EXPECT_TRUE(dialog_.opened.empty());

    // Save cancelled: the curve is in the log only.
    ui_.Clear();
    files_.openAnswers = {source};
    files_.saveAnswers = {std::nullopt};
    dialog_.answers = good;
    EXPECT_EQ(CalGenOutcome::NotSaved,
              RunCalGen(CalGenOperation::Diode300K, files_, dialog_, ui_, ui_));
    EXPECT_NE(std::string::npos, ui_.Log().find(";\n"));
    EXPECT_TRUE(ui_.Boxes().empty());

    // The good 300 K run saved to `target`, which is refused with one box.
    const auto refusedAt = [&](const std::string& target) {
        ui_.Clear();
        files_.openAnswers = {source};
        files_.saveAnswers = {target};
        dialog_.answers = good;
        EXPECT_EQ(CalGenOutcome::WriteFailed,
                  RunCalGen(CalGenOperation::Diode300K, files_, dialog_, ui_, ui_));
        ASSERT_EQ(1u, ui_.Boxes().size());
        EXPECT_EQ("Failed to create file", ui_.Boxes()[0].text);
    };

    // A folder where the file should go, or a folder that does not exist:
    // "Failed to create file", and nothing left behind.
    for (const std::string& target : {dir_.File("folder"), dir_.File("missing/new.crv")}) {
        std::filesystem::create_directory(dir_.File("folder"));
        refusedAt(target);
        ASSERT_EQ(1u, ui_.Boxes().size());
        EXPECT_EQ(MessageIcon::Warning, ui_.Boxes()[0].icon);
        EXPECT_TRUE(std::filesystem::is_empty(dir_.File("folder")));
    }
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
        ++entries;
    EXPECT_EQ(3, entries); // source.crv, two.crv, folder

    // The source as the output, under its own name or through a link:
    // refused, the standard curve kept byte for byte, the reason in the log.
    const std::string before = ReadFile(source);
    std::filesystem::create_symlink(source, dir_.File("link.crv"));
    for (const std::string& target : {source, dir_.File("link.crv")}) {
        refusedAt(target);
        EXPECT_NE(std::string::npos, ui_.Log().find("Failed to create file " + target +
                                                    ": this is the file being read"))
            << ui_.Log();
        EXPECT_EQ(before, ReadFile(source));
    }
}

TEST(CalGenSelection, TheProposedNameIsTheSourcesWithCalGen) {
    EXPECT_EQ("DT-670_CalGen.crv", CalGenFileName("/curves/standard/DT-670.crv"));
    EXPECT_EQ("bath probe_CalGen.crv", CalGenFileName("bath probe.CRV"));
    EXPECT_EQ("D6015.v2_CalGen.crv", CalGenFileName("D6015.v2.crv"));
    EXPECT_EQ("curve_CalGen.crv", CalGenFileName("curve"));
    EXPECT_EQ("", CalGenFileName(""));
}

TEST(CalGenSelection, TheSelectDialogsPositionsPickTheOperation) {
    EXPECT_EQ(CalGenOperation::Diode300K, CalGenOperationOf(0, 0));
    EXPECT_EQ(CalGenOperation::Diode4K2, CalGenOperationOf(0, 1));
    EXPECT_EQ(CalGenOperation::DiodeTwoPoints, CalGenOperationOf(0, 2));
    EXPECT_EQ(CalGenOperation::DiodeThreePoints, CalGenOperationOf(0, 3));
    for (int points = 0; points < 4; ++points) {
        EXPECT_EQ(CalGenOperation::Platinum, CalGenOperationOf(1, points));
        EXPECT_EQ(std::nullopt, CalGenOperationOf(2, points));
    }
}
