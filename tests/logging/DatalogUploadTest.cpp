#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <regex>

#include "base/FileChooser.h"
#include "base/SettingsStore.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/CommandLine.h"
#include "logging/DatalogUpload.h"
#include "support/PtyPeer.h"
#include "support/SimulatorLinks.h"
#include "support/StampedName.h"
#include "support/TempDir.h"
#include "support/TestUi.h"
#include "support/WholeFile.h"

namespace {

using Lines = std::vector<std::string>;
using Replies = std::map<std::string, std::string>;

const std::string Caption = "Uploading Internal DataLog. Please wait...";

Lines FilesIn(const std::string& folder) {
    Lines names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The save dialog, answered with a name or cancelled.
class SaveAs : public IFileChooser {
public:
    std::optional<std::string> name;
    int asked = 0;
    std::vector<std::string> proposed;
    std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view) override {
        ADD_FAILURE() << "the upload asks for no file to read";
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view extension,
                                              std::string_view filter) override {
        ++asked;
        EXPECT_EQ("csv", extension);
        EXPECT_EQ("MSExcel Comma Separated Value Files(*.csv)|*.csv||", filter);
        return name;
    }
    void ProposeSaveName(std::string_view fileName) override { proposed.emplace_back(fileName); }
};

// One upload over a link the test sets up, into a private folder.
struct Upload {
    Upload() { files.name = dir.File("log.csv"); }
    DatalogUploadOutcome Run(CCommLink& link) {
        return UploadDatalog({link, mutex, ui, ui, files, [this] { ++hints; }});
    }

    TempDir dir;
    SaveAs files;
    CTransactionMutex mutex;
    TestUi ui;
    int hints = 0;
};

// Each line's one reply as a sequence of one.
std::map<std::string, Lines> Sequences(const Replies& replies) {
    std::map<std::string, Lines> each;
    for (const auto& [line, reply] : replies)
        each[line] = {reply};
    return each;
}

// An instrument on a real pseudo-terminal that answers the lines in `replies`
// (the nth time a line comes, with the nth of its replies, the last one
// again after that) and keeps every line it receives.
class ScriptedInstrument {
public:
    explicit ScriptedInstrument(const Replies& replies) : ScriptedInstrument(Sequences(replies)) {}
    explicit ScriptedInstrument(std::map<std::string, Lines> replies) {
        peer_.StartResponder([this, replies = std::move(replies)](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
            auto found = replies.find(line);
            if (found == replies.end() || found->second.empty())
                return std::string();
            const std::size_t asked =
                static_cast<std::size_t>(std::count(lines_.begin(), lines_.end(), line));
            return found->second[std::min(asked, found->second.size()) - 1];
        });
        EXPECT_TRUE(link.UseSerialDevice(peer_.Device(), 0));
    }
    ~ScriptedInstrument() { peer_.StopResponder(); }

