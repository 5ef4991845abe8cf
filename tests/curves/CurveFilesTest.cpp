#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

#include "curves/CheckCrvFile.h"
#include "curves/CurveEntryLine.h"
#include "curves/CurveTestFiles.h"
#include "curves/ListCurveErrors.h"
#include "curves/ReadColonCurveFile.h"
#include "curves/ReadCrvFile.h"
#include "curves/WriteCrvFile.h"
#include "support/TestUi.h"

namespace {

const std::vector<std::string> ProbeHeader{"Probe A", "Diode", "1.0", "Volts"};

class CurveFiles : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        return WriteFile(dir_.File(name), text);
    }
    CurveReadResult ReadCrv(const std::string& text) {
        return ReadCrvFile(Write("curve.crv", text), curve_, ui_);
    }
    CurveReadResult Read340(const Published340& file) {
        return ReadColonCurveFile(Write("curve.340", file.Text()), curve_, ui_);
    }
    CrvCheck Check(const std::string& text) {
        return CheckCrvFile(Write("check.crv", text), ui_, ui_);
    }
    std::string Listing() {
        TestUi listing;
        ListCurveErrors(curve_, listing);
        return listing.Log();
    }
    std::vector<float> Values() const {
        std::vector<float> values;
        for (int i = 0; i < curve_.count; ++i)
            values.push_back(curve_.entries[i].value);
        return values;
    }

    TempDir dir_;
    TestUi ui_;
    SensorCurve curve_;
};

} // namespace

TEST_F(CurveFiles, CrvUnitLinesGiveTheirCodesAndOthersAreErrors) {
    const std::pair<const char*, int> cases[] = {{"mVolts", 1}, {"LogOhms", 4}, {"LogOhm", 4},
                                                 {"Ohms", 3},   {"volts", 0},   {"VOLTS\r", 0}};
    for (const auto& [text, code] : cases) {
        EXPECT_EQ(CurveRead::Success, ReadCrv(CrvText({"P", "Diode", "1.0", text}, DiodePoints(4))))
            << text;
        EXPECT_EQ(code, curve_.unit) << text;
        EXPECT_FALSE(curve_.unitError);
    }
    EXPECT_EQ(CurveRead::FormatError,
              ReadCrv(CrvText({"P", "Diode", "1.0", "Kelvin"}, DiodePoints(4))));
    EXPECT_TRUE(curve_.unitError);
    EXPECT_EQ(UnitVolts, curve_.unit);
    EXPECT_EQ("P\nDiode\n1.0\nKelvin   **ERROR**\n", FirstLines(Listing(), 4));
}

TEST_F(CurveFiles, CrvReaderTakesRealWorldLayoutsAndSortsByValue) {
    // CR LF, commas, tabs, trailing blanks, a ";" in the middle, no final line end.
    std::string text = "Probe A\r\nDiode\r\n1.0\r\nVolts\r\n1.5,10\r\n0.5\t\t300  \r\n;\r\n"
                       "1.0 , 77\r\n0.25   400";
    ASSERT_EQ(CurveRead::Success, ReadCrv(text));
    EXPECT_EQ("Probe A", curve_.name);
    EXPECT_EQ(4, curve_.count);
    EXPECT_EQ((std::vector<float>{0.25f, 0.5f, 1.0f, 1.5f}), Values());
    EXPECT_EQ(400.0f, curve_.entries[0].temperature);
    EXPECT_EQ("0.25   400", curve_.entries[0].line);
}

TEST_F(CurveFiles, CrvFormatErrorsAreFlaggedListedAndLeftUnsorted) {
    std::string longLine(100, '7');
    std::string text = "Probe A\nDiode\n1.0x\nVolts\n2.0 10\n" + longLine + " 5\n0.5\n\n1.0 20\n";
    ASSERT_EQ(CurveRead::FormatError, ReadCrv(text));
    EXPECT_EQ(1.0f, curve_.multiplier); // "1.0x" still starts with a number
    EXPECT_EQ(5, curve_.count);
    EXPECT_EQ("Probe A\nDiode\n1.0x\nVolts\n2.0 10\n" + longLine.substr(0, 63) +
                  "   **ERROR**\n0.5   **ERROR**\n   **ERROR**\n1.0 20\n",
              Listing());
    EXPECT_EQ(CurveRead::FormatError,
              ReadCrv(CrvText({"P", "Diode", "one", "Volts"}, DiodePoints(4))));
    EXPECT_TRUE(curve_.multiplierError);
    EXPECT_EQ(1.0f, curve_.multiplier);
    EXPECT_EQ(CurveRead::FormatError,
              ReadCrv(CrvText({std::string(70, 'N'), "Diode", "1", "Volts"}, DiodePoints(4))));
    EXPECT_EQ(std::string(63, 'N') + "   **ERROR**\n", FirstLines(Listing(), 1));
}

