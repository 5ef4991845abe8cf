// CommandFileReader over any bytes, read as the runner reads it (a tag, and
// after a keyword its text): no crash, hang or sanitizer report; every read
// ends; a tag holds no '<' or '>' and a text no '<'; items stay within their
// bound; once the data has ended it stays ended; and read byte by byte the
// file comes back whole.
#include <cctype>
#include <string>

#include "cmdfile/CommandFileReader.h"
#include "fuzz/FuzzFile.h"

namespace {

bool IsKeyword(std::string tag) {
    for (char& c : tag)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tag == "COMMAND" || tag == "CALCUR" || tag == "QUERY" || tag == "RESPONSE" ||
           tag == "FLOATRESPONSE" || tag == "PAUSE" || tag == "MODEL";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CFuzzFile input;
    const std::string& path = input.Write(data, size);
    CommandFileReader reader;
    Require(reader.Open(path));
    // Each round consumes at least one byte until the data ends.
    for (std::size_t round = 0; round <= size + 1; ++round) {
        const std::string tag = reader.ReadTag();
        Require(tag.size() <= CommandFileReader::MaxItemSize);
        Require(tag.find_first_of("<>") == std::string::npos);
        if (IsKeyword(tag)) {
            const std::string text = reader.ReadText();
            Require(text.size() <= CommandFileReader::MaxItemSize);
            Require(text.find('<') == std::string::npos);
        }
        char c;
        if (tag.empty() && !reader.ReadChar(c)) {
            Require(!reader.ReadChar(c) && reader.ReadTag().empty() && reader.ReadText().empty());
            break;
        }
        Require(round <= size);
    }

    Require(reader.Open(path));
    std::string whole;
    char c;
    while (reader.ReadChar(c))
        whole += c;
    Require(whole.size() == size &&
            std::equal(whole.begin(), whole.end(), reinterpret_cast<const char*>(data)));
    return 0;
}