    Lines Received() {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    DatalogUploadOutcome Run() { return upload.Run(link); }

    CSettingsStore settings{""};
    Upload upload; // its boxes, log and progress box are the link's too
    CCommLink link{settings, upload.ui, upload.ui, upload.ui};

private:
    PtyPeer peer_;
    std::mutex mutex_;
    Lines lines_;
};

const std::string Identity = "ARKTRONIC,TX-28,SN280417,1.4.2\r\n";
const std::string Table = "TX-28 Internal Data Log\r\nInterval (s),1\r\nRecords,2\r\n"
                          "Record,Time (s),A (K)\r\n1,0.0,77.3622\r\n2,1.0,77.3385\r\n;\r\n";

Replies Healthy() {
    return {{"*IDN?", Identity},
            {"DLog:State?", "on\r\n"},
            {"DLog:Count?", "2\r\n"},
            {"DLog:Read?", Table}};
}

std::vector<std::string> Texts(const std::vector<TestUi::Box>& boxes) {
    std::vector<std::string> texts;
    for (const auto& box : boxes)
        texts.push_back(box.text);
    return texts;
}

} // namespace

TEST(DatalogUpload, SendsTheStepsInOrderAndWritesTheTableByteForByte) {
    ScriptedInstrument instrument(Healthy());
    Upload& upload = instrument.upload;
    const std::string path = upload.dir.File("log.csv");
    std::ofstream(path) << "an earlier upload\n";

    const std::time_t before = std::time(nullptr);
    EXPECT_EQ(DatalogUploadOutcome::Uploaded, instrument.Run());
    const std::time_t after = std::time(nullptr);
    // The save dialog offered a name of the upload's date and time.
    ASSERT_EQ(1u, upload.files.proposed.size());
    EXPECT_TRUE(IsStampedBetween(upload.files.proposed[0], "InternalDataLog", "csv", before, after))
        << upload.files.proposed[0];
    // The state is put back as it was found, and read back.
    EXPECT_EQ(Lines({"*IDN?", "DLog:State?", "DLog:State off", "DLog:Count?", "DLog:Read?",
                     "DLog:State on", "DLog:State?"}),
              instrument.Received());
    EXPECT_EQ(Table + "\n", ReadFile(path));
    EXPECT_EQ(Lines({"log.csv"}), FilesIn(upload.dir.Path()));
    EXPECT_EQ(Table + "\nInternal DataLog is uploaded to " + path + "\n", upload.ui.Log());
    ASSERT_EQ(1u, upload.ui.Boxes().size());
    EXPECT_EQ("Upload Complete", upload.ui.Boxes()[0].text);
    EXPECT_EQ(MessageIcon::Information, upload.ui.Boxes()[0].icon);
    EXPECT_EQ(Lines({Caption}), upload.ui.Captions());
    EXPECT_FALSE(upload.ui.ProgressOpen());
    EXPECT_EQ(100, upload.ui.Progress().back());
    EXPECT_EQ(0, upload.hints);
    EXPECT_TRUE(upload.mutex.try_lock());
}

TEST(DatalogUpload, ABusyLinkIsLeftAloneAfterTheWait) {
    ScriptedInstrument instrument(Healthy());
    std::unique_lock held(instrument.upload.mutex);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DatalogUploadOutcome::Busy, instrument.Run());
    EXPECT_GE(std::chrono::steady_clock::now() - start, TransactionLockWait);
    EXPECT_EQ(0, instrument.upload.files.asked);
    EXPECT_TRUE(instrument.upload.ui.Boxes().empty());
    EXPECT_EQ(Lines{}, instrument.Received());
}

TEST(DatalogUpload, NoIdentityIsACommunicationErrorBeforeTheDialog) {
    {
        ScriptedInstrument instrument(Replies{});
        EXPECT_EQ(DatalogUploadOutcome::NoInstrument, instrument.Run());
        // The link's own box for the read, then the upload's.
        EXPECT_EQ(Lines({"Communication Error", "Communication Error"}),
                  Texts(instrument.upload.ui.Boxes()));
        EXPECT_EQ(1, instrument.upload.hints);
        EXPECT_EQ(0, instrument.upload.files.asked);
        EXPECT_EQ(Lines({"*IDN?"}), instrument.Received());
        EXPECT_TRUE(instrument.upload.mutex.try_lock());
    }
    {
        ScriptedInstrument instrument(Replies{{"*IDN?", ";\r\n"}});
        EXPECT_EQ(DatalogUploadOutcome::NoInstrument, instrument.Run());
        EXPECT_EQ(Lines({"Communication Error"}), Texts(instrument.upload.ui.Boxes()));
        EXPECT_EQ(MessageIcon::Stop, instrument.upload.ui.Boxes()[0].icon);
        EXPECT_EQ(1, instrument.upload.hints);
    }
}

TEST(DatalogUpload, ACancelledDialogSendsNothingMore) {
    ScriptedInstrument instrument(Healthy());
    instrument.upload.files.name.reset();
    EXPECT_EQ(DatalogUploadOutcome::Cancelled, instrument.Run());
    EXPECT_EQ(Lines({"*IDN?"}), instrument.Received());
    EXPECT_TRUE(instrument.upload.ui.Boxes().empty());
    EXPECT_TRUE(instrument.upload.mutex.try_lock());
}

