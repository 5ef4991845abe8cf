#include <gtest/gtest.h>

#include "packaging/HelpText.h"
#include "packaging/ManPage.h"

namespace {

const char* const TopHelp = "Talk to one controller.\n"
                            "Usage: /build/bin/tundrix-cli [OPTIONS] SUBCOMMAND\n"
                            "\n"
                            "Options:\n"
                            "  --port TEXT                 the port\n"
                            "\n"
                            "Subcommands:\n"
                            "  curve                       curve files\n"
                            "\n"
                            "Exit status: 0 on success.\n"
                            "\n"
                            "Footer: every help repeats it.\n";

const char* const CurveHelp = "curve files\n"
                              "Usage: /build/bin/tundrix-cli curve [OPTIONS] SUBCOMMAND\n"
                              "\n"
                              "Subcommands:\n"
                              "  check                       check a file\n"
                              "\n"
                              "Footer: every help repeats it.\n";

const char* const CheckHelp = ".crv files only\n"
                              "Usage: /build/bin/tundrix-cli curve check [OPTIONS] FILE\n"
                              "\n"
                              "Positionals:\n"
                              "  FILE TEXT REQUIRED          the file\n"
                              "\n"
                              "Options:\n"
                              "  --strict                    refuse warnings too\n"
                              "\n"
                              "Footer: every help repeats it.\n";

CManPage Page() {
    return CManPage(
        "tundrix-cli", ParseHelpText(TopHelp),
        {{"curve", ParseHelpText(CurveHelp)}, {"curve check", ParseHelpText(CheckHelp)}});
}

std::string Fill(const std::string& page, std::string* error = nullptr) {
    std::string why;
    std::string out = Page().Fill(page, {{"VERSION", "1.2.3"}}, why);
    if (error)
        *error = why;
    return out;
}

} // namespace

TEST(ManPage, FillsThePlaceholdersAndPutsEachSectionWhereThePageSays) {
    const std::string out = Fill(".TH X 1 \"\" \"Tundrix @VERSION@\"\n"
                                 ".SH SYNOPSIS\n"
                                 "@SYNOPSIS@\n"
                                 ".SH DESCRIPTION\n"
                                 "@DESCRIPTION@\n"
                                 "@SECTIONS@\n"
                                 ".SH EXIT STATUS\n"
                                 ".PP\n"
                                 "Hand-written.\n");
    EXPECT_EQ(".TH X 1 \"\" \"Tundrix 1.2.3\"\n"
              ".SH SYNOPSIS\n"
              "\\fBtundrix\\-cli\\fR [OPTIONS] SUBCOMMAND\n"
              ".br\n"
              "\\fBtundrix\\-cli curve check\\fR [OPTIONS] FILE\n"
              ".br\n"
              ".SH DESCRIPTION\n"
              ".PP\n"
              "Talk to one controller.\n"
              ".SH \"OPTIONS\"\n"
              ".TP\n"
              "\\fB\\-\\-port\\fR \\fITEXT\\fR\n"
              "the port\n"
              ".SH \"SUBCOMMANDS\"\n"
              ".SS \"curve\"\n"
              ".PP\n"
              "curve files\n"
              ".PP\n"
              "\\fBtundrix\\-cli curve\\fR [OPTIONS] SUBCOMMAND\n"
              ".PP\n"
              "\\fISubcommands:\\fR\n"
              ".TP\n"
              "\\fBcheck\\fR\n"
              "check a file\n"
              ".SS \"curve check\"\n"
              ".PP\n"
              "\\&.crv files only\n"
              ".PP\n"
              "\\fBtundrix\\-cli curve check\\fR [OPTIONS] FILE\n"
              ".PP\n"
              "\\fIPositionals:\\fR\n"
              ".TP\n"
              "\\fBFILE\\fR \\fITEXT\\fR \\fIREQUIRED\\fR\n"
              "the file\n"
              ".PP\n"
              "\\fIOptions:\\fR\n"
              ".TP\n"
              "\\fB\\-\\-strict\\fR\n"
              "refuse warnings too\n"
              ".SH \"FOOTER\"\n"
              ".PP\n"
              "Every help repeats it.\n"
              ".SH EXIT STATUS\n"
              ".PP\n"
              "0 on success.\n"
              ".PP\n"
              "Hand-written.\n",
              out);
}

TEST(ManPage, RefusesAPageThatCannotHoldTheHelp) {
    std::string error;
    EXPECT_EQ("", Fill(".SH DESCRIPTION\n@DESCRIPTION@\n", &error));
    EXPECT_NE(std::string::npos, error.find("@SYNOPSIS@")) << error;

    EXPECT_EQ("", Fill("@SYNOPSIS@\n@DESCRIPTION@\n", &error));
    EXPECT_NE(std::string::npos, error.find("@SECTIONS@")) << error;

    EXPECT_EQ("", Fill("@SYNOPSIS@\n@DESCRIPTION@\n@SECTIONS@\n.SH FILES\n@LIBDIR@/x\n", &error));
    EXPECT_EQ("no value for @LIBDIR@", error);
}

TEST(ManPage, LeavesAtSignsThatNameNoValueAsTheyAre) {
    const std::string out =
        Fill("@SYNOPSIS@\n@DESCRIPTION@\n@SECTIONS@\n.B ASRL/dev/ttyUSB0::INSTR@9600 @VERSION@\n");
    EXPECT_NE(std::string::npos, out.find(".B ASRL/dev/ttyUSB0::INSTR@9600 1.2.3\n")) << out;
}
