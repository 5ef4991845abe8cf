#include <gtest/gtest.h>

#include <thread>

#include "app/MessageLogStore.h"

TEST(MessageLog, LongTextIsCutInto80CharacterLines) {
    CMessageLogStore log;
    std::string text(200, 'x');
    text[80] = 'y';
    log.Append(text);
    auto lines = log.Lines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(std::string(80, 'x'), lines[0]);
    EXPECT_EQ(80u, lines[1].size());
    EXPECT_EQ('y', lines[1][0]);
    EXPECT_EQ(40u, lines[2].size());
}

TEST(MessageLog, AFullLineBreaksAtItsLastBlank) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string word60(60, 'w');
    const Case cases[] = {
        {"  1.500000V is more than 5% difference from the source curve at 300.000000K and more\n",
         {"  1.500000V is more than 5% difference from the source curve at 300.000000K and", "more",
          ""}},
        // The blank that falls on the break is not carried to the next line.
        {word60 + " " + std::string(19, 'a') + " b", {word60 + " " + std::string(19, 'a'), "b"}},
        {word60 + " " + std::string(30, 'c'), {word60, std::string(30, 'c')}},
        // Blanks only at the start are no place to break.
        {" " + std::string(85, 'd'), {" " + std::string(79, 'd'), std::string(6, 'd')}},
        {std::string(21, ' ') + std::string(65, 'e'),
         {std::string(21, ' ') + std::string(59, 'e'), std::string(6, 'e')}},
    };
    for (const Case& c : cases) {
        CMessageLogStore log;
        log.Append(c.text);
        EXPECT_EQ(c.lines, log.Lines()) << c.text;
    }
}

TEST(MessageLog, LineEndsStartLinesAndAreNotStored) {
    CMessageLogStore log;
    log.Append("\nquery:*IDN?");
    log.Append("\nresponse:ARKTRONIC,TX-28\r\n\n");
    log.Append("a\rb\n\nc");
    EXPECT_EQ((std::vector<std::string>{"", "query:*IDN?", "response:ARKTRONIC,TX-28", "", "a", "b",
                                        "", "c"}),
              log.Lines());
    // A full line continues on the next one only when another character comes.
    CMessageLogStore full;
    full.Append(std::string(80, 'z') + "\nnext");
    EXPECT_EQ((std::vector<std::string>{std::string(80, 'z'), "next"}), full.Lines());
}

TEST(MessageLog, AfterTheRingIsFullTheOldestLinesGo) {
    CMessageLogStore log;
    for (int i = 0; i < 2049; ++i)
        log.Append("line " + std::to_string(i) + "\n");
    auto lines = log.Lines();
    ASSERT_EQ(2048u, lines.size());
    EXPECT_EQ(2048, log.LineCount());
    // 2049 lines and the empty current one: the first two are gone.
    EXPECT_EQ("line 2", lines.front());
    EXPECT_EQ("line 2048", lines[lines.size() - 2]);
    EXPECT_EQ("", lines.back());
    for (int i = 0; i < 5000; ++i)
        log.Append("more\n");
    EXPECT_EQ(2048u, log.Lines().size());
}

TEST(MessageLog, AppendsFromSeveralThreadsKeepWholeTexts) {
    CMessageLogStore log;
    auto before = log.Revision();
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&log, t] {
            for (int i = 0; i < 200; ++i)
                log.Append("writer " + std::to_string(t) + "\n");
        });
    for (auto& w : writers)
        w.join();
    auto lines = log.Lines();
    EXPECT_EQ(801u, lines.size());
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_EQ(0u, lines[i].rfind("writer ", 0)) << lines[i];
    EXPECT_EQ(before + 800, log.Revision());
}
