#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <future>
#include <regex>
#include <thread>

#include "base/SimulatorProcess.h"
#include "comm/MyIPAddr.h"
#include "comm/UserOptions.h"
#include "logging/LoggingHarness.h"
#include "logging/LoggingTicker.h"
#include "support/PtyPeer.h"
#include "support/StampedName.h"
#include "support/TempDir.h"

using namespace std::chrono_literals;

namespace {

constexpr std::uint16_t ChannelA = 1u << 0, ChannelB = 1u << 1, Heater1 = 1u << 8;

// A run against the simulated controller over LAN, where a reply takes no
// fixed wait. The features are those the model's identification gives.
class LoggingRunTest : public ::testing::Test {
protected:
    void StartSimulator(int model, std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--tcp", "0", "--model", std::to_string(model)};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_TRUE(sim_.Start(TUNDRIX_SIM_PROGRAM, args, {"tcp"})) << sim_.Error();
        const std::string tcp = sim_.Address("tcp");
        const auto colon = tcp.rfind(':');
        h_.link.UseLanAddress(*MyIPAddr::Parse(tcp.substr(0, colon)),
                              std::stoi(tcp.substr(colon + 1)));
        ASSERT_EQ(1, h_.link.ConnectLAN());
        h_.features.ApplyModel(model);
    }

    // Starts a run of `mask` at `seconds` into `name`.
    void StartRun(std::uint16_t mask, double seconds, const std::string& name = "run.csv") {
        h_.setup.mask = mask;
        h_.setup.interval = seconds;
        h_.files.path = dir_.File(name);
        h_.run.Start();
    }

    std::string Query(const std::string& command) {
        std::string reply;
        EXPECT_EQ(Link::Success, h_.link.Transact(command, &reply));
        return reply;
    }