TEST_F(CurveFiles, AnEntryLineTakesItsTwoNumbersFromTheGivenField) {
    SensorCurve curve;
    EXPECT_EQ(CurveEntryLine::Read, AddCurveEntryLine(curve, "1.25 300", false, 0, "a.crv", ui_));
    EXPECT_EQ(CurveEntryLine::Read,
              AddCurveEntryLine(curve, "7\t0.5,\t77.35", false, 1, "a.340", ui_));
    // Too few fields from the given one, a word, a line cut at the limit.
    EXPECT_EQ(CurveEntryLine::Marked, AddCurveEntryLine(curve, "0.5 77", false, 1, "a.340", ui_));
    EXPECT_EQ(CurveEntryLine::Marked, AddCurveEntryLine(curve, "0.5 K", false, 0, "a.crv", ui_));
    EXPECT_EQ(CurveEntryLine::Marked, AddCurveEntryLine(curve, "0.5 4.2", true, 0, "a.crv", ui_));
    ASSERT_EQ(5, curve.count);
    EXPECT_EQ(1.25f, curve.entries[0].value);
    EXPECT_EQ(300.0f, curve.entries[0].temperature);
    EXPECT_EQ(0.5f, curve.entries[1].value);
    EXPECT_EQ(77.35f, curve.entries[1].temperature);
    EXPECT_EQ("7\t0.5,\t77.35", curve.entries[1].line);
    EXPECT_FALSE(curve.entries[0].error || curve.entries[1].error);
    EXPECT_TRUE(curve.entries[2].error && curve.entries[3].error && curve.entries[4].error);
    EXPECT_EQ("0.5 4.2", curve.entries[4].line);
    EXPECT_EQ("", ui_.Log());

    curve.count = SensorCurve::MaxEntries;
    EXPECT_EQ(CurveEntryLine::TableFull, AddCurveEntryLine(curve, "1 2", false, 0, "b.crv", ui_));
    EXPECT_EQ(SensorCurve::MaxEntries, curve.count);
    EXPECT_EQ("More than 200 curve entries in b.crv file\n", ui_.Log());
}

TEST_F(CurveFiles, ReadersStopAt200EntriesAndSayWhy) {
    ASSERT_EQ(CurveRead::Success, ReadCrv(CrvText(ProbeHeader, DiodePoints(200))));
    EXPECT_EQ(200, curve_.count);
    std::string path = dir_.File("curve.crv");
    ASSERT_EQ(CurveRead::FormatError, ReadCrv(CrvText(ProbeHeader, DiodePoints(250))));
    EXPECT_EQ(200, curve_.count);
    EXPECT_EQ("More than 200 curve entries in " + path + " file\n", ui_.Log());

    ui_.Clear();
    Published340 file;
    file.points = DiodePoints(201);
    ASSERT_EQ(CurveRead::FormatError, Read340(file));
    EXPECT_EQ(200, curve_.count);
    EXPECT_EQ("More than 200 curve entries in " + dir_.File("curve.340") + " file\n", ui_.Log());
    file.points = DiodePoints(200);
    EXPECT_EQ(CurveRead::Success, Read340(file));
}

