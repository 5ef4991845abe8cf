#include "curves/SensorModelTable.h"

#include <string_view>

namespace {

// The second CX-1050 row is never reached: the first one wins.
constexpr SensorModelRow Rows[] = {
    {"DT-470", 6, "Diode"},    {"DT-670", 6, "Diode"},    {"DT-421", 6, "Diode"},
    {"PT-103", 6, "R312R1MA"}, {"CX-1050", 7, "R8K10UA"}, {"RX-102", 6, "ACR"},
    {"RX-202", 6, "ACR"},      {"RX-103", 6, "ACR"},      {"CX-1030", 7, "ACR"},
    {"CX-1020", 7, "ACR"},     {"CX-1050", 7, "ACR"},     {"CX-1070", 7, "ACR"},
    {"CX-1080", 7, "ACR"},     {"AUFE", 4, "TC80"},
};

} // namespace

std::span<const SensorModelRow> SensorModelTable() {
    return Rows;
}

const char* SensorTypeOfModel(std::string_view upperModel) {
    for (const auto& row : Rows) {
        std::string_view prefix =
            std::string_view(row.model).substr(0, static_cast<std::size_t>(row.compared));
        if (upperModel.starts_with(prefix))
            return row.type;
    }
    return nullptr;
}
