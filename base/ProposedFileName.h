#pragma once

#include <ctime>
#include <string>
#include <string_view>

// Names that a save dialog proposes (IFileChooser::ProposeSaveName).

// A file name from a text that names the content (a curve's serial number or
// name): a character that a file name should not hold ("/", "\", ":", "*",
// "?", quotes, "<", ">", "|", control characters) becomes "_", blanks at
// either end go, and the extension is added with its dot. "" when no name is
// left, so that the dialog proposes nothing.
std::string ProposedFileName(std::string_view text, std::string_view extension);

// `stem` followed by the local date and time, "DataLog_20240501_143210.csv"
// for stem "DataLog" and extension "csv": names that sort by time and do not
// overwrite an earlier run's file.
std::string TimestampedFileName(std::string_view stem, std::string_view extension,
                                std::time_t when);
