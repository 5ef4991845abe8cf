#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "comm/CommandLine.h"
#include "curves/DownloadCurve.h"
#include "curves/TransferFixture.h"
#include "curves/TransferSteps.h"
#include "curves/UploadCurve.h"
#include "curves/VerifyUserCurve.h"
#include "support/PtyPeer.h"

namespace {

using namespace std::chrono_literals;

const char* const CompleteText = "Download Complete";
const char* const SendErrorBox =
    "Error detected. Please check and correct the displayed error logs on screen.  ";

// A curve of `count` entries whose numbers print exactly with six decimals:
// values 1/64 apart, temperatures 2.25 K apart. The file lists them by
// temperature, rising; `lines` are the entries as they must be sent.
struct ExactCurve {
    std::string file;
    std::vector<std::string> lines;
};
ExactCurve MakeCurve(int count, const std::string& name) {
    ExactCurve curve{name + "\nDiode\n1.0\nVolts\n", {}};
    std::vector<std::string> entries;
    for (int i = 0; i < count; ++i) {
        const double value = 0.015625 * (i + 1);
        const double kelvin = 475.0 - 2.25 * i;
        char line[64];
        std::snprintf(line, sizeof line, "%.6f     %.6f", value, kelvin);
        curve.lines.push_back(line);
        std::snprintf(line, sizeof line, "%.7g  %.7g\n", value, kelvin);
        entries.insert(entries.begin(), line);
    }
    for (const std::string& entry : entries)
        curve.file += entry;
    curve.file += ";\n";
    return curve;
}

class CurveTransfer : public TransferFixture {};

class CurveOverEachTransport : public TransferFixture, public ::testing::WithParamInterface<int> {};

} // namespace

TEST_P(CurveOverEachTransport, TwoHundredEntriesAre206LinesFromCalcAndReadBackAsSent) {
    const int transport = GetParam();
    const int n = transport == PortRS232 ? 5 : transport == PortLAN ? 6 : 7;
    Connect(transport);
    const ExactCurve curve = MakeCurve(200, "Probe 200");
    const std::string file = Write("probe200.crv", curve.file);
    files_.openAnswers = {file};
    numbers_.userCurve = n;

    const std::size_t mark = Transcript().size();
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::Done) << ui_.Log();
    std::vector<std::string> expected;
    for (int index = 61; index <= 68; ++index)
        expected.push_back("SENSORIX? " + std::to_string(index));
    expected.push_back("*IDN?");
    expected.push_back("CALC " + std::to_string(n));
    std::vector<std::string> sent = {"Probe 200", "Diode", "1.000000", "Volts"};
    sent.insert(sent.end(), curve.lines.begin(), curve.lines.end());
    expected.insert(expected.end(), sent.begin(), sent.end());
    expected.push_back(";");
    // Then the entry count the instrument holds now.
    expected.push_back("SENSORIX " + std::to_string(60 + n) + ":NENTRY?");
    const std::vector<std::string> received = ReceivedSince(mark);
    EXPECT_EQ(received, expected);
    EXPECT_EQ(received.end() - std::find(received.begin(), received.end(), expected[9]), 206 + 1);

    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{CompleteText});
    EXPECT_EQ(ui_.Captions(), std::vector<std::string>{"Downloading to User Curve " +
                                                       std::to_string(n) + ". Please wait..."});
    const std::vector<int> progress = ui_.Progress();
    ASSERT_EQ(progress.size(), 200u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress[100], 50);
    EXPECT_EQ(progress.back(), 99);
    EXPECT_FALSE(ui_.ProgressOpen());
    std::string log;
    for (const std::string& line : sent)
        log += line + "\n";
    EXPECT_EQ(ui_.Log(),
              log + ";\nUser Curve " + std::to_string(n) + " is downloaded from " + file + "\n");
    EXPECT_EQ(hints_, 0);
    ASSERT_EQ(numbers_.curveDialogs.size(), 1u);

    ui_.Clear();
    const std::string out = dir_->File("upload" + std::to_string(n) + ".crv");
    files_.saveAnswers = {out};
    EXPECT_EQ(UploadCurve(Context()), TransferOutcome::Done) << ui_.Log();
    EXPECT_EQ(files_.saveAsked.back(),
              (std::pair<std::string, std::string>{"crv", "Curve Files (*.crv)|*.crv||"}));
    EXPECT_EQ(files_.proposedNames,
              std::vector<std::string>{"UserCurve" + std::to_string(n) + ".crv"});
    const std::string text = ReadFile(out);
    EXPECT_EQ(TableLines(text), sent);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"Upload Complete"});
    EXPECT_EQ(ui_.Log(),
              text + "User Curve " + std::to_string(n) + " is uploaded to " + out + "\n");
    // The curve dialog showed what the download left in that user curve.
    EXPECT_EQ(WithoutLineEnd(numbers_.curveDialogs.back()[static_cast<std::size_t>(n - 1)]),
              "Probe 200,Diode,200");
    EXPECT_TRUE(MutexFree());
}

