#include <gtest/gtest.h>

#include <string>

#include "cmdfile/CommandFileReader.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"

namespace {

class Reader : public ::testing::Test {
protected:
    // Opens a file holding exactly `bytes`.
    void OpenWith(const std::string& bytes) {
        ASSERT_TRUE(reader_.Open(WriteFile(dir_.File("commands.xml"), bytes)));
        ASSERT_TRUE(reader_.IsOpen());
    }

    TempDir dir_;
    CommandFileReader reader_;
};

} // namespace

TEST_F(Reader, TagsAndTextsAlternateAsTheRunnerReadsThem) {
    OpenWith("junk <Group>\n  <COMMAND> INP A:UNIT K\n</COMMAND>\n</Group> tail");
    EXPECT_EQ("Group", reader_.ReadTag());
    EXPECT_EQ("COMMAND", reader_.ReadTag());
    // Nothing trimmed; the '<' of the closing tag is consumed with the text.
    EXPECT_EQ(" INP A:UNIT K\n", reader_.ReadText());
    // The rest of that closing tag is skipped while the next '<' is looked for.
    EXPECT_EQ("/Group", reader_.ReadTag());
    EXPECT_EQ("", reader_.ReadTag());
    EXPECT_EQ("", reader_.ReadText());
}

TEST_F(Reader, ATagDropsAFurtherOpeningBracketAndKeepsWhatFollowsTheName) {
    OpenWith("<QU<ERY><Command x=\"1\"><!-- note --><?xml version=\"1.0\"?>");
    EXPECT_EQ("QUERY", reader_.ReadTag());
    EXPECT_EQ("Command x=\"1\"", reader_.ReadTag());
    const std::string comment = reader_.ReadTag();
    EXPECT_EQ("!-- note --", comment);
    EXPECT_TRUE(CommandFileReader::IsComment(comment));
    EXPECT_EQ("?xml version=\"1.0\"?", reader_.ReadTag());
}

TEST_F(Reader, DataCutOffGivesWhatWasCollectedAndThenTheEndEveryTime) {
    OpenWith("<QUERY>*IDN?</QUERY><RESP");
    EXPECT_EQ("QUERY", reader_.ReadTag());
    EXPECT_EQ("*IDN?", reader_.ReadText());
    EXPECT_EQ("RESP", reader_.ReadTag());
    char c = 'x';
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(reader_.ReadChar(c));
    EXPECT_EQ('x', c);
    EXPECT_EQ("", reader_.ReadTag());
    EXPECT_EQ("", reader_.ReadText());

    OpenWith("<RESPONSE>text without an end");
    EXPECT_EQ("RESPONSE", reader_.ReadTag());
    EXPECT_EQ("text without an end", reader_.ReadText());
}

TEST_F(Reader, EveryByteComesOnceInOrderEightBitsIncluded) {
    std::string bytes;
    for (int i = 0; i < 10000; ++i)
        bytes += static_cast<char>(i * 7 % 256);
    OpenWith(bytes);
    std::string read;
    char c;
    while (reader_.ReadChar(c))
        read += c;
    EXPECT_EQ(bytes, read);
}

TEST_F(Reader, AnOversizedItemIsCutAndTheStreamStaysInStep) {
    const std::size_t limit = CommandFileReader::MaxItemSize;
    OpenWith("<COMMAND>" + std::string(limit + 10, 'c') + "</COMMAND><" +
             std::string(limit + 5, 't') + "><QUERY>");
    EXPECT_EQ("COMMAND", reader_.ReadTag());
    EXPECT_EQ(std::string(limit, 'c'), reader_.ReadText());
    EXPECT_EQ(std::string(limit, 't'), reader_.ReadTag());
    EXPECT_EQ("QUERY", reader_.ReadTag());
}

TEST_F(Reader, OnlyAnExistingRegularFileOpens) {
    EXPECT_FALSE(reader_.Open(dir_.File("missing.xml")));
    EXPECT_FALSE(reader_.IsOpen());
    EXPECT_FALSE(reader_.Open(dir_.Path()));
    char c;
    EXPECT_FALSE(reader_.ReadChar(c));
    EXPECT_EQ("", reader_.ReadTag());

    OpenWith("<A>");
    reader_.Close();
    EXPECT_FALSE(reader_.IsOpen());
    EXPECT_FALSE(reader_.ReadChar(c));
}

TEST(CommandFileTags, ClosingTagsAndCommentsByTheirFirstCharacter) {
    EXPECT_TRUE(CommandFileReader::IsClosingTag("/TRANSACTIONS"));
    EXPECT_TRUE(CommandFileReader::IsClosingTag("/"));
    EXPECT_FALSE(CommandFileReader::IsClosingTag(""));
    EXPECT_FALSE(CommandFileReader::IsClosingTag(" /GROUP"));
    EXPECT_TRUE(CommandFileReader::IsComment("!DOCTYPE x"));
    EXPECT_FALSE(CommandFileReader::IsComment(""));
    EXPECT_FALSE(CommandFileReader::IsComment("?xml"));
}
