#include "sim/SimInputs.h"

#include "sim/SimCommandTable.h"
#include "sim/SimErrorQueue.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int MaxInputs = 8;

// Cold-stage temperatures a cryostat typically shows, so that each channel
// looks different on a strip chart.
constexpr double StageKelvin[MaxInputs] = {77.35, 4.21, 295.40, 19.85, 1.52, 40.10, 120.75, 9.80};

constexpr double Pi = 3.14159265358979323846;

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// Uniform in [-1, 1], fixed for one input during one tenth of a second.
double Noise(int index, double now) {
    const auto step = static_cast<std::int64_t>(std::floor(now * 10.0));
    const std::uint64_t bits =
        Mix((static_cast<std::uint64_t>(index) << 56) ^ static_cast<std::uint64_t>(step));
    return static_cast<double>(bits >> 11) / static_cast<double>(1ULL << 52) - 1.0;
}

std::string Format(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

} // namespace

CSimInputs::CSimInputs(int inputCount) {
    if (inputCount < 0 || inputCount > MaxInputs) {
        inputCount = inputCount < 0 ? 0 : MaxInputs;
    }
    inputs_.resize(static_cast<std::size_t>(inputCount));
    Reset();
}

void CSimInputs::Reset() {
    for (std::size_t i = 0; i < inputs_.size(); ++i) {
        Input& input = inputs_[i];
        input.name = std::string("Input ") + static_cast<char>('A' + i);
        input.unit = 'K';
        input.baseKelvin = StageKelvin[i];
        input.sensor = i % 2 == 0 ? SensorKind::Diode : SensorKind::Resistor;
    }
}

double CSimInputs::BaseKelvin(int index) const {
    return inputs_.at(static_cast<std::size_t>(index)).baseKelvin;
}

double CSimInputs::Offset(const Input& input, double now) {
    // A clock that went back (a test rewinding it) freezes the lag instead of running it backwards.
    const double elapsed = std::max(0.0, now - input.since);
    return input.target + (input.offset - input.target) * std::exp(-elapsed / PullSeconds);
}

double CSimInputs::Kelvin(int index, double now) const {
    const Input& input = inputs_.at(static_cast<std::size_t>(index));
    // Drift and noise scale with the temperature, so a stage held cold by a loop stays calm.
    const double level = input.baseKelvin + Offset(input, now);
    const double period = 300.0 + 37.0 * index;
    const double drift = (0.002 * level + 0.01) * std::sin(2.0 * Pi * now / period + index);
    const double noise = (0.0002 * level + 0.0005) * Noise(index, now);
    return level + drift + noise;
}

void CSimInputs::Pull(int index, std::optional<double> kelvin, double now) {
    Input& input = inputs_.at(static_cast<std::size_t>(index));
    const double target = kelvin ? *kelvin - input.baseKelvin : 0.0;
    if (target == input.target) {
        return;
    }
    input.offset = Offset(input, now);
    input.since = now;
    input.target = target;
}

std::string CSimInputs::Reading(int index, double now) const {
    const double kelvin = Kelvin(index, now);
    switch (inputs_.at(static_cast<std::size_t>(index)).unit) {
    case 'C':
        return Format(kelvin - 273.15);
    case 'F':
        return Format((kelvin - 273.15) * 1.8 + 32.0);
    case 'S':
        // Volts across a silicon diode, ohms of a resistance thermometer.
        if (inputs_[static_cast<std::size_t>(index)].sensor == SensorKind::Diode) {
            return Format(std::max(0.1, 1.6 - 0.0032 * kelvin));
        }
        return Format(50.0 + 30000.0 / std::max(kelvin, 0.05));
    default:
        return Format(kelvin);
    }
}

int CSimInputs::IndexOf(const std::string& suffix) const {
    if (suffix.size() != 1) {
        return -1;
    }
    const int index = std::toupper(static_cast<unsigned char>(suffix[0])) - 'A';
    return index >= 0 && index < Count() ? index : -1;
}

void CSimInputs::Register(CSimCommandTable& table) {
    // Every "INP x:" handler starts by finding its input. One the model lacks
    // ("INP E:" on a four-input model) is the controller's error: the command
    // is not carried out, a query is not answered (a line with no answered
    // query gets no reply at all), and "SYST:ERR?" reports
    // "-114,Header suffix out of range".
    auto withInput = [this](auto body) {
        return [this, body](const SimRequest& request, auto&... out) {
            const int index = IndexOf(request.suffixes.at(0));
            if (index < 0) {
                return static_cast<int>(SimErrorSuffixOutOfRange);
            }
            return body(inputs_[static_cast<std::size_t>(index)], index, request, out...);
        };
    };

    table.AddQuery(
        "INP|INPUT#:TEMP|TEMPERATURE",
        withInput([this](Input&, int index, const SimRequest& request, std::string& reply) {
            reply = Reading(index, request.now);
            return 0;
        }));
    table.AddQuery("INP|INPUT#:UNIT|UNITS",
                   withInput([](const Input& input, int, const SimRequest&, std::string& reply) {
                       reply = std::string(1, input.unit);
                       return 0;
                   }));
    table.AddSet("INP|INPUT#:UNIT|UNITS", SimArgument::Required,
                 withInput([](Input& input, int, const SimRequest& request) {
                     const std::string& unit = request.argument;
                     const char code = static_cast<char>(
                         std::toupper(static_cast<unsigned char>(unit.empty() ? ' ' : unit[0])));
                     if (unit.size() != 1 ||
                         (code != 'K' && code != 'C' && code != 'F' && code != 'S')) {
                         return static_cast<int>(SimErrorIllegalParameter);
                     }
                     input.unit = code;
                     return 0;
                 }));
    table.AddQuery("INP|INPUT#:NAME",
                   withInput([](const Input& input, int, const SimRequest&, std::string& reply) {
                       reply = input.name;
                       return 0;
                   }));
    table.AddSet("INP|INPUT#:NAME", SimArgument::Required,
                 withInput([](Input& input, int, const SimRequest& request) {
                     // The instrument keeps the first NameLength characters.
                     input.name = request.Text().substr(0, NameLength);
                     return 0;
                 }));
}