INSTANTIATE_TEST_SUITE_P(Transports, CurveOverEachTransport,
                         ::testing::Values(PortRS232, PortLAN, PortGPIB),
                         [](const auto& transport) {
                             return std::string(transport.param == PortRS232 ? "RS232"
                                                : transport.param == PortLAN ? "LAN"
                                                                             : "GPIB");
                         });

TEST_F(CurveTransfer, FourEntriesDownloadAndThreeAreRefusedBeforeAnythingIsSent) {
    Connect(PortRS232);
    const std::string three = Write("three.crv", MakeCurve(3, "Three").file);
    files_.openAnswers = {three};
    numbers_.userCurve = 1;
    std::size_t mark = Transcript().size();
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::FileRefused);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"Not enough points to form a curve"});
    EXPECT_EQ(ui_.Log(), "Not enough points in " + three + " file\n");
    EXPECT_EQ(header_.runs, 0);
    EXPECT_TRUE(ReceivedSince(mark).empty());

    ui_.Clear();
    files_.openAnswers = {Write("four.crv", MakeCurve(4, "Four").file)};
    mark = Transcript().size();
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::Done);
    // The user curves, "*IDN?", "CALC 1", the header, the entries, ";", and
    // the entry count the instrument then holds.
    const std::vector<std::string> received = ReceivedSince(mark);
    EXPECT_EQ(received.size(), 8u + 1 + 1 + 4 + 4 + 1 + 1);
    EXPECT_EQ(received.back(), "SENSORIX 61:NENTRY?");
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{CompleteText});
    EXPECT_EQ(ui_.Progress(), (std::vector<int>{0, 25, 50, 75}));
}

TEST_F(CurveTransfer, AFormatErrorListsTheWholeCurveWithItsMarks) {
    Connect(PortRS232);
    files_.openAnswers = {
        Write("bad.crv", "Probe\nDiode\nx2\nKelvin\n0.1 475\n0.2 abc\n0.3,77\n;\n")};
    const std::size_t mark = Transcript().size();
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::FileRefused);
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.Boxes()[0].text,
              "Error detected informat. Correct indicated error and then try again.");
    EXPECT_EQ(ui_.Boxes()[0].icon, MessageIcon::Stop);
    EXPECT_EQ(ui_.Log(), "Probe\nDiode\nx2   **ERROR**\nKelvin   **ERROR**\n0.1 475\n"
                         "0.2 abc   **ERROR**\n0.3,77\n");
    EXPECT_EQ(ReceivedSince(mark), std::vector<std::string>{});
    EXPECT_TRUE(MutexFree());

    // A control character in a header field, which would end its line on the instrument.
    ui_.Clear();
    files_.openAnswers = {Write("c.crv", "P\nDiode\x0b;\n1\nVolts\n1 4\n2 3\n3 2\n4 1\n;\n")};
    const std::size_t again = Transcript().size();
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::FileRefused);
    EXPECT_EQ(ui_.Log(), "Control character 0x0B in line 2 of " + dir_->File("c.crv") +
                             " file\nP\nDiode\x0b;   **ERROR**\n1\nVolts\n1 4\n2 3\n3 2\n4 1\n");
    EXPECT_TRUE(ReceivedSince(again).empty());
}

