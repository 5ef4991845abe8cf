#pragma once

#include <QString>
#include <string>
#include <string_view>

// The core speaks plain 8-bit text: our own messages and file names are UTF-8,
// instrument replies may carry any byte. Valid UTF-8 is shown as such, anything
// else byte for byte as Latin-1, so no reply byte is ever lost or replaced.
QString FromCoreText(std::string_view text);
std::string ToCoreText(const QString& text);