    TempDir dir_;
    CSimulatorProcess sim_;
    LoggingHarness h_;
};

const std::regex TimeOfDay("[0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2}");
const std::regex Started("Data logging started at [0-9]{1,2}/[0-9]{1,2}/[0-9]{4} "
                         "[0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2}");
const std::regex Terminated("Data logging terminated at [0-9]{1,2}/[0-9]{1,2}/[0-9]{4} "
                            "[0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2} ");

std::vector<std::string> Fields(const std::string& row) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto comma = row.find(',', start);
        fields.push_back(row.substr(start, comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

} // namespace

TEST_F(LoggingRunTest, ChannelsAAndBWithHeater1WriteTheHeaderRowsAndTrailer) {
    StartSimulator(28);
    const std::time_t before = std::time(nullptr);
    StartRun(ChannelA | ChannelB | Heater1, 0.1);
    const std::time_t after = std::time(nullptr);
    ASSERT_TRUE(h_.active);
    EXPECT_EQ("csv", h_.files.extension);
    EXPECT_EQ("MSExcel Comma Separated Value Files(*.csv)|*.csv||", h_.files.filter);
    // The save dialog offers a name of the start's date and time.
    ASSERT_EQ(1u, h_.files.proposed.size());
    EXPECT_TRUE(IsStampedBetween(h_.files.proposed[0], "DataLog", "csv", before, after))
        << h_.files.proposed[0];
    EXPECT_EQ(std::chrono::milliseconds(100), h_.timer.period);
    EXPECT_TRUE(h_.progress.shown);
    EXPECT_EQ("Channel A", h_.progress.fields.sources[0]);
    EXPECT_EQ("Channel B", h_.progress.fields.sources[1]);
    EXPECT_EQ("", h_.progress.fields.sources[2]);
    EXPECT_EQ("Heater1", h_.progress.fields.sources[8]);
    EXPECT_EQ("     0.1", h_.progress.fields.interval);
    EXPECT_EQ(dir_.File("run.csv"), h_.progress.fields.outputFile);
    EXPECT_EQ("0", h_.progress.fields.entries);
    EXPECT_EQ("0.100000", h_.settings.GetString("LOG", "INTERVAL", ""));

    for (int i = 0; i < 3; ++i) {
        h_.sampleEvent.Set();
        h_.worker.TakeSample();
    }
    EXPECT_FALSE(h_.sampleEvent.IsSet());
    EXPECT_EQ("3", h_.progress.fields.entries);
    h_.progress.PressStop();
    EXPECT_FALSE(h_.active);
    EXPECT_EQ(1, h_.timer.kills);

    // The replies keep their own CR LF, so each name line is followed by a blank one.
    const std::string text = ReadFile(dir_.File("run.csv"));
    EXPECT_EQ(0u, text.find("INP A name:Input A,unit:K\r\r\n\r\n"
                            "INP B name:Input B,unit:K\r\r\n\r\n"
                            "LOOP 1 name:Heater 1\r\r\n\r\n"
                            "Sampling interval:     0.1 seconds\r\n"
                            "Entry Number,Channel A,Channel B,Heater 1,RANGE\r\n"
                            "Data logging started at "))
        << text;
    const auto lines = FileLines(dir_.File("run.csv"));
    ASSERT_EQ(14u, lines.size()) << text;
    EXPECT_TRUE(std::regex_match(lines[8], Started)) << lines[8];
    for (int row = 9; row < 12; ++row) {
        const auto fields = Fields(lines[static_cast<std::size_t>(row)]);
        ASSERT_EQ(5u, fields.size()) << lines[static_cast<std::size_t>(row)];
        EXPECT_TRUE(std::regex_match(fields[0], TimeOfDay)) << fields[0];
        EXPECT_GT(std::stod(fields[1]), 70.0); // input A sits near 77 K
        EXPECT_GT(std::stod(fields[2]), 3.0);  // input B near 4.2 K
        EXPECT_GE(std::stod(fields[3]), 0.0);  // heater output in percent
        EXPECT_EQ("1", fields[4]);             // the range the simulator starts with
    }
    EXPECT_EQ("Number of entries = 3", lines[12]);
    EXPECT_TRUE(std::regex_match(lines[13], Terminated)) << lines[13];
    EXPECT_EQ('\n', text.back());

    const std::string log = h_.ui.Log();
    EXPECT_EQ(0u, log.find("Data logging started at ")) << log;
    EXPECT_NE(std::string::npos, log.find(lines[13] + "\n"));
    EXPECT_TRUE(h_.ui.Boxes().empty());

    // A second Stop writes nothing more.
    h_.run.Stop();
    EXPECT_EQ(text, ReadFile(dir_.File("run.csv")));
}

// "Log Date and Milliseconds", read from the user options as the run starts.
TEST_F(LoggingRunTest, TheUserOptionGivesRowsTheDateAndMillisecondsAndNameLinesOfOneLine) {
    StartSimulator(28);
    StoreUserOption(h_.settings, PreciseTimeKey, true);
    StartRun(ChannelA | Heater1, 0.1);
    ASSERT_TRUE(h_.active);
    for (int i = 0; i < 2; ++i) {
        h_.sampleEvent.Set();
        h_.worker.TakeSample();
    }
    h_.progress.PressStop();
    const std::string text = ReadFile(dir_.File("run.csv"));
    EXPECT_EQ(0u, text.find("INP A name:Input A,unit:K\r\n"
                            "LOOP 1 name:Heater 1\r\n"
                            "Sampling interval:     0.1 seconds\r\n"))
        << text;
    const std::regex row("\r\n[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3},");
    const auto rows =
        std::distance(std::sregex_iterator(text.begin(), text.end(), row), std::sregex_iterator());
    EXPECT_EQ(2, rows) << text;
}

TEST_F(LoggingRunTest, AFourInputModelNeverRecordsChannelsEToH) {
    StartSimulator(30);
    StartRun(0xFFFF, 1.0);
    unsigned enabled = 0;
    for (int i = 0; i < LogSourceCount; ++i)
        enabled |= h_.setup.offered.enableFlags[static_cast<std::size_t>(i)] ? 1u << i : 0u;
    EXPECT_EQ(0x000Fu, enabled);
    h_.worker.TakeSample();
    h_.run.Stop();
    const auto lines = FileLines(dir_.File("run.csv"));
    ASSERT_EQ(14u, lines.size());
    EXPECT_EQ("Entry Number,Channel A,Channel B,Channel C,Channel D", lines[9]);
    // The four channel queries make 51 characters, sent before index 4 with a
    // ";" after the reply: the row ends with an empty field.
    const auto fields = Fields(lines[11]);
    ASSERT_EQ(6u, fields.size()) << lines[11];
    EXPECT_EQ("", fields[5]);
    for (int slot = 4; slot < LogSourceCount; ++slot)
        EXPECT_EQ("", h_.progress.fields.sources[static_cast<std::size_t>(slot)]);
    // Nothing the model lacks was asked for: its error queue is empty.
    EXPECT_EQ("0,No error\r\n", Query("SYST:ERR?"));
}

TEST_F(LoggingRunTest, AFailedSampleEndsTheFileWithTheTrailerThenTheExitLine) {
    StartSimulator(28);
    StartRun(ChannelA | ChannelB | Heater1, 0.1);
    h_.worker.TakeSample();
    h_.worker.TakeSample();
    sim_.Stop();
    h_.worker.TakeSample();

    EXPECT_FALSE(h_.active);
    EXPECT_EQ(2, h_.run.State().Entries());
    EXPECT_EQ(1, h_.events.commErrors);
    EXPECT_EQ(std::vector<int>{2}, h_.events.Disconnects());
    EXPECT_EQ("2", h_.progress.fields.entries);
    EXPECT_EQ(1, h_.progress.stops);
    // The link's own box, then the view's.
    EXPECT_EQ((std::vector<std::string>{"Communication Error", "Communication Error"}),
              h_.ui.BoxTexts());
    // LAN: no RS232 hints.
    EXPECT_EQ(std::string::npos, h_.ui.Log().find("Please check"));

    const auto lines = FileLines(dir_.File("run.csv"));
    ASSERT_EQ(14u, lines.size());
    EXPECT_EQ(5u, Fields(lines[10]).size());
    EXPECT_EQ("Number of entries = 2", lines[11]);
    EXPECT_TRUE(std::regex_match(lines[12], Terminated)) << lines[12];
    EXPECT_EQ("Exit due to Communication Error.", lines[13]);
}

TEST_F(LoggingRunTest, RowsThatMeetAFileThatWillNotOpenAreWrittenWithTheNextSample) {
    StartSimulator(28);
    const std::string share = dir_.File("share");
    std::filesystem::create_directory(share);
    h_.setup.mask = ChannelA;
    h_.setup.interval = 0.1;
    h_.files.path = share + "/run.csv";
    h_.run.Start();
    h_.worker.TakeSample();
    std::filesystem::rename(share, dir_.File("away"));
    h_.worker.TakeSample();
    h_.worker.TakeSample();
    EXPECT_EQ("3", h_.progress.fields.entries);
    std::filesystem::rename(dir_.File("away"), share);
    h_.worker.TakeSample();
    h_.run.Stop();

    const auto lines = FileLines(share + "/run.csv");
    ASSERT_EQ(11u, lines.size());
    std::vector<std::string> rows(lines.begin() + 5, lines.begin() + 9);
    for (const auto& row : rows)
        EXPECT_EQ(2u, Fields(row).size()) << row;
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        auto seconds = [](const std::string& row) {
            int h = 0, m = 0, s = 0;
            std::sscanf(row.c_str(), "%d:%d:%d", &h, &m, &s);
            return (h * 60 + m) * 60 + s;
        };
        return seconds(a) < seconds(b);
    }));
    EXPECT_EQ("Number of entries = 4", lines[9]);
    const std::string log = h_.ui.Log();
    EXPECT_NE(std::string::npos, log.find("Cannot write to the data log file " + share));
    EXPECT_NE(std::string::npos, log.find("is written again; no row was lost.\n"));
}

