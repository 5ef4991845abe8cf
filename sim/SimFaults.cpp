#include "sim/SimFaults.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr int MaxEvery = 1000000;
constexpr int MaxMilliseconds = 60000;

struct Name {
    const char* text;
    SimFaultKind kind;
    bool needsTime; // the first value is milliseconds
};

constexpr Name Names[] = {
    {"no-reply", SimFaultKind::NoReply, false}, {"late", SimFaultKind::Late, true},
    {"twice", SimFaultKind::Twice, false},      {"corrupt", SimFaultKind::Corrupt, false},
    {"cut", SimFaultKind::Cut, false},          {"trickle", SimFaultKind::Trickle, true},
    {"stream", SimFaultKind::Stream, false},    {"hangup", SimFaultKind::HangUp, false},
    {"nul", SimFaultKind::Nul, false},
};

bool ParseInt(std::string_view text, int low, int high, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end && value >= low && value <= high;
}

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> parts;
    for (auto colon = text.find(':'); colon != std::string_view::npos; colon = text.find(':')) {
        parts.push_back(text.substr(0, colon));
        text.remove_prefix(colon + 1);
    }
    parts.push_back(text);
    return parts;
}

// The middle of a reply's text, its line end left out.
std::size_t Middle(const std::string& reply) {
    std::size_t text = reply.size();
    while (text > 0 && (reply[text - 1] == '\n' || reply[text - 1] == '\r'))
        --text;
    return text / 2;
}

std::optional<SimFaultRule> ParseRule(std::string_view text, std::string& error) {
    const auto parts = Split(text);
    const Name* name = nullptr;
    for (const Name& candidate : Names)
        if (parts[0] == candidate.text)
            name = &candidate;
    if (!name) {
        error = "unknown fault '" + std::string(parts[0]) + "'";
        return std::nullopt;
    }
    SimFaultRule rule;
    rule.kind = name->kind;
    const std::string usage = std::string("'") + std::string(text) + "': ";
    std::size_t next = 1;
    if (name->kind == SimFaultKind::HangUp) {
        if (parts.size() != 2 || !ParseInt(parts[1], 0, MaxEvery, rule.commands)) {
            error = usage + "hangup needs a number of commands, hangup:N";
            return std::nullopt;
        }
        return rule;
    }
    if (name->needsTime) {
        if (parts.size() < 2 || !ParseInt(parts[1], 1, MaxMilliseconds, rule.milliseconds)) {
            error = usage + name->text + " needs milliseconds from 1 to 60000, " + name->text +
                    ":MS[:N]";
            return std::nullopt;
        }
        next = 2;
    }
    if (parts.size() > next + 1 ||
        (parts.size() == next + 1 && !ParseInt(parts[next], 1, MaxEvery, rule.every))) {
        error = usage + "N must be a number of queries from 1 to 1000000";
        return std::nullopt;
    }
    return rule;
}

} // namespace

std::optional<SimFaultRule> ParseSimFault(std::string_view text, std::string& error) {
    int only = 0;
    if (const auto at = text.find('@'); at != std::string_view::npos) {
        if (!ParseInt(text.substr(at + 1), 1, MaxEvery, only)) {
            error = "'" + std::string(text) + "': K must be a query from 1 to 1000000, FAULT@K";
            return std::nullopt;
        }
        text = text.substr(0, at);
    }
    auto rule = ParseRule(text, error);
    if (rule && only > 0) {
        if (rule->kind == SimFaultKind::HangUp) {
            error = "'" + std::string(text) + "': hangup:N is at its command already; no @K";
            return std::nullopt;
        }
        rule->only = only;
    }
    return rule;
}

CSimFaults::CSimFaults(std::vector<SimFaultRule> rules) : rules_(std::move(rules)) {
    gone_ = GoneAtStart();
}

bool CSimFaults::GoneAtStart() const {
    for (const auto& rule : rules_)
        if (rule.kind == SimFaultKind::HangUp && rule.commands == 0)
            return true;
    return false;
}

bool CSimFaults::Hits(const SimFaultRule& rule) const {
    return rule.only > 0 ? queries_ == rule.only : queries_ % rule.every == 0;
}

CSimFaults::Outcome CSimFaults::Shape(const std::optional<std::string>& reply) {
    Outcome out;
    ++commands_;
    for (const auto& rule : rules_)
        if (rule.kind == SimFaultKind::HangUp && commands_ >= rule.commands)
            out.hangUpAfter = true;
    if (out.hangUpAfter)
        gone_ = true;
    if (!reply)
        return out;
    ++queries_;

    std::string text = *reply;
    bool twice = false;
    Milliseconds late{0};
    Milliseconds trickle{0};
    for (const auto& rule : rules_) {
        if (!Hits(rule))
            continue;
        switch (rule.kind) {
        case SimFaultKind::NoReply:
            return out;
        case SimFaultKind::Stream:
            out.startStream = true;
            return out;
        case SimFaultKind::Corrupt:
            if (!text.empty()) {
                char& c = text[Middle(text)];
                c = c == '#' ? '*' : '#';
            }
            break;
        case SimFaultKind::Cut:
            text.resize(std::max<std::size_t>(1, Middle(text)));
            break;
        case SimFaultKind::Nul: {
            // Inside a line, never between a CR and its LF: a line end torn
            // apart is another fault than a NUL in the reply.
            std::size_t at = Middle(text);
            if (at > 0 && at < text.size() && text[at - 1] == '\r' && text[at] == '\n')
                --at;
            text.insert(at, 1, '\0');
            break;
        }
        case SimFaultKind::Twice:
            twice = true;
            break;
        case SimFaultKind::Late:
            late = Milliseconds(rule.milliseconds);
            break;
        case SimFaultKind::Trickle:
            trickle = Milliseconds(rule.milliseconds);
            break;
        case SimFaultKind::HangUp:
            break;
        }
    }
    Milliseconds at = late;
    if (trickle.count() == 0) {
        // Both copies in one write: they arrive together, as from an
        // instrument that repeats itself at once.
        out.pieces.push_back({twice ? text + text : text, at, true, late.count() > 0});
        return out;
    }
    for (int copy = 0; copy < (twice ? 2 : 1); ++copy) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            at += i == 0 && copy == 0 ? Milliseconds(0) : trickle;
            out.pieces.push_back({text.substr(i, 1), at, i + 1 == text.size(), late.count() > 0});
        }
    }
    return out;
}

std::string CSimFaults::StreamBytes(std::size_t count, std::size_t& position) {
    static constexpr std::string_view Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string bytes;
    bytes.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes += Letters[position++ % Letters.size()];
    return bytes;
}
