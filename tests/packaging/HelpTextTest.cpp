#include <gtest/gtest.h>

#include "packaging/HelpText.h"
#include "packaging/Roff.h"

namespace {

using Kind = HelpBlock::Kind;

// As the command-line library of tundrix-cli prints a help: a name too long
// for its column puts the description on the next line, at column 30.
const char* const LibraryHelp =
    "Tundrix command line: talk to one temperature controller.\n"
    "Usage: tundrix-cli [OPTIONS] SUBCOMMAND\n"
    "\n"
    "Options:\n"
    "  -h,--help                   Print this help message and exit\n"
    "  --settings TEXT             settings file (default $TUNDRIX_SETTINGS, else\n"
    "                              $XDG_CONFIG_HOME/Arktronic/Tundrix.INI)\n"
    "  --a-very-long-option-name TEXT\n"
    "                              what it does\n"
    "\n"
    "Subcommands:\n"
    "  query                       send a query and print its reply\n"
    "  curve                       sensor curve files\n"
    "\n"
    "RESOURCE: ASRL/dev/ttyUSB0::INSTR, ASRL3::INSTR (COM3 of the port list),\n"
    "GPIB0::12::INSTR.\n";

// As tundrix-sim writes its help by hand.
const char* const HandHelp = "Usage: tundrix-sim [--pty] [--tcp PORT]\n"
                             "                   [--model N]\n"
                             "\n"
                             "A simulated temperature controller.\n"
                             "\n"
                             "Options (at least one of --pty and --tcp; they\n"
                             "combine):\n"
                             "  --pty              serve a pseudo-terminal and print\n"
                             "                     \"pty: /dev/pts/N\"\n"
                             "  --model N          model code 27..35\n"
                             "\n"
                             "Models (loops 1-2 drive heaters):\n"
                             "  27, 33  inputs A-D, loops 1-3       28, 34  inputs A-D\n"
                             "  29      inputs A-H\n"
                             "A loop draws its input toward the set point.\n"
                             "\n"
                             "Errors: a command the controller cannot carry out is queued as\n"
                             "  -114,Header suffix out of range\n"
                             "Other errors: -102 Syntax error.\n"
                             "\n"
                             "The simulator serves until it receives SIGTERM.\n";

} // namespace

TEST(HelpText, ReadsTheCommandLineLibrarysLayout) {
    const HelpText help = ParseHelpText(LibraryHelp);
    EXPECT_EQ(std::vector<std::string>{"Tundrix command line: talk to one temperature controller."},
              help.description);
    EXPECT_EQ(std::vector<std::string>{"tundrix-cli [OPTIONS] SUBCOMMAND"}, help.usage);
    ASSERT_EQ(3u, help.blocks.size());

    const HelpBlock& options = help.blocks[0];
    EXPECT_EQ(Kind::List, options.kind);
    EXPECT_EQ("Options", options.heading);
    ASSERT_EQ(3u, options.entries.size());
    EXPECT_EQ("-h,--help", options.entries[0].name);
    EXPECT_EQ("--settings TEXT", options.entries[1].name);
    EXPECT_EQ("settings file (default $TUNDRIX_SETTINGS, else "
              "$XDG_CONFIG_HOME/Arktronic/Tundrix.INI)",
              options.entries[1].description);
    EXPECT_EQ("--a-very-long-option-name TEXT", options.entries[2].name);
    EXPECT_EQ("what it does", options.entries[2].description);

    EXPECT_TRUE(IsSubcommandGroup(help.blocks[1]));
    EXPECT_EQ((std::vector<std::string>{"query", "curve"}), SubcommandNames(help));

    const HelpBlock& footer = help.blocks[2];
    EXPECT_EQ(Kind::Paragraph, footer.kind);
    EXPECT_EQ("RESOURCE", footer.heading);
    EXPECT_EQ(
        (std::vector<std::string>{"ASRL/dev/ttyUSB0::INSTR, ASRL3::INSTR (COM3 of the port list),",
                                  "GPIB0::12::INSTR."}),
        footer.lines);
}

