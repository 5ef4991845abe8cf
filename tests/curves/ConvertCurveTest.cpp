#include <filesystem>
#include <gtest/gtest.h>

#include "curves/ConvertCurve.h"
#include "curves/CurveTestFiles.h"
#include "curves/GivenCurveHeader.h"
#include "support/TestUi.h"

namespace {

class Conversion : public ::testing::Test {
protected:
    // Converts `file` saved as `name` into "out.crv".
    ConvertOutcome Convert(const Published340& file, const std::string& name = "sensor.340") {
        source_ = WriteFile(dir_.File(name), file.Text());
        files_.openAnswers = {source_};
        files_.saveAnswers = {dir_.File("out.crv")};
        return ConvertCurve(files_, header_, ui_, ui_);
    }
    std::string Output() const { return ReadFile(dir_.File("out.crv")); }
    void ExpectOutcome(const std::string& text, const std::string& logText) {
        ASSERT_EQ(1u, ui_.Boxes().size());
        EXPECT_EQ(text, ui_.Boxes()[0].text);
        EXPECT_EQ(logText, ui_.Log());
    }

    TempDir dir_;
    TestUi ui_;
    ScriptedFiles files_;
    CGivenCurveHeader header_;
    std::string source_;
};

} // namespace

TEST_F(Conversion, PublishedCurveBecomesASortedCrvFile) {
    Published340 file;
    file.model = "PT-103";
    file.serial = "P10042";
    file.format = "3      (Ohms/Kelvin)";
    file.coefficient = "2 (Positive)";
    file.points = {{110.0f, 300.0f}, {1.5f, 14.0f}, {20.0f, 77.0f}, {200.0f, 500.0f}};
    ASSERT_EQ(ConvertOutcome::Saved, Convert(file));

    ASSERT_EQ(1u, files_.openAsked.size());
    EXPECT_EQ(".340", files_.openAsked[0].first);
    EXPECT_EQ("Curve Files (.340)|*.340| All Files (*.*)|*.*||", files_.openAsked[0].second);
    const CurveHeader& opened = header_.opened;
    EXPECT_EQ("P10042", opened.name);
    EXPECT_EQ("R312R1MA", opened.type);
    EXPECT_EQ(1.0f, opened.multiplier);
    EXPECT_EQ(UnitOhms, opened.unit);
    EXPECT_EQ(4, opened.count);
    EXPECT_TRUE(opened.saveAsCrv);
    EXPECT_FALSE(opened.sourceIsCrv);
    ASSERT_TRUE(header_.plot);
    EXPECT_EQ((std::vector<float>{1.5f, 20.0f, 110.0f, 200.0f}), header_.plot->values);
    EXPECT_EQ((std::vector<float>{14.0f, 77.0f, 300.0f, 500.0f}), header_.plot->temperatures);

    EXPECT_EQ("P10042\nR312R1MA\n1.0000000\nOhms\n1.500000000  14.00000000\n"
              "20.00000000  77.00000000\n110.0000000  300.0000000\n200.0000000  500.0000000\n;\n",
              Output());
    ExpectOutcome("Converted Sensor Curve saved", "Converted Sensor Curve saved\r\n");
    EXPECT_EQ(MessageIcon::Information, ui_.Boxes()[0].icon);
}

TEST_F(Conversion, DataFormatChoosesTheUnitTextAndTheEditedHeaderIsWritten) {
    const std::pair<const char*, const char*> cases[] = {
        {"4 (Log Ohms/Kelvin)", "LogOhm"}, {"2 (Volts/Kelvin)", "Volts"}, {"1 (mV/K)", "mVolts"}};
    for (const auto& [format, unitText] : cases) {
        Published340 file;
        file.format = format;
        ASSERT_EQ(ConvertOutcome::Saved, Convert(file)) << format;
        EXPECT_EQ("D6091234\nDiode\n-1.0000000\n" + std::string(unitText) + "\n",
                  FirstLines(Output(), 4));
    }
    header_.name = "Edited name that is long";
    header_.type = "ACR";
    header_.multiplier = 2.0f;
    header_.unitListIndex = 3;
    ASSERT_EQ(ConvertOutcome::Saved, Convert(Published340()));
    EXPECT_EQ("Edited name tha\nACR\n2.0000000\nLogOhm\n", FirstLines(Output(), 4));
}