TEST_F(LoggingRunTest, ABusyLinkEndsTheStartWithoutARunOrAFile) {
    StartSimulator(28);
    std::promise<void> locked, release;
    std::thread holder([&] {
        std::lock_guard lock(h_.mutex);
        locked.set_value();
        release.get_future().wait();
    });
    locked.get_future().wait();
    const auto began = std::chrono::steady_clock::now();
    StartRun(ChannelA, 2.5);
    const auto took = std::chrono::steady_clock::now() - began;
    release.set_value();
    holder.join();

    EXPECT_GE(took, 1000ms);
    EXPECT_LT(took, 3000ms);
    EXPECT_FALSE(h_.active);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("run.csv")));
    EXPECT_EQ(0, h_.timer.sets);
    EXPECT_FALSE(h_.progress.shown);
    EXPECT_TRUE(h_.ui.Boxes().empty());
    // The interval is stored all the same.
    EXPECT_EQ("2.500000", h_.settings.GetString("LOG", "INTERVAL", ""));
}

TEST_F(LoggingRunTest, DialogsCancelledStoreTheIntervalAndStartNothing) {
    h_.setup.start = false;
    h_.setup.interval = 2.5;
    h_.run.Start();
    EXPECT_EQ(0, h_.files.asked);
    EXPECT_DOUBLE_EQ(2.5, h_.interval.load());
    EXPECT_EQ("2.500000", h_.settings.GetString("LOG", "INTERVAL", ""));
    // The dialog was offered the interval in force then.
    EXPECT_DOUBLE_EQ(30.0, h_.setup.offered.interval);

    h_.setup.start = true;
    h_.setup.mask = ChannelA;
    h_.setup.interval = 120000;
    h_.files.path.reset();
    h_.run.Start();
    EXPECT_EQ(1, h_.files.asked);
    EXPECT_FALSE(h_.active);
    EXPECT_EQ("120000.000000", h_.settings.GetString("LOG", "INTERVAL", ""));
    EXPECT_TRUE(h_.ui.Boxes().empty());
}

