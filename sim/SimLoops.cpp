#include "sim/SimLoops.h"

#include "sim/SimCommandTable.h"
#include "sim/SimErrorQueue.h"
#include "sim/SimInputs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

constexpr int MaxLoops = 4;
constexpr const char* DefaultNames[MaxLoops] = {"Heater 1", "Heater 2", "Analog 1", "Analog 2"};

std::string Format(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A number that is the whole text, with an optional leading "+".
template <typename Number> std::optional<Number> ParseNumber(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    Number value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

CSimLoops::CSimLoops(int loopCount, CSimInputs& inputs) : inputs_(inputs) {
    loopCount = inputs.Count() == 0 ? 0 : std::clamp(loopCount, 0, MaxLoops);
    loops_.resize(static_cast<std::size_t>(loopCount));
    Reset(0.0);
}

void CSimLoops::Reset(double now) {
    // Every loop starts on, holding an input of its own at that input's base
    // temperature: the outputs look alive and the readings do not move until a
    // set point does.
    for (std::size_t i = 0; i < loops_.size(); ++i) {
        Loop& loop = loops_[i];
        loop.name = DefaultNames[i];
        loop.input = static_cast<int>(i) % inputs_.Count();
        loop.setpoint = inputs_.BaseKelvin(loop.input);
        loop.range = 1;
    }
    Steer(now);
}

void CSimLoops::Steer(double now) {
    for (int input = 0; input < inputs_.Count(); ++input) {
        std::optional<double> setpoint;
        for (const Loop& loop : loops_) {
            if (loop.range > 0 && loop.input == input) {
                setpoint = loop.setpoint;
                break;
            }
        }
        inputs_.Pull(input, setpoint, now);
    }
}

double CSimLoops::OutputPercent(int index, double now) const {
    const Loop& loop = loops_.at(static_cast<std::size_t>(index));
    if (loop.range == 0) {
        return 0.0;
    }
    // Holding a stage above its natural temperature takes power; the gain
    // falls as the temperature rises, as in a tuned loop, so that every
    // output moves by a few percent around its holding level.
    const double hold =
        std::clamp(35.0 + 0.2 * (loop.setpoint - inputs_.BaseKelvin(loop.input)), 5.0, 95.0);
    const double gain = 2000.0 / (loop.setpoint + 20.0);
    const double error = loop.setpoint - inputs_.Kelvin(loop.input, now);
    return std::clamp(hold + gain * error, 0.0, 100.0);
}

int CSimLoops::IndexOf(const std::string& suffix) const {
    const std::optional<int> number = ParseNumber<int>(suffix);
    return number && *number >= 1 && *number <= Count() ? *number - 1 : -1;
}

void CSimLoops::Register(CSimCommandTable& table) {
    // A loop the model lacks (every loop of a model without heaters) is the
    // same error as an input it lacks: the command is not carried out, a query
    // is not answered, and "SYST:ERR?" reports "-114,Header suffix out of range".
    // The heater-only "HTRR?" gives the same error for the analog loops 3 and 4.
    auto withLoop = [this](bool heaterOnly, auto body) {
        return [this, heaterOnly, body](const SimRequest& request, auto&... out) {
            const int index = IndexOf(request.suffixes.at(0));
            if (index < 0 || (heaterOnly && !IsHeater(index))) {
                return static_cast<int>(SimErrorSuffixOutOfRange);
            }
            return body(loops_[static_cast<std::size_t>(index)], index, request, out...);
        };
    };
    constexpr bool AnyLoop = false;
    constexpr bool HeaterLoop = true;

    table.AddQuery("LOOP#:OUTP|OUTPUT",
                   withLoop(AnyLoop, [this](const Loop&, int index, const SimRequest& request,
                                            std::string& reply) {
                       reply = Format("%.2f", OutputPercent(index, request.now));
                       return 0;
                   }));
    // The heater's output in percent of its range, as the heater stage reads it back.
    table.AddQuery("LOOP#:HTRR",
                   withLoop(HeaterLoop, [this](const Loop&, int index, const SimRequest& request,
                                               std::string& reply) {
                       reply = Format("%.1f", OutputPercent(index, request.now));
                       return 0;
                   }));

    table.AddQuery("LOOP#:RANGE", withLoop(AnyLoop, [](const Loop& loop, int, const SimRequest&,
                                                       std::string& reply) {
                       reply = std::to_string(loop.range);
                       return 0;
                   }));
    table.AddSet("LOOP#:RANGE", SimArgument::Required,
                 withLoop(AnyLoop, [this](Loop& loop, int index, const SimRequest& request) {
                     const std::optional<int> range = ParseNumber<int>(request.argument);
                     const int highest = IsHeater(index) ? MaxHeaterRange : MaxAnalogRange;
                     if (!range || *range < 0 || *range > highest) {
                         return static_cast<int>(SimErrorIllegalParameter);
                     }
                     loop.range = *range;
                     Steer(request.now);
                     return 0;
                 }));

    table.AddQuery(
        "LOOP#:SETPT|SETPOINT",
        withLoop(AnyLoop, [](const Loop& loop, int, const SimRequest&, std::string& reply) {
            reply = Format("%.3f", loop.setpoint);
            return 0;
        }));
    table.AddSet("LOOP#:SETPT|SETPOINT", SimArgument::Required,
                 withLoop(AnyLoop, [this](Loop& loop, int, const SimRequest& request) {
                     const std::optional<double> kelvin = ParseNumber<double>(request.argument);
                     if (!kelvin || !(*kelvin >= MinSetpoint && *kelvin <= MaxSetpoint)) {
                         return static_cast<int>(SimErrorIllegalParameter);
                     }
                     loop.setpoint = *kelvin;
                     Steer(request.now);
                     return 0;
                 }));

    table.AddQuery("LOOP#:NAME", withLoop(AnyLoop, [](const Loop& loop, int, const SimRequest&,
                                                      std::string& reply) {
                       reply = loop.name;
                       return 0;
                   }));
    table.AddSet("LOOP#:NAME", SimArgument::Required,
                 withLoop(AnyLoop, [](Loop& loop, int, const SimRequest& request) {
                     loop.name = request.Text().substr(0, NameLength);
                     return 0;
                 }));

    table.AddQuery("LOOP#:INP|INPUT", withLoop(AnyLoop, [](const Loop& loop, int, const SimRequest&,
                                                           std::string& reply) {
                       reply = std::string(1, static_cast<char>('A' + loop.input));
                       return 0;
                   }));
    table.AddSet("LOOP#:INP|INPUT", SimArgument::Required,
                 withLoop(AnyLoop, [this](Loop& loop, int, const SimRequest& request) {
                     const std::string& letter = request.argument;
                     const int input =
                         letter.size() == 1
                             ? std::toupper(static_cast<unsigned char>(letter[0])) - 'A'
                             : -1;
                     if (input < 0 || input >= inputs_.Count()) {
                         return static_cast<int>(SimErrorIllegalParameter);
                     }
                     loop.input = input;
                     Steer(request.now);
                     return 0;
                 }));
}
