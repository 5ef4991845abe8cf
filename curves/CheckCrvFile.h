#pragma once

#include <string>

class IMessageBoxes;
class IMessageLog;

// What the strict check of a ".crv" file found: the entry count (0 when the
// file was refused) and the number of header lines before the first entry.
struct CrvCheck {
    int count = 0;
    int headerLines = 0;
};

// The strict check a source curve passes before it is used: 2 to 4 header
// lines, then 3 to 200 entries of two numbers separated by white space (a
// comma does not separate), temperatures not below 0, each line at most 63
// characters, up to the end of the file or a line beginning with ";". A
// refused file is reported with a box and a log line.
CrvCheck CheckCrvFile(const std::string& fileName, IMessageBoxes& boxes, IMessageLog& log);
