#pragma once

#include <string>
#include <string_view>

class IMessageLog;

// The header fields of a curve (name, type, multiplier, unit) each go to the
// instrument as a line of their own, so none may hold a control character.

// Why `text` cannot be a header field ("holds the control character 0x0A; a
// header field is one line of text"), or "" when it can.
std::string HeaderFieldProblem(std::string_view text);

// A header field read from line `lineNumber` of a curve file: one that holds
// a control character is marked in error (`error` set) and the log says
// "Control character 0x1B in line 2 of <fileName> file".
void CheckHeaderField(std::string_view text, int lineNumber, const std::string& fileName,
                      IMessageLog& log, bool& error);
