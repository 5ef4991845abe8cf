#pragma once

#include <fstream>
#include <sstream>
#include <string>

// A file's bytes, as a test reads back what was written; "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes `text` as the whole file, byte for byte; gives back `path`.
inline std::string WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path;
}