TEST_F(Conversion, TheSaveProposesTheCurvesSerialNumberOrElseTheSourceName) {
    Published340 file;
    file.serial = "X12/34";
    ASSERT_EQ(ConvertOutcome::Saved, Convert(file));
    // A name edited in the header dialog wins; without any, the source file's name.
    header_.name = "Edited";
    ASSERT_EQ(ConvertOutcome::Saved, Convert(file));
    header_.name = "  ";
    ASSERT_EQ(ConvertOutcome::Saved, Convert(file, "bath probe.340"));
    EXPECT_EQ((std::vector<std::string>{"X12_34.crv", "Edited.crv", "bath probe.crv"}),
              files_.proposedNames);
}

TEST_F(Conversion, RefusedFilesEndBeforeTheHeaderDialog) {
    Published340 file;
    file.model = "TC-TYPE-K";
    EXPECT_EQ(ConvertOutcome::ReadFailed, Convert(file));
    ExpectOutcome("Failed to read file", "");
    EXPECT_EQ(MessageIcon::Stop, ui_.Boxes()[0].icon);

    ui_.Clear();
    file = Published340();
    file.points = DiodePoints(3);
    EXPECT_EQ(ConvertOutcome::TooFewPoints, Convert(file));
    ExpectOutcome("Not enough points to form a curve",
                  "Not enough points in " + source_ + " file\n");
    EXPECT_EQ(0, header_.runs);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.crv")));

    file.points = DiodePoints(4);
    EXPECT_EQ(ConvertOutcome::Saved, Convert(file));

    ui_.Clear();
    files_.openAnswers.clear();
    EXPECT_EQ(ConvertOutcome::Cancelled, ConvertCurve(files_, header_, ui_, ui_));
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(Conversion, AnyChosenFileIsReadAsTheColonLayout) {
    // A ".340" file under a ".crv" name converts, its save box disabled but ticked.
    ASSERT_EQ(ConvertOutcome::Saved, Convert(Published340(), "renamed.crv"));
    EXPECT_TRUE(header_.opened.sourceIsCrv);
    EXPECT_TRUE(header_.opened.saveAsCrv);
    // A real ".crv" file is not in that layout.
    ui_.Clear();
    files_.openAnswers = {dir_.File("out.crv")};
    EXPECT_EQ(ConvertOutcome::ReadFailed, ConvertCurve(files_, header_, ui_, ui_));
    ExpectOutcome("Failed to read file", "");
}

TEST_F(Conversion, SavedIsReportedOnlyWhenTheFileWasWritten) {
    header_.accept = false;
    EXPECT_EQ(ConvertOutcome::Aborted, Convert(Published340()));
    ExpectOutcome("Aborted Sensor Curve conversion", "Aborted Sensor Curve conversion\r\n");
    EXPECT_TRUE(files_.saveAsked.empty());

    header_.accept = true;
    header_.saveAsCrv = false;
    ui_.Clear();
    EXPECT_EQ(ConvertOutcome::NotSaved, Convert(Published340()));
    ExpectOutcome("Converted Sensor Curve not saved", "Converted Sensor Curve not saved\r\n");
    EXPECT_TRUE(files_.saveAsked.empty());

    header_.saveAsCrv.reset();
    ui_.Clear();
    files_.openAnswers = {source_};
    files_.saveAnswers.clear();
    EXPECT_EQ(ConvertOutcome::NotSaved, ConvertCurve(files_, header_, ui_, ui_)); // save cancelled
    ExpectOutcome("Converted Sensor Curve not saved", "Converted Sensor Curve not saved\r\n");

    ui_.Clear();
    files_.openAnswers = {source_};
    files_.saveAnswers = {dir_.File("no/such/folder.crv")};
    EXPECT_EQ(ConvertOutcome::WriteFailed, ConvertCurve(files_, header_, ui_, ui_));
    ExpectOutcome("Failed to create file",
                  dir_.File("no/such/folder.crv") + ": No such file or directory\r\n");
}
