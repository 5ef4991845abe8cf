#pragma once

#include <string>
#include <string_view>

// Writes `content` into a new file in the folder of `path` and renames it over
// `path`, so that a file the user chose is either written whole or left as it
// was. On failure `error` (when given) names the cause.
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* error = nullptr);
