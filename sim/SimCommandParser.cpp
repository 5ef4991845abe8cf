#include "sim/SimCommandParser.h"

#include "sim/SimErrorQueue.h"

#include <cctype>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsAlpha(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

class CLineScanner {
public:
    explicit CLineScanner(std::string_view line) : line_(line) {}

    bool AtEnd() const { return pos_ >= line_.size(); }
    char Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < line_.size() ? line_[pos_ + ahead] : '\0';
    }
    void Advance(std::size_t count = 1) { pos_ += count; }
    std::size_t Position() const { return pos_; }
    void Seek(std::size_t pos) { pos_ = pos; }

    void SkipBlanks() {
        while (!AtEnd() && IsBlank(line_[pos_])) {
            ++pos_;
        }
    }
    std::string ReadWord() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsWordChar(line_[pos_])) {
            ++pos_;
        }
        return std::string(line_.substr(start, pos_ - start));
    }
    // The text up to the next ";" outside double quotes, which is consumed too.
    std::string ReadUntilSeparator() {
        const std::size_t start = pos_;
        bool quoted = false;
        while (!AtEnd() && (quoted || line_[pos_] != ';')) {
            quoted = quoted != (line_[pos_] == '"');
            ++pos_;
        }
        std::string text(line_.substr(start, pos_ - start));
        if (!AtEnd()) {
            ++pos_;
        }
        return text;
    }

private:
    std::string_view line_;
    std::size_t pos_ = 0;
};

std::string TrimBlanks(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

} // namespace

std::vector<SimCommand> CSimCommandParser::Parse(std::string_view line) const {
    std::vector<SimCommand> commands;
    std::vector<SimHeaderNode> path;
    CLineScanner scan(line);

    while (true) {
        scan.SkipBlanks();
        if (scan.AtEnd()) {
            break;
        }
        if (scan.Peek() == ';') {
            scan.Advance();
            continue;
        }

        SimCommand command;
        const bool rooted = scan.Peek() == ':';
        if (rooted) {
            scan.Advance();
        }
        const bool common = scan.Peek() == '*';
        std::vector<SimHeaderNode> nodes;
        while (true) {
            std::string keyword;
            if (common && nodes.empty()) {
                scan.Advance();
                keyword = "*" + scan.ReadWord();
            } else if (IsAlpha(scan.Peek())) {
                keyword = scan.ReadWord();
            }
            if (keyword.empty() || keyword == "*") {
                command.error = SimErrorSyntax;
                break;
            }
            if (scan.Peek() == ':') {
                scan.Advance();
                nodes.push_back({std::move(keyword), {}});
                continue;
            }
            if (!common && IsBlank(scan.Peek()) && takesSuffix_(keyword)) {
                // "INP A:" is a node with a suffix; "INP A" alone is a leaf with an argument.
                const std::size_t mark = scan.Position();
                scan.SkipBlanks();
                std::string suffix = scan.ReadWord();
                if (!suffix.empty() && scan.Peek() == ':') {
                    scan.Advance();
                    nodes.push_back({std::move(keyword), std::move(suffix)});
                    continue;
                }
                scan.Seek(mark);
            }
            nodes.push_back({std::move(keyword), {}});
            break;
        }

        if (command.error == 0) {
            bool ended = false;
            if (scan.Peek() == '?') {
                command.query = true;
                scan.Advance();
                ended = IsAlpha(scan.Peek());
            }
            if (!ended) {
                const char next = scan.Peek();
                if (next != ';' && next != '\0' && !IsBlank(next)) {
                    command.error = SimErrorSyntax;
                }
            }
            if (!ended && command.error == 0) {
                command.argument = TrimBlanks(scan.ReadUntilSeparator());
            }
        }
        if (command.error != 0) {
            scan.ReadUntilSeparator();
            commands.push_back(std::move(command));
            continue;
        }

        if (common) {
            command.header = std::move(nodes);
        } else {
            command.header = rooted ? std::vector<SimHeaderNode>{} : path;
            command.header.insert(command.header.end(), nodes.begin(), nodes.end());
            path.assign(command.header.begin(), command.header.end() - 1);
        }
        commands.push_back(std::move(command));
    }
    return commands;
}