// The shortcut bar's "Data Logging" and the menu's "Start" during a run: the
// run's progress window comes back; no dialog, no new file, the run goes on.
TEST_F(LoggingRunTest, AStartDuringARunBringsBackItsProgressWindowAndStartsNothing) {
    StartSimulator(28);
    StartRun(ChannelA, 0.1, "first.csv");
    h_.worker.TakeSample();
    h_.progress.shown = false; // closed, and kept running in the background
    StartRun(ChannelB | Heater1, 120000, "second.csv");
    EXPECT_TRUE(h_.progress.shown);
    EXPECT_TRUE(h_.active);
    EXPECT_EQ(1, h_.setup.runs);
    EXPECT_EQ(1, h_.files.asked);
    EXPECT_EQ(1, h_.timer.sets);
    EXPECT_EQ(std::chrono::milliseconds(100), h_.timer.period);
    EXPECT_EQ("Channel A", h_.progress.fields.sources[0]);
    EXPECT_EQ("1", h_.progress.fields.entries);
    EXPECT_EQ("0.100000", h_.settings.GetString("LOG", "INTERVAL", ""));
    h_.worker.TakeSample();
    h_.run.Stop();

    EXPECT_FALSE(std::filesystem::exists(dir_.File("second.csv")));
    const auto first = FileLines(dir_.File("first.csv"));
    ASSERT_EQ(9u, first.size());
    EXPECT_EQ("Entry Number,Channel A", first[3]);
    EXPECT_EQ(2u, Fields(first[6]).size());
    EXPECT_EQ("Number of entries = 2", first[7]);
    EXPECT_TRUE(std::regex_match(first[8], Terminated)) << first[8];
}

TEST_F(LoggingRunTest, TheWorkerThreadSamplesOnEveryTickUntilTheStop) {
    StartSimulator(28);
    CLoggingTicker ticker(h_.sampleEvent);
    LoggingUi ui{h_.setup, h_.progress, h_.files, ticker};
    h_.run.AttachUi(&ui);
    std::thread worker([&] { h_.worker.Run(); });
    StartRun(ChannelA | ChannelB | Heater1, 0.1);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (h_.run.State().Entries() < 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    h_.run.Stop();
    const int ticks = static_cast<int>(ticker.Ticks());
    h_.stopEvent.Set();
    worker.join();

    const auto lines = FileLines(dir_.File("run.csv"));
    const int entries = h_.run.State().Entries();
    ASSERT_GE(entries, 5);
    // Every tick gave one row, but for one that may have been in flight at the stop.
    EXPECT_GE(entries, ticks - 1);
    EXPECT_LE(entries, ticks);
    ASSERT_EQ(static_cast<std::size_t>(11 + entries), lines.size());
    EXPECT_EQ("Number of entries = " + std::to_string(entries), lines[lines.size() - 2]);
}

// An operation of the user holds the link for longer than a worker waits (a
// datalog upload): the sample waits for it and its row comes late, with the
// time its values were read; the run goes on and no link is reported lost.
TEST_F(LoggingRunTest, ASampleWaitsForAnOperationThatHoldsTheLinkAndWritesItsRowLate) {
    StartSimulator(28);
    StartRun(ChannelA | ChannelB, 0.1);
    std::unique_lock operation(h_.mutex);
    std::atomic<bool> sampled{false};
    std::thread worker([&] {
        h_.worker.TakeSample();
        sampled = true;
    });
    std::this_thread::sleep_for(2500ms);
    EXPECT_FALSE(sampled.load());
    EXPECT_EQ(0, h_.run.State().Entries());
    const auto released = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    operation.unlock();
    worker.join();

    EXPECT_TRUE(h_.active);
    EXPECT_EQ(1, h_.run.State().Entries());
    EXPECT_EQ("1", h_.progress.fields.entries);
    EXPECT_EQ(0, h_.events.commErrors);
    EXPECT_TRUE(h_.events.Disconnects().empty());
    EXPECT_TRUE(h_.ui.Boxes().empty());
    h_.run.Stop();

    const auto lines = FileLines(dir_.File("run.csv"));
    ASSERT_EQ(10u, lines.size());
    const auto row = Fields(lines[7]);
    ASSERT_EQ(3u, row.size());
    // Stamped once the link was free, not when the sample began waiting.
    std::tm local{};
    localtime_r(&released, &local);
    int h = -1, m = -1, sec = -1;
    ASSERT_EQ(3, std::sscanf(row[0].c_str(), "%d:%d:%d", &h, &m, &sec));
    const int stamped = (h * 60 + m) * 60 + sec;
    const int free = (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec;
    EXPECT_GE((stamped - free + 86400) % 86400, 0);
    EXPECT_LE((stamped - free + 86400) % 86400, 1);
    EXPECT_EQ("Number of entries = 1", lines[8]);
}

// The user stops the run while its sample waits for the link: the sample is
// dropped without a row, an error or a lost link, within one wait.
TEST_F(LoggingRunTest, AStopWhileASampleWaitsForTheLinkDropsTheSample) {
    StartSimulator(28);
    StartRun(ChannelA, 0.1);
    std::unique_lock operation(h_.mutex);
    std::thread worker([&] { h_.worker.TakeSample(); });
    std::this_thread::sleep_for(300ms);
    h_.run.Stop();
    const auto stopped = std::chrono::steady_clock::now();
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 1500ms);
    operation.unlock();

    EXPECT_EQ(0, h_.run.State().Entries());
    EXPECT_EQ(0, h_.events.commErrors);
    EXPECT_TRUE(h_.events.Disconnects().empty());
    const auto lines = FileLines(dir_.File("run.csv"));
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ("Number of entries = 0", lines[5]);
}

// RS232: a fake instrument on a real pseudo-terminal answers as the test says.
class LoggingRunSerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(h_.link.UseSerialDevice(peer_.Device(), 0));
        h_.features.ApplyModel(28);
        h_.setup.interval = 1.0;
        h_.files.path = dir_.File("run.csv");
    }

    TempDir dir_;
    PtyPeer peer_;
    LoggingHarness h_;
};