TEST_F(CurveFiles, ReaderFailuresLeaveTheCallersCurveAsItWas) {
    curve_.name = "kept";
    EXPECT_EQ(CurveRead::NoFileName, ReadCrvFile("", curve_, ui_));
    EXPECT_EQ(CurveRead::CannotOpen, ReadCrvFile(dir_.File("none.crv"), curve_, ui_));
    EXPECT_EQ(CurveRead::NoFileName, ReadColonCurveFile("", curve_, ui_));
    EXPECT_EQ(CurveRead::CannotOpen, ReadColonCurveFile(dir_.File("none.340"), curve_, ui_));
    // Only a regular file is opened.
    EXPECT_EQ(CurveRead::CannotOpen, ReadCrvFile(dir_.Path(), curve_, ui_));
    EXPECT_EQ(CurveRead::CannotOpen, ReadColonCurveFile(dir_.Path(), curve_, ui_));
    Published340 file;
    file.breakpoints = "many";
    EXPECT_EQ(CurveRead::FormatError, Read340(file));
    EXPECT_EQ("kept", curve_.name);
    EXPECT_EQ(0, curve_.count);
}

// The name goes to the instrument as a line of its own: a control character
// in it is a format error, and the log names it.
TEST_F(CurveFiles, AHeaderFieldWithAControlCharacterIsAFormatError) {
    Published340 file;
    file.serial = "D60\x1b";
    EXPECT_EQ(CurveRead::FormatError, Read340(file));
    EXPECT_EQ("Control character 0x1B in line 2 of " + dir_.File("curve.340") + " file\n",
              ui_.Log());
    // Published files pad their number lines with tabs.
    file.serial = "D6091234";
    file.format = "2\t(Volts/Kelvin)";
    file.coefficient = "1\t(Negative)";
    EXPECT_EQ(CurveRead::Success, Read340(file));
}

TEST_F(CurveFiles, PublishedFileReadsSortedWithItsHeader) {
    Published340 file;
    file.points = {{1.2f, 20}, {0.1f, 475}, {1.7f, 1.4f}, {0.5f, 300}, {1.0f, 77}};
    ASSERT_EQ(CurveRead::Success, Read340(file));
    EXPECT_EQ("Diode", curve_.type);
    EXPECT_EQ("D6091234", curve_.name);
    EXPECT_EQ(2, curve_.unit);
    EXPECT_EQ("2      (Volts/Kelvin)", curve_.unitText);
    EXPECT_EQ(-1.0f, curve_.multiplier);
    EXPECT_EQ("1 (Negative)", curve_.multiplierText);
    EXPECT_EQ((std::vector<float>{0.1f, 0.5f, 1.0f, 1.2f, 1.7f}), Values());
    EXPECT_EQ(1.4f, curve_.entries[4].temperature);
}

TEST_F(CurveFiles, ModelsMapThroughTheTableByPrefix) {
    const std::pair<const char*, const char*> cases[] = {
        {"CX-1050-SD", "R8K10UA"}, {"cx-1030-zz", "ACR"}, {"PT-103", "R312R1MA"},
        {"RX-102-X", "ACR"},       {"aufe-1", "TC80"},    {"DT-470-SD", "Diode"}};
    for (const auto& [model, type] : cases) {
        Published340 file;
        file.model = model;
        EXPECT_EQ(CurveRead::Success, Read340(file)) << model;
        EXPECT_EQ(type, curve_.type);
    }
    for (const char* unknown : {"QZ-900", "CX-10", ""}) {
        Published340 file;
        file.model = unknown;
        EXPECT_EQ(CurveRead::FormatError, Read340(file)) << unknown;
        EXPECT_TRUE(curve_.typeError);
        EXPECT_EQ(unknown, curve_.type);
    }
}

TEST_F(CurveFiles, CoefficientAndDataFormatLines) {
    const std::pair<const char*, float> multipliers[] = {
        {"1 (Negative)", -1.0f}, {"2 (Positive)", 1.0f}, {"2", 2.0f}, {"0.5", 0.5f}};
    for (const auto& [text, multiplier] : multipliers) {
        Published340 file;
        file.coefficient = text;
        EXPECT_EQ(CurveRead::Success, Read340(file)) << text;
        EXPECT_EQ(multiplier, curve_.multiplier) << text;
    }
    for (const char* bad : {"Negative", "(none)"}) {
        Published340 file;
        file.coefficient = bad;
        EXPECT_EQ(CurveRead::FormatError, Read340(file)) << bad;
        EXPECT_TRUE(curve_.multiplierError);
    }
    for (const char* format : {"4      (Log Ohms/Kelvin)", "1 (mV/K)", "3\t(Ohms/Kelvin)"}) {
        Published340 file;
        file.format = format;
        EXPECT_EQ(CurveRead::Success, Read340(file)) << format;
        EXPECT_EQ(format[0] - '0', curve_.unit);
    }
    for (const char* format : {"5 (Other)", "-1", "Volts"}) {
        Published340 file;
        file.format = format;
        EXPECT_EQ(CurveRead::FormatError, Read340(file)) << format;
        EXPECT_TRUE(curve_.unitError);
    }
}

