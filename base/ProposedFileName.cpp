#include "base/ProposedFileName.h"

#include <array>

namespace {

bool Unsafe(unsigned char c) {
    constexpr std::string_view Reserved = "/\\:*?\"<>|";
    return c < 0x20 || c == 0x7f || Reserved.find(static_cast<char>(c)) != std::string_view::npos;
}

std::string WithExtension(std::string name, std::string_view extension) {
    if (extension.starts_with('.'))
        extension.remove_prefix(1);
    if (!extension.empty())
        name += "." + std::string(extension);
    return name;
}

} // namespace

std::string ProposedFileName(std::string_view text, std::string_view extension) {
    std::string name;
    for (char c : text)
        name += Unsafe(static_cast<unsigned char>(c)) ? '_' : c;
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    // "." and ".." name folders, not files.
    if (name.find_first_not_of('.') == std::string::npos)
        return {};
    return WithExtension(std::move(name), extension);
}

std::string TimestampedFileName(std::string_view stem, std::string_view extension,
                                std::time_t when) {
    std::tm local{};
    std::array<char, 32> stamp{};
    if (::localtime_r(&when, &local) == nullptr ||
        std::strftime(stamp.data(), stamp.size(), "%Y%m%d_%H%M%S", &local) == 0)
        return ProposedFileName(stem, extension);
    return ProposedFileName(std::string(stem) + "_" + stamp.data(), extension);
}
