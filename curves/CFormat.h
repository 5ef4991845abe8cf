#pragma once

#include <string>

// printf into a string in the C locale: the log lines and files of the curve
// operations show "1.500000" also where the user's locale writes "1,500000".
std::string CFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