TEST_F(CurveTransfer, EveryWayOutReleasesTheTransactionMutex) {
    Connect(PortRS232);
    const std::string good = Write("good.crv", MakeCurve(5, "Good").file);
    struct Case {
        const char* what;
        std::optional<std::string> open;
        bool header;
        std::optional<int> curve;
        TransferOutcome outcome;
    };
    const Case cases[] = {
        {"open cancelled", std::nullopt, true, 1, TransferOutcome::Cancelled},
        {"missing file", dir_->File("none.crv"), true, 1, TransferOutcome::FileRefused},
        {"header aborted", good, false, 1, TransferOutcome::Cancelled},
        {"curve cancelled", good, true, std::nullopt, TransferOutcome::Cancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        files_.openAnswers = {c.open};
        header_.accept = c.header;
        numbers_.userCurve = c.curve;
        EXPECT_EQ(DownloadCurve(Context()), c.outcome);
        EXPECT_TRUE(MutexFree());
    }
    EXPECT_EQ(ui_.Log(), "Cannot open input file\n");
    EXPECT_TRUE(ui_.Boxes().empty());

    // The curve is chosen before the save dialog, which then proposes its number.
    files_.saveAnswers = {dir_->File("never.crv")};
    numbers_.userCurve = std::nullopt;
    EXPECT_EQ(UploadCurve(Context()), TransferOutcome::Cancelled);
    EXPECT_TRUE(MutexFree());
    EXPECT_TRUE(files_.saveAsked.empty());
    files_.saveAnswers = {std::nullopt};
    numbers_.userCurve = 7;
    EXPECT_EQ(UploadCurve(Context()), TransferOutcome::Cancelled);
    EXPECT_TRUE(MutexFree());
    EXPECT_EQ(files_.proposedNames, std::vector<std::string>{"UserCurve7.crv"});
    EXPECT_FALSE(std::filesystem::exists(dir_->File("never.crv")));

    // A link without a port: every query fails.
    link_ = std::make_unique<CCommLink>(settings_, ui_, ui_, ui_);
    header_.accept = true;
    numbers_.userCurve = 1;
    files_.openAnswers = {good};
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::CommunicationFailed);
    EXPECT_TRUE(MutexFree());
    files_.saveAnswers = {dir_->File("never.crv")};
    EXPECT_EQ(UploadCurve(Context()), TransferOutcome::CommunicationFailed);
    EXPECT_TRUE(MutexFree());
    EXPECT_EQ(ui_.BoxTexts(),
              (std::vector<std::string>{"Communication Error", "Communication Error"}));
    EXPECT_EQ(hints_, 2);
    // Refused before its save dialog.
    EXPECT_EQ(files_.saveAsked.size(), 1u);
}

TEST_F(CurveTransfer, ABusyLinkDropsTheCommandWithoutAWord) {
    Connect(PortRS232);
    std::thread holder([this] {
        std::lock_guard hold(mutex_);
        std::this_thread::sleep_for(1500ms);
    });
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::Busy);
    const auto waited = std::chrono::steady_clock::now() - start;
    holder.join();
    EXPECT_GE(waited, 900ms);
    EXPECT_LT(waited, 1400ms);
    EXPECT_TRUE(files_.openAsked.empty());
    EXPECT_TRUE(ui_.Boxes().empty());
}

TEST_F(CurveTransfer, UploadRefusesAnInstrumentThatAnswersASemicolon) {
    PtyPeer peer;
    peer.StartResponder([](const std::string& line) {
        return line == "*IDN?" ? std::string(";\r\n") : std::string();
    });
    link_ = std::make_unique<CCommLink>(settings_, ui_, ui_, ui_);
    ASSERT_TRUE(link_->UseSerialDevice(peer.Device(), 0));
    EXPECT_EQ(UploadCurve(Context()), TransferOutcome::CommunicationFailed);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"Communication Error"});
    EXPECT_EQ(hints_, 1);
    EXPECT_TRUE(files_.saveAsked.empty());
    EXPECT_TRUE(MutexFree());
}

