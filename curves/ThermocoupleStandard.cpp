#include "curves/ThermocoupleStandard.h"

#include <array>
#include <cmath>
#include <span>

namespace {

constexpr double ZeroCelsius = 273.15;

// One piece of a reference function: E = sum c[i] * t^i (t in °C, E in mV)
// from `fromCelsius` up to `toCelsius`.
struct EmfPiece {
    double fromCelsius;
    double toCelsius;
    std::span<const double> c;
};

struct TypeData {
    ThermocoupleType type;
    std::string_view letter;
    std::span<const EmfPiece> pieces;
};

// Coefficients: NIST Monograph 175 (1993), ITS-90 thermocouple reference
// functions, lowest power first.

constexpr std::array<double, 14> ELow{
    0.0,
    0.586655087080e-01,
    0.454109771240e-04,
    -0.779980486860e-06,
    -0.258001608430e-07,
    -0.594525830570e-09,
    -0.932140586670e-11,
    -0.102876055340e-12,
    -0.803701236210e-15,
    -0.439794973910e-17,
    -0.164147763550e-19,
    -0.396736195160e-22,
    -0.558273287210e-25,
    -0.346578420130e-28,
};
constexpr std::array<double, 11> EHigh{
    0.0,
    0.586655087100e-01,
    0.450322755820e-04,
    0.289084072120e-07,
    -0.330568966520e-09,
    0.650244032700e-12,
    -0.191974955040e-15,
    -0.125366004970e-17,
    0.214892175690e-20,
    -0.143880417820e-23,
    0.359608994810e-27,
};
constexpr std::array<EmfPiece, 2> EPieces{{{-270.0, 0.0, ELow}, {0.0, 1000.0, EHigh}}};

constexpr std::array<double, 9> JLow{
    0.0,
    0.503811878150e-01,
    0.304758369300e-04,
    -0.856810657200e-07,
    0.132281952950e-09,
    -0.170529583370e-12,
    0.209480906970e-15,
    -0.125383953360e-18,
    0.156317256970e-22,
};
constexpr std::array<double, 6> JHigh{
    0.296456256810e+03,  -0.149761277860e+01, 0.317871039240e-02,
    -0.318476867010e-05, 0.157208190040e-08,  -0.306913690560e-12,
};
constexpr std::array<EmfPiece, 2> JPieces{{{-210.0, 760.0, JLow}, {760.0, 1200.0, JHigh}}};

constexpr std::array<double, 11> KLow{
    0.0,
    0.394501280250e-01,
    0.236223735980e-04,
    -0.328589067840e-06,
    -0.499048287770e-08,
    -0.675090591730e-10,
    -0.574103274280e-12,
    -0.310888728940e-14,
    -0.104516093650e-16,
    -0.198892668780e-19,
    -0.163226974860e-22,
};
constexpr std::array<double, 10> KHigh{
    -0.176004136860e-01, 0.389212049750e-01,  0.185587700320e-04, -0.994575928740e-07,
    0.318409457190e-09,  -0.560728448890e-12, 0.560750590590e-15, -0.320207200030e-18,
    0.971511471520e-22,  -0.121047212750e-25,
};
// Type K above 0 °C adds a0 * exp(a1 * (t - a2)^2).
constexpr double KA0 = 0.118597600000e+00;
constexpr double KA1 = -0.118343200000e-03;
constexpr double KA2 = 0.126968600000e+03;
constexpr std::array<EmfPiece, 2> KPieces{{{-270.0, 0.0, KLow}, {0.0, 1372.0, KHigh}}};

constexpr std::array<double, 9> NLow{
    0.0,
    0.261591059620e-01,
    0.109574842280e-04,
    -0.938411115540e-07,
    -0.464120397590e-10,
    -0.263033577160e-11,
    -0.226534380030e-13,
    -0.760893007910e-16,
    -0.934196678350e-19,
};
constexpr std::array<double, 11> NHigh{
    0.0,
    0.259293946010e-01,
    0.157101418800e-04,
    0.438256272370e-07,
    -0.252611697940e-09,
    0.643118193390e-12,
    -0.100634715190e-14,
    0.997453389920e-18,
    -0.608632456070e-21,
    0.208492293390e-24,
    -0.306821961510e-28,
};
constexpr std::array<EmfPiece, 2> NPieces{{{-270.0, 0.0, NLow}, {0.0, 1300.0, NHigh}}};

constexpr std::array<double, 15> TLow{
    0.0,
    0.387481063640e-01,
    0.441944343470e-04,
    0.118443231050e-06,
    0.200329735540e-07,
    0.901380195590e-09,
    0.226511565930e-10,
    0.360711542050e-12,
    0.384939398830e-14,
    0.282135219250e-16,
    0.142515947790e-18,
    0.487686622860e-21,
    0.107955392700e-23,
    0.139450270620e-26,
    0.797951539270e-30,
};
constexpr std::array<double, 9> THigh{
    0.0,
    0.387481063640e-01,
    0.332922278800e-04,
    0.206182434040e-06,
    -0.218822568460e-08,
    0.109968809280e-10,
    -0.308157587720e-13,
    0.454791352900e-16,
    -0.275129016730e-19,
};
constexpr std::array<EmfPiece, 2> TPieces{{{-270.0, 0.0, TLow}, {0.0, 400.0, THigh}}};

constexpr std::array<double, 10> RLow{
    0.0,
    0.528961729765e-02,
    0.139166589782e-04,
    -0.238855693017e-07,
    0.356916001063e-10,
    -0.462347666298e-13,
    0.500777441034e-16,
    -0.373105886191e-19,
    0.157716482367e-22,
    -0.281038625251e-26,
};
constexpr std::array<double, 6> RMiddle{
    0.295157925316e+01,  -0.252061251332e-02, 0.159564501865e-04,
    -0.764085947576e-08, 0.205305291024e-11,  -0.293359668173e-15,
};
constexpr std::array<double, 5> RHigh{
    0.152232118209e+03,  -0.268819888545e+00, 0.171280280471e-03,
    -0.345895706453e-07, -0.934633971046e-14,
};
constexpr std::array<EmfPiece, 3> RPieces{
    {{-50.0, 1064.18, RLow}, {1064.18, 1664.5, RMiddle}, {1664.5, 1768.1, RHigh}}};

constexpr std::array<double, 9> SLow{
    0.0,
    0.540313308631e-02,
    0.125934289740e-04,
    -0.232477968689e-07,
    0.322028823036e-10,
    -0.331465196389e-13,
    0.255744251786e-16,
    -0.125068871393e-19,
    0.271443176145e-23,
};
constexpr std::array<double, 5> SMiddle{
    0.132900444085e+01,  0.334509311344e-02, 0.654805192818e-05,
    -0.164856259209e-08, 0.129989605174e-13,
};
constexpr std::array<double, 5> SHigh{
    0.146628232636e+03,  -0.258430516752e+00, 0.163693574641e-03,
    -0.330439046987e-07, -0.943223690612e-14,
};
constexpr std::array<EmfPiece, 3> SPieces{
    {{-50.0, 1064.18, SLow}, {1064.18, 1664.5, SMiddle}, {1664.5, 1768.1, SHigh}}};

constexpr std::array<double, 7> BLow{
    0.0,
    -0.246508183460e-03,
    0.590404211710e-05,
    -0.132579316360e-08,
    0.156682919010e-11,
    -0.169445292400e-14,
    0.629903470940e-18,
};
constexpr std::array<double, 9> BHigh{
    -0.389381686210e+01, 0.285717474700e-01,  -0.848851047850e-04,
    0.157852801640e-06,  -0.168353448640e-09, 0.111097940130e-12,
    -0.445154310330e-16, 0.989756408210e-20,  -0.937913302890e-24,
};
constexpr std::array<EmfPiece, 2> BPieces{{{0.0, 630.615, BLow}, {630.615, 1820.0, BHigh}}};

constexpr std::array<TypeData, 8> Types{{
    {ThermocoupleType::E, "E", EPieces},
    {ThermocoupleType::J, "J", JPieces},
    {ThermocoupleType::K, "K", KPieces},
    {ThermocoupleType::N, "N", NPieces},
    {ThermocoupleType::T, "T", TPieces},
    {ThermocoupleType::R, "R", RPieces},
    {ThermocoupleType::S, "S", SPieces},
    {ThermocoupleType::B, "B", BPieces},
}};

// DataOf looks a type up by its place in the table.
constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < Types.size(); ++i)
        if (static_cast<std::size_t>(Types[i].type) != i)
            return false;
    return true;
}
static_assert(InEnumOrder(), "the types are listed in the order of ThermocoupleType");

const TypeData& DataOf(ThermocoupleType type) {
    return Types[static_cast<std::size_t>(type)];
}

double Polynomial(std::span<const double> c, double t) {
    double sum = 0.0;
    for (auto it = c.rbegin(); it != c.rend(); ++it)
        sum = sum * t + *it;
    return sum;
}

} // namespace

ThermocoupleRange RangeOf(ThermocoupleType type) {
    const auto pieces = DataOf(type).pieces;
    return {pieces.front().fromCelsius + ZeroCelsius, pieces.back().toCelsius + ZeroCelsius};
}

std::string_view LetterOf(ThermocoupleType type) {
    return DataOf(type).letter;
}

double ThermocoupleEmf(ThermocoupleType type, double kelvin) {
    const double t = kelvin - ZeroCelsius;
    const auto pieces = DataOf(type).pieces;
    std::size_t i = 0;
    while (i + 1 < pieces.size() && t > pieces[i].toCelsius)
        ++i;
    double emf = Polynomial(pieces[i].c, t);
    if (type == ThermocoupleType::K && t > 0.0)
        emf += KA0 * std::exp(KA1 * (t - KA2) * (t - KA2));
    return emf;
}
