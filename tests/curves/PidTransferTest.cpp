#include <filesystem>
#include <sstream>

#include "curves/DownloadPIDTable.h"
#include "curves/PidTableFile.h"
#include "curves/TransferFixture.h"
#include "curves/UploadPIDTable.h"

namespace {

const char* const Filter = "PID Table Files (*.pid)|*.pid|All Files (*.*)|*.*||";
const char* const ErrorsBox =
    "Error detected. Please check and correct the displayed error logs on screen.  ";

// A title line, then `count` entries: zone limits 10 K apart, P, I, D and a range word.
std::string PidText(int count, const std::string& title = "Cold head") {
    std::string text = title + "\n";
    for (int i = 0; i < count; ++i)
        text += std::to_string(10 * (i + 1)) + ".0 " + std::to_string(50 + i) + " 20.5 0 High\n";
    return text;
}

class PidTransfer : public TransferFixture {};

} // namespace

TEST_F(PidTransfer, SixteenEntriesAreNineteenLinesAfterTheIdentity) {
    Connect(PortRS232);
    const std::string text = PidText(8) + "\n  \n" + PidText(8).substr(10) + ";\nignored\n";
    const std::string file = Write("full.pid", text);
    files_.openAnswers = {file};
    numbers_.pidTable = 2;
    const std::size_t mark = Transcript().size();
    EXPECT_EQ(DownloadPIDTable(Context()), TransferOutcome::Done) << ui_.Log();
    EXPECT_EQ(files_.openAsked.back(), (std::pair<std::string, std::string>{"pid", Filter}));

    std::vector<std::string> entries;
    for (int i = 0; i < 16; ++i)
        entries.push_back(std::to_string(10 * (i % 8 + 1)) + ".0 " + std::to_string(50 + i % 8) +
                          " 20.5 0 High");
    std::vector<std::string> expected = {"*IDN?", "PIDT 2:table", "Cold head"};
    expected.insert(expected.end(), entries.begin(), entries.end());
    expected.push_back(";");
    EXPECT_EQ(expected.size() - 1, 19u);
    // Then what the instrument holds now.
    std::vector<std::string> confirmed = expected;
    confirmed.push_back("PIDT 2:NENT?");
    EXPECT_EQ(ReceivedSince(mark), confirmed);

    std::string log = "Cold head\n";
    for (const std::string& entry : entries)
        log += entry + "\n";
    EXPECT_EQ(ui_.Log(), log + ";\nPID Table 2 is downloaded from " + file + "\n");
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"Download Complete"});
    EXPECT_EQ(ui_.Captions(),
              std::vector<std::string>{"Downloading to PID Table 2. Please wait..."});
    EXPECT_EQ(ui_.Progress().front(), 6);
    EXPECT_EQ(ui_.Progress().back(), 100);
    EXPECT_FALSE(ui_.ProgressOpen());
    EXPECT_TRUE(MutexFree());

    // And back, exactly as the instrument sends it.
    ui_.Clear();
    const std::string out = dir_->File("back.pid");
    files_.saveAnswers = {out};
    EXPECT_EQ(UploadPIDTable(Context()), TransferOutcome::Done) << ui_.Log();
    std::string reply;
    for (const std::string& line : std::vector<std::string>(expected.begin() + 2, expected.end()))
        reply += line + "\r\n";
    EXPECT_EQ(ReadFile(out), reply);
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"Upload Complete"});
    EXPECT_EQ(ui_.Log(), reply + "PID Table 2 is uploaded to " + out + "\n");
    EXPECT_EQ(files_.proposedNames, std::vector<std::string>{"PIDTable2.pid"});
    EXPECT_EQ(ui_.Captions(),
              std::vector<std::string>{"Uploading from PID table 2. Please wait..."});
}