TEST_F(CurveFiles, BreakpointCountBoundsTheTable) {
    Published340 file;
    file.points = DiodePoints(10);
    file.breakpoints = "6";
    ASSERT_EQ(CurveRead::Success, Read340(file));
    EXPECT_EQ(6, curve_.count);
    file.breakpoints = "0";
    ASSERT_EQ(CurveRead::Success, Read340(file));
    EXPECT_EQ(10, curve_.count);
    file.breakpoints = "76";
    ASSERT_EQ(CurveRead::Success, Read340(file));
    EXPECT_EQ(10, curve_.count);

    // A short breakpoint line and an over-long one are errors of that entry only.
    file.breakpoints = "13";
    std::string text =
        file.Text() + "\r\n 11  1.8\r\n 12 " + std::string(300, '1') + " 2\r\n 13 1.9 1.0";
    ASSERT_EQ(CurveRead::FormatError, ReadColonCurveFile(Write("long.340", text), curve_, ui_));
    EXPECT_EQ(13, curve_.count);
    EXPECT_TRUE(curve_.entries[10].error);
    EXPECT_TRUE(curve_.entries[11].error);
    EXPECT_EQ(254u, curve_.entries[11].line.size());
    EXPECT_FALSE(curve_.entries[12].error);
    EXPECT_EQ(1.9f, curve_.entries[12].value);
}

TEST_F(CurveFiles, CheckerCountsEntriesAndHeaderLines) {
    auto check = Check(CrvText(ProbeHeader, DiodePoints(3)));
    EXPECT_EQ(3, check.count);
    EXPECT_EQ(4, check.headerLines);
    check = Check(CrvText(ProbeHeader, DiodePoints(200), "\t", "\r\n"));
    EXPECT_EQ(200, check.count);
    check = Check(CrvText({"Probe A", "Diode"}, DiodePoints(5)));
    EXPECT_EQ(5, check.count);
    EXPECT_EQ(2, check.headerLines);
    // The table ends at ";": what follows is not looked at.
    check = Check(CrvText(ProbeHeader, DiodePoints(3)) + "rubbish\n");
    EXPECT_EQ(3, check.count);
    EXPECT_EQ(0u, ui_.Boxes().size());
}

TEST_F(CurveFiles, CheckerRefusesWithItsMessages) {
    const std::string path = dir_.File("check.crv");
    const std::string syntax = "Syntax error in " + path + " file\n";
    const std::pair<std::string, std::pair<std::string, std::string>> cases[] = {
        {CrvText(ProbeHeader, DiodePoints(2)),
         {"Not enough curve entry", "Not enough curve entry in " + path + " file\n"}},
        {CrvText(ProbeHeader, DiodePoints(201)),
         {"More than 200 entries", "More than 200 curve entries in " + path + " file\n"}},
        {CrvText({"Probe"}, DiodePoints(4)), {"File Syntax Error", syntax}},
        {CrvText({"Probe", "Diode", "1.0", "Volts", "extra"}, DiodePoints(4)),
         {"File Syntax Error", syntax}},
        {CrvText(ProbeHeader, DiodePoints(4), ","), {"File Syntax Error", syntax}},
        {CrvText(ProbeHeader, {{1.0f, 10.0f}, {1.1f, 0.0f}, {1.2f, -0.5f}}),
         {"File Syntax Error", syntax}},
        {"Probe A\nDiode\n1\nVolts\n0.5 10\n" + std::string(64, '1') + " 2\n1 3\n;\n",
         {"File Syntax Error", syntax}},
        {"Probe A\nDiode\n1\nVolts\n0.5 10\n\n1 3\n2 1\n;\n", {"File Syntax Error", syntax}},
    };
    for (const auto& [text, expected] : cases) {
        ui_.Clear();
        EXPECT_EQ(0, Check(text).count) << text.substr(0, 60);
        ASSERT_EQ(1u, ui_.Boxes().size());
        EXPECT_EQ(expected.first, ui_.Boxes()[0].text);
        EXPECT_EQ(MessageIcon::Stop, ui_.Boxes()[0].icon);
        EXPECT_EQ(expected.second, ui_.Log());
    }
    EXPECT_EQ(3, Check(CrvText(ProbeHeader, {{1.0f, 10.0f}, {1.1f, 0.0f}, {1.2f, 0.0f}})).count);
}

