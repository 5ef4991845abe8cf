#pragma once

#include "sim/SimCommandParser.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What a handler gets: the header's suffixes in order ("A" for "INP A:TEMP?"),
// the argument text, and the controller's time of the line in seconds.
struct SimRequest {
    std::vector<std::string> suffixes;
    std::string argument;
    double now = 0.0;

    // The argument of a text setting without the double quotes that may enclose it.
    std::string Text() const;
};

enum class SimArgument { None, Required };

// The commands the controller understands, one row per header.
//
// A pattern names the header's nodes, separated by ":"; a node ending in "#"
// takes a suffix, and "|" separates spellings of one node ("SYST|SYSTEM:ERR|ERROR").
// Keywords match without regard to case. Handlers return 0 or a SimError; the
// table checks the argument rules before calling them.
class CSimCommandTable {
public:
    using QueryHandler = std::function<int(const SimRequest&, std::string& reply)>;
    using SetHandler = std::function<int(const SimRequest&)>;

    struct Entry {
        QueryHandler query; // absent: the header has no query form
        SetHandler set;     // absent: the header has no setting form
        SimArgument queryArgument = SimArgument::None;
        SimArgument setArgument = SimArgument::None;
    };

    void AddQuery(std::string_view pattern, QueryHandler handler,
                  SimArgument argument = SimArgument::None);
    void AddSet(std::string_view pattern, SimArgument argument, SetHandler handler);

    bool TakesSuffix(std::string_view keyword) const;

    // Runs one parsed command: 0 and, for a query, its reply; or a SimError.
    int Run(const SimCommand& command, double now, std::string& reply) const;

private:
    struct Node {
        std::vector<std::string> spellings; // upper case
        bool suffix = false;
    };
    struct Row {
        std::vector<Node> nodes;
        Entry entry;
    };

    Row& RowFor(std::string_view pattern);
    const Row* Find(const std::vector<SimHeaderNode>& header) const;

    static int CheckArgument(SimArgument rule, const std::string& argument);

    std::vector<Row> rows_;
};