TEST_F(PidTransfer, FilesThatFailTheCheckAreRefusedBeforeAnythingIsSent) {
    Connect(PortRS232);
    numbers_.pidTable = 1;
    struct Case {
        std::string text;
        const char* box;
        const char* log; // before " in <file> file"
        std::string reason = {};
    };
    const Case cases[] = {
        {PidText(17) + ";\n", "More than 16 entries", "More than 16 PID table entries"},
        {"T\n0 1 1 0 Low\n;\n", "Syntax Error", "Syntax error"},
        {"T\n1 1 0 0 Low\n;\n", "Syntax Error", "Syntax error"},
        {"T\n1 -1 1 0 Low\n;\n", "Syntax Error", "Syntax error"},
        {"T\n1 1 1 0\n;\n", "Syntax Error", "Syntax error"},
        {"T\n1 1 1 0 " + std::string(60, 'W') + "\n;\n", "Syntax Error", "Syntax error"},
        {PidText(3), "File Read Error", "File Read Error"},
        {";\n" + PidText(3) + ";\n", "No table entry", "No table entry"},
        {"Title only\n\n;\n", "No table entry", "No table entry"},
        {PidText(2, "Cold\x1bhead") + ";\n", "Syntax Error", "Syntax error",
         ": line 1 holds the control character 0x1B"},
        {PidText(2) + "30.0 52 20.5 0 Hi\rgh\n;\n", "Syntax Error", "Syntax error",
         ": line 4 holds the control character 0x0D"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ui_.Clear();
        const std::string file = Write("refused.pid", c.text);
        files_.openAnswers = {file};
        const std::size_t mark = Transcript().size();
        EXPECT_EQ(DownloadPIDTable(Context()), TransferOutcome::FileRefused);
        EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{c.box});
        EXPECT_EQ(ui_.Log(), std::string(c.log) + " in " + file + " file" + c.reason + "\n");
        EXPECT_TRUE(ReceivedSince(mark).empty());
        EXPECT_TRUE(MutexFree());
    }
    for (const std::string& unread : {dir_->File("missing.pid"), std::string("/dev/zero")}) {
        ui_.Clear();
        files_.openAnswers = {unread};
        EXPECT_EQ(DownloadPIDTable(Context()), TransferOutcome::FileRefused);
        EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{"File Read Error"});
    }
}

// What the check found, for the download's log; a tab between the fields of
// an entry is white space.
TEST(PidFileCheck, SaysWhichControlCharacterOrWhatElseStandsThere) {
    TempDir dir;
    const std::string file = dir.File("t.pid");
    EXPECT_EQ("line 3 holds the control character 0x0D",
              CheckPidFile(WriteFile(file, "T\n\n1 1 1 0 Lo\rw\n;\n")).reason);
    EXPECT_EQ(PidTableFile::Check::Ok,
              CheckPidFile(WriteFile(file, "T\n1\t1\t1 0\tLow\n;\n")).check);
    EXPECT_EQ("not a regular file (a device, a pipe or a folder)",
              CheckPidFile("/dev/zero").reason);
}

TEST(PidEntry, FirstAndThirdAboveZeroSecondAndFourthZeroOrMore) {
    EXPECT_TRUE(IsPidEntry("1 0 1 0 Low"));
    EXPECT_TRUE(IsPidEntry("  300.5\t2e2 0.001 7 High extra"));
    EXPECT_FALSE(IsPidEntry("0 1 1 1 Low"));
    EXPECT_FALSE(IsPidEntry("1 1 0 1 Low"));
    EXPECT_FALSE(IsPidEntry("1 1 1 -0.5 Low"));
    EXPECT_FALSE(IsPidEntry("1 1 1 1"));
    EXPECT_FALSE(IsPidEntry("1,1 1 1 Low"));
    EXPECT_FALSE(IsPidEntry("nan 1 1 1 Low"));
}