TEST_F(CurveFiles, WriterKeepsTrailingZerosAndCutsTheName) {
    SensorCurve curve;
    curve.name = "Probe A";
    curve.type = "Diode";
    curve.unitText = "Volts";
    curve.count = 2;
    curve.entries[0] = {0.125f, 475.0f, "", false};
    curve.entries[1] = {1.625f, 4.5f, "", false};
    EXPECT_EQ("Probe A\nDiode\n1.0000000\nVolts\n0.1250000000  475.0000000\n"
              "1.625000000  4.500000000\n;\n",
              FormatCrvFile(curve));
    curve.name = "Twenty characters!!!";
    curve.multiplier = -2.5f;
    curve.count = 0;
    EXPECT_EQ("Twenty characte\nDiode\n-2.5000000\nVolts\n;\n", FormatCrvFile(curve));
}

TEST_F(CurveFiles, WrittenCurveReadsBackWithTheSameValues) {
    SensorCurve written;
    written.name = "Round trip";
    written.type = "R8K10UA";
    written.multiplier = 0.123456789f;
    written.unitText = "LogOhm";
    written.count = SensorCurve::MaxEntries;
    for (int i = 0; i < written.count; ++i)
        written.entries[i] = {-3.0f + 0.0371f * static_cast<float>(i) +
                                  1e-7f * static_cast<float>(i),
                              1234.5678f / static_cast<float>(i + 1), "", false};
    ScriptedFiles files;
    files.saveAnswers = {dir_.File("trip.crv")};
    ASSERT_EQ(CrvWriteResult::Written, WriteCrvFile(written, files, ui_));
    EXPECT_EQ("crv", files.saveAsked[0].first);
    EXPECT_EQ("Curve Files (*.crv)|*.crv||", files.saveAsked[0].second);

    ASSERT_EQ(CurveRead::Success, ReadCrvFile(dir_.File("trip.crv"), curve_, ui_));
    EXPECT_EQ(UnitLogOhms, curve_.unit);
    EXPECT_FLOAT_EQ(written.multiplier, curve_.multiplier);
    ASSERT_EQ(written.count, curve_.count);
    for (int i = 0; i < written.count; ++i) {
        EXPECT_EQ(written.entries[i].value, curve_.entries[i].value) << i;
        EXPECT_EQ(written.entries[i].temperature, curve_.entries[i].temperature) << i;
    }
    EXPECT_EQ(200, CheckCrvFile(dir_.File("trip.crv"), ui_, ui_).count);
}

TEST_F(CurveFiles, WriterWritesWholeOrNothing) {
    SensorCurve curve;
    curve.unitText = "Volts";
    ScriptedFiles files;
    EXPECT_EQ(CrvWriteResult::Cancelled, WriteCrvFile(curve, files, ui_));

    const std::string kept = Write("kept.crv", "old\n");
    ::mkdir(dir_.File("folder.crv").c_str(), 0755);
    files.saveAnswers = {dir_.File("missing/x.crv"), dir_.File("folder.crv"), kept};
    EXPECT_EQ(CrvWriteResult::Failed, WriteCrvFile(curve, files, ui_));
    EXPECT_EQ(CrvWriteResult::Failed, WriteCrvFile(curve, files, ui_));
    ASSERT_EQ(2u, ui_.Boxes().size());
    EXPECT_EQ("Failed to create file", ui_.Boxes()[1].text);
    EXPECT_EQ(MessageIcon::Warning, ui_.Boxes()[1].icon);

    EXPECT_EQ(CrvWriteResult::Written, WriteCrvFile(curve, files, ui_));
    EXPECT_EQ("\nACR\n1.0000000\nVolts\n;\n", ReadFile(kept));
    // Nothing but the written files is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.Path()))
        ++entries;
    EXPECT_EQ(2, entries);
}
