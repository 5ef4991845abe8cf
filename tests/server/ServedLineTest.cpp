// What the server makes of the lines a client sends, and of its options.

#include <gtest/gtest.h>

#include "server/ServeOptions.h"
#include "server/ServedLine.h"
#include "server/ServerClient.h"

namespace {

TEST(ServedLine, EachLineIsServedAsWhatItAsks) {
    struct Row {
        const char* line;
        LineKind kind;
        bool changes;
        int tableLines;
    };
    const Row rows[] = {
        {"*IDN?", LineKind::Query, false, 0},
        {"LOOP 1:HTRR?NAME?", LineKind::Query, false, 0},
        {":INP A:TEMP?;:INP B:TEMP?", LineKind::Query, false, 0},
        {"SENSORIX? 61", LineKind::Query, false, 0},
        {"INP A:TEMP?;LOOP 1:SETPT 50", LineKind::Query, true, 0},
        {"LOOP 1:SETPT 50", LineKind::Command, true, 0},
        {"*CLS", LineKind::Command, true, 0},
        {"?X", LineKind::Command, true, 0},
        {";", LineKind::Command, true, 0},
        {"CALC? 3", LineKind::TableQuery, false, 204},
        {" calc? 3", LineKind::TableQuery, false, 204},
        {"PIDT 2:TABLE?", LineKind::TableQuery, false, 17},
        {"DLog:Read?", LineKind::TableQuery, false, 0},
        {":DLOG:READ?", LineKind::TableQuery, false, 0},
        {"CALC 3", LineKind::TableInput, true, 0},
        {"PIDT 1:table", LineKind::TableInput, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(row.kind, ClassifyLine(row.line));
        EXPECT_EQ(row.changes, ChangesInstrument(row.line));
        EXPECT_EQ(row.tableLines, TableQueryLines(row.line));
    }
}

TEST(ServeOptions, ListenAllowAndTheirRefusals) {
    std::string why;
    const struct {
        const char* text;
        bool parses;
        std::uint32_t address;
        int port;
    } listens[] = {
        {"127.0.0.1:5025", true, 0x7F000001, 5025},
        {"0.0.0.0:0", true, 0, 0},
        {":7000", true, 0x7F000001, 7000},
        {"10.1.2.3", true, 0x0A010203, 5025},
        {"localhost:80", false, 0, 0},
        {"1.2.3.4:70000", false, 0, 0},
        {"1.2.3.4:x", false, 0, 0},
    };
    for (const auto& row : listens) {
        SCOPED_TRACE(row.text);
        auto parsed = ParseListen(row.text, ServeOptions{}, why);
        ASSERT_EQ(row.parses, parsed.has_value());
        if (parsed) {
            EXPECT_EQ(row.address, parsed->address);
            EXPECT_EQ(row.port, parsed->port);
        }
    }

    const struct {
        const char* rule;
        std::uint32_t peer;
        bool admitted;
    } allows[] = {
        {"192.168.1.0/24", 0xC0A8014D, true}, {"192.168.1.0/24", 0xC0A80201, false},
        {"10.0.0.5", 0x0A000005, true},       {"10.0.0.5", 0x0A000006, false},
        {"0.0.0.0/0", 0x01020304, true},
    };
    for (const auto& row : allows) {
        SCOPED_TRACE(row.rule);
        auto rule = ParseAllowRule(row.rule, why);
        ASSERT_TRUE(rule) << why;
        EXPECT_EQ(row.admitted, rule->Admits(row.peer));
    }
    for (const char* bad : {"1.2.3.4/33", "1.2.3/8", "host/8"})
        EXPECT_FALSE(ParseAllowRule(bad, why)) << bad;

    ServeOptions options;
    EXPECT_EQ("", options.Problem());
    options.address = 0;
    EXPECT_NE(std::string::npos, options.Problem().find("--allow")) << options.Problem();
    options.allow.push_back(*ParseAllowRule("10.0.0.0/8", why));
    EXPECT_EQ("", options.Problem());
    options.maxClients = 0;
    EXPECT_NE("", options.Problem());
}

// Each text fed as the network would (never more than the client has room
// for), the work it gives and a word of every note.
TEST(ServerClient, LinesBecomeWholeWorkAndRefusedOnesOnlyNotes) {
    struct Work {
        LineKind kind;
        std::vector<std::string> lines;
    };
    struct Row {
        const char* name;
        std::string input;
        bool readOnly;
        std::vector<Work> work;
        std::vector<std::string> notes;
    };
    const std::string longLine(150, 'A');
    const std::string endless(5000, 'B');
    const Row rows[] = {
        {"query and command, CR LF or LF",
         "*IDN?\r\nLOOP 1:SETPT 50\n",
         false,
         {{LineKind::Query, {"*IDN?"}}, {LineKind::Command, {"LOOP 1:SETPT 50"}}},
         {}},
        {"read-only refuses the command",
         "*IDN?\r\nLOOP 1:SETPT 50\n",
         true,
         {{LineKind::Query, {"*IDN?"}}},
         {"\"LOOP 1:SETPT 50\": the instrument is shared read-only"}},
        {"a table input is one piece of work",
         "CALC 3\nname\nDiode\n;\nINP A:TEMP?\n",
         false,
         {{LineKind::TableInput, {"CALC 3", "name", "Diode", ";"}},
          {LineKind::Query, {"INP A:TEMP?"}}},
         {}},
        {"read-only drops the table's lines too",
         "CALC 3\nname\nDiode\n;\nINP A:TEMP?\n",
         true,
         {{LineKind::Query, {"INP A:TEMP?"}}},
         {"\"CALC 3\": the instrument is shared read-only"}},
        {"a table without its end yet", "CALC 3\nname\n", false, {}, {}},
        {"a line too long",
         longLine + "\n*IDN?\n",
         false,
         {{LineKind::Query, {"*IDN?"}}},
         {"a line of 150 characters"}},
        {"a line without end",
         endless + "\n*IDN?\n",
         false,
         {{LineKind::Query, {"*IDN?"}}},
         {"a line of over 4096 characters"}},
        {"a control character spoils the table",
         "CALC 3\nbad\x07line\n1 2\n;\n*IDN?\n",
         false,
         {{LineKind::Query, {"*IDN?"}}},
         {"control character 0x07", "The table from 127.0.0.1:4000 was not sent."}},
        {"empty lines", "\n\r\n*IDN?\n", false, {{LineKind::Query, {"*IDN?"}}}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CServerClient client(-1, "127.0.0.1:4000");
        std::vector<std::string> notes;
        std::vector<ServedWork> work;
        std::string_view input = row.input;
        do {
            const std::size_t piece = std::min(input.size(), client.Room());
            client.Heard(input.substr(0, piece), CServerClient::Clock::now());
            input.remove_prefix(piece);
            while (auto next = client.NextWork(row.readOnly, notes))
                work.push_back(std::move(*next));
        } while (!input.empty());
        ASSERT_EQ(row.work.size(), work.size());
        for (std::size_t i = 0; i < work.size(); ++i) {
            EXPECT_EQ(row.work[i].kind, work[i].kind);
            EXPECT_EQ(row.work[i].lines, work[i].lines);
        }
        ASSERT_EQ(row.notes.size(), notes.size());
        for (std::size_t i = 0; i < notes.size(); ++i)
            EXPECT_NE(std::string::npos, notes[i].find(row.notes[i])) << notes[i];
    }
}

} // namespace