// Every way out after "DLog:State off" puts the state back as it was found;
// a count or a table the instrument did not give whole writes no file.
TEST(DatalogUpload, AFailureAfterThePauseLeavesNoFileAndTheStateAsItWas) {
    const std::string cut = "TX-28 Internal Data Log\r\nInterval (s),1\r\nRecords,2\r\n"
                            "Record,Time (s),A (K)\r\n1,0.0,77.3622\r\n;\r\n";
    const std::string damaged = "TX-28 Internal Data Log\r\nInterval (s),1\r\nRecords,2\r\n"
                                "Record,Time (s),A (K)\r\n1,0.0,77.3622\r\n2,1.0,7#.3385\r\n;\r\n";
    struct Case {
        const char* line;
        std::string reply; // "" for none
        DatalogUploadOutcome outcome;
        std::string said;
    };
    for (const Case& c : std::vector<Case>{
             {"DLog:Count?", "", DatalogUploadOutcome::StateFailed,
              "\"DLog:Count?\" failed: no reply came in time\n"},
             {"DLog:Count?", "2#\r\n", DatalogUploadOutcome::StateFailed,
              "Reply to \"DLog:Count?\" is not a count: \"2#\"\n"},
             {"DLog:Read?", "", DatalogUploadOutcome::ReadFailed, ""},
             {"DLog:Read?", cut, DatalogUploadOutcome::ReadFailed,
              "The table of \"DLog:Read?\" had 1 entry, the instrument announced 2\n"},
             {"DLog:Read?", damaged, DatalogUploadOutcome::ReadFailed,
              "The table of \"DLog:Read?\": entry 2 is not a record: \"2,1.0,7#.3385\"\n"},
         }) {
        SCOPED_TRACE(std::string(c.line) + " answered \"" + c.reply + "\"");
        Replies replies = Healthy();
        replies[c.line] = c.reply;
        ScriptedInstrument instrument(replies);
        const std::string path = instrument.upload.dir.File("log.csv");
        std::ofstream(path) << "an earlier upload\n";
        EXPECT_EQ(c.outcome, instrument.Run());
        EXPECT_EQ("an earlier upload\n", ReadFile(path));
        EXPECT_EQ(Lines({"log.csv"}), FilesIn(instrument.upload.dir.Path()));
        const Lines received = instrument.Received();
        ASSERT_GE(received.size(), 2u);
        EXPECT_EQ(Lines({"DLog:State on", "DLog:State?"}),
                  Lines(received.end() - 2, received.end()));
        EXPECT_NE(std::string::npos, instrument.upload.ui.Log().find(c.said))
            << instrument.upload.ui.Log();
        EXPECT_FALSE(instrument.upload.ui.ProgressOpen());
        EXPECT_TRUE(instrument.upload.mutex.try_lock());
    }
}

TEST(DatalogUpload, AFileThatCannotBeMadeIsRefusedBeforeTheInstrumentIsPaused) {
    ScriptedInstrument instrument(Healthy());
    const std::string path = instrument.upload.dir.File("missing/log.csv");
    instrument.upload.files.name = path;
    EXPECT_EQ(DatalogUploadOutcome::FileNotCreated, instrument.Run());
    ASSERT_EQ(1u, instrument.upload.ui.Boxes().size());
    EXPECT_EQ("Failed to create file.", instrument.upload.ui.Boxes()[0].text);
    EXPECT_EQ(MessageIcon::Stop, instrument.upload.ui.Boxes()[0].icon);
    EXPECT_NE(std::string::npos, instrument.upload.ui.Log().find("No such file or directory"));
    EXPECT_EQ(Lines({"*IDN?"}), instrument.Received());
    EXPECT_TRUE(instrument.upload.mutex.try_lock());
}

// A state that cannot be read is asked once more; one that never can stops
// the upload before anything is changed.
TEST(DatalogUpload, AnUnreadableStateIsAskedAgainOnce) {
    std::map<std::string, Lines> replies = Sequences(Healthy());
    replies["DLog:State?"] = {"o#\r\n", "on\r\n"};
    ScriptedInstrument again(replies);
    EXPECT_EQ(DatalogUploadOutcome::Uploaded, again.Run());
    EXPECT_EQ("DLog:State on", again.Received().at(again.Received().size() - 2));

    replies["DLog:State?"] = {"o#\r\n", "\r\n"};
    ScriptedInstrument never(replies);
    EXPECT_EQ(DatalogUploadOutcome::StateFailed, never.Run());
    EXPECT_EQ(Lines({"*IDN?", "DLog:State?", "DLog:State?"}), never.Received());
    EXPECT_EQ(Lines{}, FilesIn(never.upload.dir.Path()));
}

TEST(DatalogUpload, AFailedReadIsSaidInItsBox) {
    Replies replies = Healthy();
    replies.erase("DLog:Read?");
    ScriptedInstrument instrument(replies);
    EXPECT_EQ(DatalogUploadOutcome::ReadFailed, instrument.Run());
    const auto boxes = instrument.upload.ui.Boxes();
    EXPECT_EQ(Lines({"Communication Error", "Communication connection failed"}), Texts(boxes));
    // The same stop icon as after a curve or PID table read that failed.
    EXPECT_EQ(MessageIcon::Stop, boxes.back().icon);
    EXPECT_EQ(1, instrument.upload.hints);
}

