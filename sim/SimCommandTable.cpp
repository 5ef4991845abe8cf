#include "sim/SimCommandTable.h"

#include "sim/SimErrorQueue.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

} // namespace

std::string SimRequest::Text() const {
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"') {
        return argument.substr(1, argument.size() - 2);
    }
    return argument;
}

CSimCommandTable::Row& CSimCommandTable::RowFor(std::string_view pattern) {
    std::vector<Node> nodes;
    for (std::string_view part : Split(pattern, ':')) {
        Node node;
        node.suffix = !part.empty() && part.back() == '#';
        if (node.suffix) {
            part.remove_suffix(1);
        }
        for (std::string_view spelling : Split(part, '|')) {
            node.spellings.push_back(Upper(spelling));
        }
        nodes.push_back(std::move(node));
    }
    for (Row& row : rows_) {
        const bool same = std::equal(row.nodes.begin(), row.nodes.end(), nodes.begin(), nodes.end(),
                                     [](const Node& a, const Node& b) {
                                         return a.suffix == b.suffix && a.spellings == b.spellings;
                                     });
        if (same) {
            return row;
        }
    }
    rows_.push_back({std::move(nodes), {}});
    return rows_.back();
}

void CSimCommandTable::AddQuery(std::string_view pattern, QueryHandler handler,
                                SimArgument argument) {
    Entry& entry = RowFor(pattern).entry;
    entry.query = std::move(handler);
    entry.queryArgument = argument;
}

void CSimCommandTable::AddSet(std::string_view pattern, SimArgument argument, SetHandler handler) {
    Entry& entry = RowFor(pattern).entry;
    entry.set = std::move(handler);
    entry.setArgument = argument;
}

bool CSimCommandTable::TakesSuffix(std::string_view keyword) const {
    const std::string upper = Upper(keyword);
    for (const Row& row : rows_) {
        for (const Node& node : row.nodes) {
            if (node.suffix && std::find(node.spellings.begin(), node.spellings.end(), upper) !=
                                   node.spellings.end()) {
                return true;
            }
        }
    }
    return false;
}

const CSimCommandTable::Row*
CSimCommandTable::Find(const std::vector<SimHeaderNode>& header) const {
    for (const Row& row : rows_) {
        if (row.nodes.size() != header.size()) {
            continue;
        }
        bool match = true;
        for (std::size_t i = 0; match && i < header.size(); ++i) {
            const Node& node = row.nodes[i];
            const std::string keyword = Upper(header[i].keyword);
            match = node.suffix == !header[i].suffix.empty() &&
                    std::find(node.spellings.begin(), node.spellings.end(), keyword) !=
                        node.spellings.end();
        }
        if (match) {
            return &row;
        }
    }
    return nullptr;
}

int CSimCommandTable::Run(const SimCommand& command, double now, std::string& reply) const {
    const Row* row = Find(command.header);
    if (row == nullptr || (command.query ? !row->entry.query : !row->entry.set)) {
        return SimErrorUndefinedHeader;
    }
    SimRequest request;
    for (const SimHeaderNode& node : command.header) {
        if (!node.suffix.empty()) {
            request.suffixes.push_back(node.suffix);
        }
    }
    request.argument = command.argument;
    request.now = now;

    const Entry& entry = row->entry;
    const int error =
        CheckArgument(command.query ? entry.queryArgument : entry.setArgument, request.argument);
    if (error != 0) {
        return error;
    }
    return command.query ? entry.query(request, reply) : entry.set(request);
}

int CSimCommandTable::CheckArgument(SimArgument rule, const std::string& argument) {
    if (rule == SimArgument::None && !argument.empty()) {
        return SimErrorParameterNotAllowed;
    }
    if (rule == SimArgument::Required && argument.empty()) {
        return SimErrorMissingParameter;
    }
    return 0;
}