TEST_F(LoggingRunSerialTest, AnIdentityOver64CharactersEndsTheStart) {
    peer_.StartResponder([](const std::string& line) {
        return line == "*idn?;" ? std::string(65, 'X') + "\r\n" : std::string();
    });
    h_.setup.mask = ChannelA;
    h_.run.Start();
    peer_.StopResponder();
    ASSERT_EQ(1u, h_.ui.Boxes().size());
    EXPECT_EQ("ID response is too long.\n \t\t\t            The unit is not functioning correctly.",
              h_.ui.Boxes()[0].text);
    EXPECT_EQ(MessageIcon::Information, h_.ui.Boxes()[0].icon);
    EXPECT_FALSE(h_.active);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("run.csv")));
}

// A failed name query ends the start before the file is made, whichever of
// the names fails: an earlier file at the path keeps its bytes.
TEST_F(LoggingRunSerialTest, AFailedNameQueryMakesNoFileAndLeavesAnEarlierOneAsItWas) {
    for (const char* silent : {"INP A:NAME?;UNITS?;", "INP B:NAME?;UNITS?;"}) {
        SCOPED_TRACE(silent);
        h_.ui.Clear();
        const std::string earlier = "an earlier run\r\n";
        WriteFile(dir_.File("run.csv"), earlier);
        std::vector<std::string> sent;
        peer_.StartResponder([&sent, silent](const std::string& line) {
            sent.push_back(line);
            if (line == silent)
                return std::string();
            if (line == "*idn?;")
                return std::string("ARKTRONIC,TX-28,SN1,1.0\r\n");
            return std::string("Cold stage;K\r\n");
        });
        h_.setup.mask = ChannelA | ChannelB;
        h_.run.Start();
        peer_.StopResponder();

        EXPECT_EQ(silent, sent.back());
        EXPECT_FALSE(h_.active);
        EXPECT_FALSE(h_.progress.shown);
        EXPECT_EQ(0, h_.timer.sets);
        EXPECT_EQ((std::vector<std::string>{"Communication Error", "Communication Error"}),
                  h_.ui.BoxTexts());
        EXPECT_NE(std::string::npos, h_.ui.Log().find("Please check the followings for RS232"));
        EXPECT_EQ(earlier, ReadFile(dir_.File("run.csv")));
    }
}