// The instrument that does not take "DLog:State on" again: the upload is
// whole, and the user is told plainly that its logging is off.
TEST(DatalogUpload, ARestoreThatFailsIsReportedAfterTheUpload) {
    std::map<std::string, Lines> replies = Sequences(Healthy());
    replies["DLog:State?"] = {"on\r\n", "off\r\n"};
    ScriptedInstrument instrument(replies);
    EXPECT_EQ(DatalogUploadOutcome::RestoreFailed, instrument.Run());
    EXPECT_EQ(Lines({"Upload Complete", "Communication Error"}),
              Texts(instrument.upload.ui.Boxes()));
    EXPECT_EQ(1, instrument.upload.hints);
    EXPECT_NE(std::string::npos,
              instrument.upload.ui.Log().find("The instrument's internal data log could not be "
                                              "switched back on: it is off.\n"));
    EXPECT_EQ(Table + "\n", ReadFile(instrument.upload.dir.File("log.csv")));
    EXPECT_TRUE(instrument.upload.mutex.try_lock());
}

namespace {

class DatalogOnTransport : public OnEachTransport {
protected:
    void SetUp() override {
        OnEachTransport::SetUp();
        if (HasFatalFailure())
            return;
        link_ = sim_->Link(GetParam(), settings_, ui_, ui_, ui_);
    }

    std::string Ask(const std::string& query) {
        std::string reply;
        EXPECT_EQ(Link::Success, link_->Transact(query, &reply)) << query;
        return std::string(WithoutLineEnd(reply));
    }

    // The file as the controller's table arrives on this transport, with N records.
    std::string FilePattern(int records) const {
        const bool gpib = GetParam() == PortGPIB;
        const std::string end = gpib ? "\n" : "\r\n";
        std::string pattern = "TX-28 Internal Data Log" + end + "Interval \\(s\\),1" + end +
                              "Records," + std::to_string(records) + end +
                              "Record,Time \\(s\\),A \\(K\\),B \\(K\\),C \\(K\\),D \\(K\\)" + end;
        for (int i = 1; i <= records; ++i)
            pattern += std::to_string(i) + ",[0-9]+\\.[0-9](,[0-9]+\\.[0-9]{4}){4}" + end;
        // Over GPIB the ";" piece ends the table and is not kept.
        return pattern + (gpib ? "\n" : ";\r\n\n");
    }

    CSettingsStore settings_{""};
    TestUi ui_;
    std::unique_ptr<CCommLink> link_;
};

} // namespace

TEST_P(DatalogOnTransport, TheWholeLogArrivesAndTheStateIsPutBack) {
    ASSERT_EQ(Link::Success, link_->Transact("DLog:State off", nullptr));
    const int records = std::stoi(Ask("DLog:Count?"));
    ASSERT_GT(records, 0);
    Upload upload;
    EXPECT_EQ(DatalogUploadOutcome::Uploaded, upload.Run(*link_));
    const std::string file = ReadFile(upload.dir.File("log.csv"));
    EXPECT_TRUE(std::regex_match(file, std::regex(FilePattern(records)))) << file;
    EXPECT_EQ(file + "Internal DataLog is uploaded to " + upload.dir.File("log.csv") + "\n",
              upload.ui.Log());
    EXPECT_EQ("off", Ask("DLog:State?"));
    EXPECT_EQ(records, std::stoi(Ask("DLog:Count?")));

    // Logging while the upload starts: paused for it, then on again.
    ASSERT_EQ(Link::Success, link_->Transact("DLog:State on", nullptr));
    EXPECT_EQ(DatalogUploadOutcome::Uploaded, upload.Run(*link_));
    EXPECT_EQ("on", Ask("DLog:State?"));
    std::smatch count;
    const std::string again = ReadFile(upload.dir.File("log.csv"));
    ASSERT_TRUE(std::regex_search(again, count, std::regex("Records,([0-9]+)")));
    EXPECT_TRUE(std::regex_match(again, std::regex(FilePattern(std::stoi(count[1])))));
    EXPECT_GE(std::stoi(count[1]), records + 1);
    EXPECT_EQ(Lines({"Upload Complete", "Upload Complete"}), Texts(upload.ui.Boxes()));
    EXPECT_TRUE(ui_.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Transports, DatalogOnTransport,
                         ::testing::ValuesIn(SimulatorOnAllTransports::Transports),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return std::string(SimulatorOnAllTransports::Name(param.param));
                         });