TEST_F(PidTransfer, TheTableNumberIsSentAsTypedAndEveryWayOutIsFree) {
    Connect(PortRS232);
    files_.openAnswers = {Write("nine.pid", PidText(2) + ";\n")};
    numbers_.pidTable = 9;
    const std::size_t mark = Transcript().size();
    // The simulated model has PID tables 1 to 6: table 9 takes nothing, and
    // the download, sent whole, says so.
    EXPECT_EQ(DownloadPIDTable(Context()), TransferOutcome::NotConfirmed);
    const std::vector<std::string> received = ReceivedSince(mark);
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[1], "PIDT 9:table");
    EXPECT_EQ(received.back(), "PIDT 9:NENT?");
    EXPECT_EQ(ui_.BoxTexts(), std::vector<std::string>{ErrorsBox});
    EXPECT_NE(ui_.Log().find("PID Table 9 could not be read back after the download\n"),
              std::string::npos);
    ui_.Clear();

    files_.openAnswers = {std::nullopt};
    EXPECT_EQ(DownloadPIDTable(Context()), TransferOutcome::Cancelled);
    EXPECT_TRUE(MutexFree());
    files_.openAnswers = {dir_->File("nine.pid")};
    numbers_.pidTable = std::nullopt;
    EXPECT_EQ(DownloadPIDTable(Context()), TransferOutcome::Cancelled);
    EXPECT_TRUE(MutexFree());
    // The table is chosen before the save dialog, which then proposes its number.
    files_.saveAnswers = {dir_->File("never.pid")};
    EXPECT_EQ(UploadPIDTable(Context()), TransferOutcome::Cancelled);
    EXPECT_TRUE(MutexFree());
    EXPECT_TRUE(files_.saveAsked.empty());
    numbers_.pidTable = -3;
    files_.saveAnswers = {std::nullopt};
    EXPECT_EQ(UploadPIDTable(Context()), TransferOutcome::Cancelled);
    EXPECT_TRUE(MutexFree());
    EXPECT_EQ(files_.proposedNames, std::vector<std::string>{"PIDTable-3.pid"});

    // No port: the identity and the entry count fail.
    link_ = std::make_unique<CCommLink>(settings_, ui_, ui_, ui_);
    ui_.Clear();
    numbers_.pidTable = 1;
    files_.openAnswers = {dir_->File("nine.pid")};
    EXPECT_EQ(DownloadPIDTable(Context()), TransferOutcome::CommunicationFailed);
    EXPECT_TRUE(MutexFree());
    files_.saveAnswers = {dir_->File("never.pid")};
    EXPECT_EQ(UploadPIDTable(Context()), TransferOutcome::CommunicationFailed);
    EXPECT_TRUE(MutexFree());
    EXPECT_EQ(ui_.BoxTexts(),
              (std::vector<std::string>{"Communication Error", "Communication Error"}));
    EXPECT_EQ(hints_, 2);
    EXPECT_FALSE(std::filesystem::exists(dir_->File("never.pid")));
}

// Entries are counted, not lines or reads: a table of one entry and one of
// sixteen go in and come back whole over every transport.
TEST_F(PidTransfer, EveryTableThatDownloadsUploadsBackOnEveryTransport) {
    for (const int transport : {PortRS232, PortLAN, PortGPIB}) {
        for (const int entries : {1, 16}) {
            SCOPED_TRACE(std::to_string(entries) + " entries over transport " +
                         std::to_string(transport));
            Connect(transport);
            ui_.Clear();
            files_.openAnswers = {Write("table.pid", PidText(entries) + ";\n")};
            numbers_.pidTable = 3;
            ASSERT_EQ(DownloadPIDTable(Context()), TransferOutcome::Done) << ui_.Log();
            const std::string out = dir_->File("back.pid");
            files_.saveAnswers = {out};
            EXPECT_EQ(UploadPIDTable(Context()), TransferOutcome::Done) << ui_.Log();
            std::string lines;
            std::istringstream back(ReadFile(out));
            for (std::string line; std::getline(back, line);)
                if (!line.empty() && line != "\r")
                    lines += line.substr(0, line.find('\r')) + "\n";
            // Over GPIB the table comes without its ";".
            EXPECT_EQ(lines, PidText(entries) + (transport == PortGPIB ? "" : ";\n"));
        }
    }
    EXPECT_TRUE(MutexFree());
}

TEST_F(PidTransfer, LinesTheLinkCannotSendAreMarkedAndTheRunEndsWithTheErrorBox) {
    // A controller of its own whose GPIB device stops listening after two
    // commands: "*IDN?" and "PIDT 2:table" reach it, the table's lines do not.
    CSimulatorProcess gone;
    ASSERT_TRUE(gone.Start(TUNDRIX_SIM_PROGRAM, {"--gpib", "--fault", "hangup:2"}, {"gpib"}))
        << gone.Error();
    ::setenv("TUNDRIX_SIM_GPIB", gone.Address("gpib").c_str(), 1);
    Connect(PortGPIB);
    files_.openAnswers = {Write("lost.pid", PidText(2) + ";\n")};
    numbers_.pidTable = 2;
    EXPECT_EQ(DownloadPIDTable(Context()), TransferOutcome::NotConfirmed);
    // After the link's own line on the lost device.
    EXPECT_NE(ui_.Log().find("\nCold head **ERROR**\n"
                             "10.0 50 20.5 0 High **ERROR**\n"
                             "20.0 51 20.5 0 High **ERROR**\n"
                             "; **ERROR**\n"),
              std::string::npos)
        << ui_.Log();
    ASSERT_FALSE(ui_.BoxTexts().empty());
    EXPECT_EQ(ui_.BoxTexts().back(), ErrorsBox);
    EXPECT_FALSE(ui_.ProgressOpen());
    EXPECT_TRUE(MutexFree());
}