TEST_F(LoggingRunSerialTest, AllSixteenSourcesMakeFiveTransactionsAndOneRow) {
    std::mutex mutex;
    std::vector<std::string> lines;
    peer_.StartResponder([&](const std::string& line) {
        std::lock_guard lock(mutex);
        lines.push_back(line);
        // One reply per query, with the instrument's own terminators.
        std::string reply;
        for (std::size_t at = line.find('?'); at != std::string::npos; at = line.find('?', at + 1))
            reply += (reply.empty() ? "" : ";") + std::to_string(lines.size());
        return reply + "\r\n";
    });
    h_.run.State().CreateFile(dir_.File("run.csv"), nullptr);
    h_.run.State().SetSources(LogSourceFlags().set());
    h_.run.State().Activate();
    h_.run.State().BeginSampling();
    h_.worker.TakeSample();
    peer_.StopResponder();

    EXPECT_EQ((std::vector<std::string>{
                  "INP A:TEMP?;:INP B:TEMP?;:INP C:TEMP?;:INP D:TEMP?;",
                  "INP E:TEMP?;:INP F:TEMP?;:INP G:TEMP?;:INP H:TEMP?;",
                  "LOOP 1:OUTP?;RANGE?;:LOOP 2:OUTP?;RANGE?;:LOOP 3:OUTP?;",
                  "LOOP 4:OUTP?;:LOOP 1:SETPT?;:LOOP 2:SETPT?;:LOOP 3:SETPT?;",
                  "LOOP 4:SETPT?;",
              }),
              lines);
    const std::string text = ReadFile(dir_.File("run.csv"));
    const auto comma = text.find(',');
    ASSERT_NE(std::string::npos, comma);
    EXPECT_EQ(",1,1,1,1,2,2,2,2,3,3,3,3,3,4,4,4,4,5\r\n", text.substr(comma));
}

TEST_F(LoggingRunSerialTest, TheRepliesLineEndsNeverSplitARowAndAnUnsentLastSourceLeavesAComma) {
    peer_.StartResponder([](const std::string& line) {
        if (line.starts_with("INP A"))
            return std::string("1.5;2.5;3.5;4.5\r\n");
        return std::string("7;8;9;10\r\n");
    });
    LogSourceFlags sources;
    for (int i : {0, 1, 2, 3, 11, 12, 13, 14})
        sources.set(static_cast<std::size_t>(i));
    h_.run.State().CreateFile(dir_.File("run.csv"), nullptr);
    h_.run.State().SetSources(sources);
    h_.run.State().Activate();
    h_.run.State().BeginSampling();
    h_.worker.TakeSample();
    peer_.StopResponder();
    // A-D go out at index 4; analog 2 and set points 1-3 make the batch longer
    // than 50 characters, so it goes out at index 15 with a ";" after its
    // reply, and nothing is left to send: the row ends with an empty field.
    const std::string text = ReadFile(dir_.File("run.csv"));
    ASSERT_NE(std::string::npos, text.find(',')) << text;
    EXPECT_EQ(",1.5,2.5,3.5,4.5,7,8,9,10,\r\n", text.substr(text.find(','))) << text;
}

// A reply that lost a ";", a value, or a digit to a "#" would put its values
// under the wrong columns: no row, and the run ends on its error path.
TEST_F(LoggingRunSerialTest, AReplyWithoutAValuePerQueryWritesNoRow) {
    for (const std::string bad : {"77.3;4.2\r\n", "77.3;4.23.1;0.5\r\n", "77.3;4.2;#.1;0.5\r\n"}) {
        SCOPED_TRACE(bad);
        peer_.StartResponder([&bad](const std::string&) { return bad; });
        const std::string path = dir_.File("bad.csv");
        h_.run.State().CreateFile(path, nullptr);
        h_.run.State().SetSources(LogSourceFlags().set(0).set(1).set(2).set(3));
        h_.run.State().Activate();
        h_.run.State().BeginSampling();
        h_.worker.TakeSample();
        peer_.StopResponder();
        const std::string text = ReadFile(path);
        EXPECT_EQ(0u, text.find("Number of entries = 0\r\nData logging terminated at ")) << text;
        EXPECT_TRUE(text.ends_with(" \r\nExit due to Communication Error.\r\n")) << text;
        EXPECT_NE(std::string::npos, h_.ui.Log().find("Reply to \"INP A:TEMP?;:INP B:TEMP?;:"
                                                      "INP C:TEMP?;:INP D:TEMP?;\""))
            << h_.ui.Log();
        EXPECT_EQ(0, h_.run.State().Entries());
    }
}