TEST_F(CurveTransfer, AnUploadThatCannotBeWrittenIsNotComplete) {
    Connect(PortRS232);
    // A folder where the file should go: it cannot be replaced.
    const std::string folder = dir_->File("a-folder.crv");
    std::filesystem::create_directory(folder);
    files_.saveAnswers = {folder};
    numbers_.userCurve = 8;
    EXPECT_EQ(UploadCurve(Context()), TransferOutcome::WriteFailed);
    ASSERT_EQ(ui_.Boxes().size(), 1u);
    EXPECT_EQ(ui_.Boxes()[0].text, "Failed to create file");
    EXPECT_EQ(ui_.Log().rfind("Failed to create file " + folder + ": ", 0), 0u) << ui_.Log();
    EXPECT_EQ(ui_.Log().find("uploaded"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 0);
    EXPECT_TRUE(MutexFree());
}

// A line the link cannot send is marked; the instrument then holds another
// curve than the one sent (the type as its name, ...): not "Download Complete".
TEST_F(CurveTransfer, ALineTheLinkCannotSendIsMarkedAndTheRunEndsWithTheErrorBox) {
    Connect(PortRS232);
    files_.openAnswers = {Write("long.crv", MakeCurve(4, "Short").file)};
    header_.name = std::string(101, 'N');
    numbers_.userCurve = 2;
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::NotConfirmed);
    EXPECT_EQ(ui_.BoxTexts(), (std::vector<std::string>{SendErrorBox}));
    EXPECT_EQ(ui_.Log().rfind(std::string(101, 'N') + " **ERROR**\nDiode\n", 0), 0u);
    EXPECT_NE(ui_.Log().find("User Curve 2 holds 3 entries, 4 were sent\n"), std::string::npos)
        << ui_.Log();
    EXPECT_TRUE(MutexFree());
}

TEST_F(CurveTransfer, BackupBeforeAndVerifyAfterTheDownload) {
    Connect(PortRS232);
    files_.openAnswers = {Write("old.crv", MakeCurve(4, "Old").file)};
    numbers_.userCurve = 4;
    ASSERT_EQ(DownloadCurve(Context()), TransferOutcome::Done);

    ui_.Clear();
    const std::string backups = dir_->File("backups");
    std::filesystem::create_directory(backups);
    options_ = {true, true, backups};
    files_.openAnswers = {Write("new.340", Published340().Text())};
    header_.saveAsCrv = true;
    const std::string copy = dir_->File("copy.crv");
    files_.saveAnswers = {copy};
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::Done) << ui_.Log();
    EXPECT_TRUE(std::filesystem::exists(copy));
    // The ".crv" copy of a converted curve is offered under its serial number.
    EXPECT_EQ(files_.proposedNames, std::vector<std::string>{"D6091234.crv"});

    std::vector<std::filesystem::path> saved(std::filesystem::directory_iterator(backups), {});
    ASSERT_EQ(saved.size(), 1u);
    const std::string name = saved[0].filename().string();
    EXPECT_EQ(name.rfind("UserCurve4-", 0), 0u) << name;
    EXPECT_EQ(
        ReadFile(saved[0].string()),
        "Old\r\nDiode\r\n1.000000\r\nVolts\r\n0.015625     475.000000\r\n"
        "0.031250     472.750000\r\n0.046875     470.500000\r\n0.062500     468.250000\r\n;\r\n");
    const std::string log = ui_.Log();
    EXPECT_EQ(log.rfind("User Curve 4 is backed up to " + saved[0].string() + "\nD6091234\n", 0),
              0u)
        << log;
    EXPECT_TRUE(log.ends_with("Verify: User Curve 4 reads back as sent, 8 entries\n")) << log;
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{CompleteText});
    EXPECT_EQ(ui_.Captions(),
              (std::vector<std::string>{"Backing up User Curve 4. Please wait...",
                                        "Downloading to User Curve 4. Please wait...",
                                        "Verifying User Curve 4. Please wait..."}));

    // A backup that cannot be saved stops the download before anything is sent.
    ui_.Clear();
    options_.backupFolder = dir_->File("no-such-folder");
    files_.openAnswers = {Write("other.crv", MakeCurve(4, "Other").file)};
    const std::size_t mark = Transcript().size();
    EXPECT_EQ(DownloadCurve(Context()), TransferOutcome::BackupFailed);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"Failed to create file"});
    const std::vector<std::string> received = ReceivedSince(mark);
    EXPECT_EQ(std::count(received.begin(), received.end(), "CALC 4"), 0);
    EXPECT_TRUE(ui_.Log().ends_with("User Curve 4 is not downloaded: it could not be backed up "
                                    "first\n"));
    EXPECT_TRUE(MutexFree());
}