TEST(HelpText, ReadsAHandWrittenHelp) {
    const HelpText help = ParseHelpText(HandHelp);
    EXPECT_TRUE(help.description.empty());
    EXPECT_EQ(std::vector<std::string>{"tundrix-sim [--pty] [--tcp PORT] [--model N]"}, help.usage);
    ASSERT_EQ(5u, help.blocks.size());

    EXPECT_EQ(Kind::Paragraph, help.blocks[0].kind);
    EXPECT_EQ("", help.blocks[0].heading);

    // A heading over two lines, with its remark kept apart.
    const HelpBlock& options = help.blocks[1];
    EXPECT_EQ(Kind::List, options.kind);
    EXPECT_EQ("Options", options.heading);
    EXPECT_EQ("at least one of --pty and --tcp; they combine", options.remark);
    ASSERT_EQ(2u, options.entries.size());
    EXPECT_EQ("--pty", options.entries[0].name);
    EXPECT_EQ("serve a pseudo-terminal and print \"pty: /dev/pts/N\"",
              options.entries[0].description);

    // Not options: a table whose layout stays, and the paragraph that closes it.
    const HelpBlock& models = help.blocks[2];
    EXPECT_EQ(Kind::Table, models.kind);
    EXPECT_EQ("Models", models.heading);
    EXPECT_EQ("loops 1-2 drive heaters", models.remark);
    EXPECT_EQ((std::vector<std::string>{"  27, 33  inputs A-D, loops 1-3       28, 34  inputs A-D",
                                        "  29      inputs A-H"}),
              models.lines);
    EXPECT_EQ(std::vector<std::string>{"A loop draws its input toward the set point."},
              models.after);

    // A labelled paragraph with an indented line in it.
    const HelpBlock& errors = help.blocks[3];
    EXPECT_EQ(Kind::Paragraph, errors.kind);
    EXPECT_EQ("Errors", errors.heading);
    EXPECT_EQ((std::vector<std::string>{"a command the controller cannot carry out is queued as",
                                        "  -114,Header suffix out of range",
                                        "Other errors: -102 Syntax error."}),
              errors.lines);
    EXPECT_EQ("", help.blocks[4].heading);
    EXPECT_TRUE(SubcommandNames(help).empty());
}

TEST(HelpText, IndentedOptionsWithoutAHeadingAreAnOptionList) {
    const HelpText help = ParseHelpText("Usage: tundrix [--simulate[=MODEL]]\n"
                                        "\n"
                                        "  --simulate[=MODEL]  start a simulated controller\n"
                                        "                      (model code 27 to 35)\n"
                                        "  --help              show this text\n");
    ASSERT_EQ(1u, help.blocks.size());
    EXPECT_EQ(Kind::List, help.blocks[0].kind);
    ASSERT_EQ(2u, help.blocks[0].entries.size());
    EXPECT_EQ("--simulate[=MODEL]", help.blocks[0].entries[0].name);
    EXPECT_EQ("start a simulated controller (model code 27 to 35)",
              help.blocks[0].entries[0].description);
}

TEST(HelpText, CarriageReturnsAndTabsDoNotBreakTheLayout) {
    const HelpText help = ParseHelpText("Usage: x\r\n\r\nOptions:\r\n\t--pty  serve\r\n");
    ASSERT_EQ(1u, help.blocks.size());
    ASSERT_EQ(1u, help.blocks[0].entries.size());
    EXPECT_EQ("--pty", help.blocks[0].entries[0].name);
    EXPECT_EQ("serve", help.blocks[0].entries[0].description);
}

TEST(Roff, EscapesWhatRoffWouldReadAsRequestsOrEscapes) {
    EXPECT_EQ("\\-\\-port a\\eb", RoffText("--port a\\b"));
    EXPECT_EQ("\\&.crv files", RoffText(".crv files"));
    EXPECT_EQ("\\&'quoted'", RoffText("'quoted'"));
    EXPECT_EQ("a.b 'c'", RoffText("a.b 'c'"));
}

TEST(Roff, EntryNamesBoldWithTheirArgumentsItalic) {
    EXPECT_EQ("\\fB\\-h\\fR, \\fB\\-\\-help\\fR", RoffEntryName("-h,--help"));
    EXPECT_EQ("\\fB\\-h\\fR, \\fB\\-\\-help\\fR", RoffEntryName("-h, --help"));
    EXPECT_EQ("\\fB\\-\\-port\\fR \\fITEXT\\fR", RoffEntryName("--port TEXT"));
    EXPECT_EQ("\\fB\\-\\-simulate\\fR\\fI[=MODEL]\\fR", RoffEntryName("--simulate[=MODEL]"));
    EXPECT_EQ("\\fBIN\\fR \\fITEXT\\fR \\fIREQUIRED\\fR", RoffEntryName("IN TEXT REQUIRED"));
    EXPECT_EQ("\\fBquery\\fR", RoffEntryName("query"));
    EXPECT_EQ("\\fBtundrix\\-cli curve check\\fR [OPTIONS] FILE",
              RoffUsage("tundrix-cli curve check [OPTIONS] FILE", 3));
    EXPECT_EQ("\"say \\(dqhi\\(dq\"", RoffHeading("say \"hi\""));
}
