#pragma once

#include <string>

// `path` made absolute against the current folder, as a file dialog gives a
// name back; `path` itself when that fails.
std::string AbsolutePath(const std::string& path);