TEST(CompareCurveLines, EachDifferenceIsLoggedAndCounted) {
    TestUi log;
    const std::vector<std::string> sent = {"Probe",
                                           "Diode",
                                           "1.000000",
                                           "Volts",
                                           "0.100000     475.000000",
                                           "0.200000     300.000000",
                                           "0.300000     77.000000"};
    // Another instrument's number formats and padding agree.
    EXPECT_EQ(CompareCurveLines(sent,
                                {"Probe  ", "Diode", "+1.0000E+00", "Volts", "0.1 475.0",
                                 "0.2000,300", "0.30000000 77.0000004"},
                                log),
              0);
    EXPECT_EQ(log.Log(), "");

    EXPECT_EQ(CompareCurveLines(sent,
                                {"Probe", "ACR", "1.000000", "Volts", "0.100000     475.000000",
                                 "0.200100     300.000000"},
                                log),
              3);
    EXPECT_EQ(log.Log(), "Verify: type differs: sent \"Diode\", read back \"ACR\"\n"
                         "Verify: entry 2 differs: sent \"0.200000     300.000000\", read back "
                         "\"0.200100     300.000000\"\n"
                         "Verify: 3 entries sent, 2 read back\n");
}

TEST_F(CurveTransfer, EachUserCurveIsUploadedByItsOwnEntryCountQuery) {
    Connect(PortLAN);
    for (int n = 1; n <= 8; ++n) {
        ui_.Clear();
        numbers_.userCurve = n;
        files_.saveAnswers = {dir_->File("each" + std::to_string(n) + ".crv")};
        const std::size_t mark = Transcript().size();
        UploadCurve(Context());
        const std::vector<std::string> received = ReceivedSince(mark);
        ASSERT_GE(received.size(), 10u) << n;
        // "*IDN?", the eight user curves for the dialog, then the chosen one's entries.
        EXPECT_EQ(received[9], "SENSORIX " + std::to_string(60 + n) + ":NENTRY?");
    }
}

TEST(LineTime, AnRs232LineCarriesTenBitsAByteAtItsRate) {
    PtyPeer line;
    CSettingsStore settings("");
    TestUi ui;
    CCommLink link(settings, ui, ui, ui);
    struct Case {
        int baudIndex; // 0 = 115200 .. 7 = 1200 baud
        std::size_t bytes;
        std::chrono::milliseconds time;
    };
    for (Case c : {Case{0, 11520, 1001ms}, Case{4, 960, 1001ms}, Case{4, 9600, 10001ms},
                   Case{7, 12, 101ms}, Case{7, 0, 1ms}}) {
        ASSERT_TRUE(link.UseSerialDevice(line.Device(), c.baudIndex));
        EXPECT_EQ(c.time, LineTime(link, c.bytes)) << c.baudIndex << " " << c.bytes;
    }
    // A GPIB or LAN send ends when the instrument has the line.
    link.UseGpibAddress(12);
    EXPECT_EQ(0ms, LineTime(link, 9600));
    link.UseLanAddress(*MyIPAddr::Parse("127.0.0.1"), 5000);
    EXPECT_EQ(0ms, LineTime(link, 9600));
}
