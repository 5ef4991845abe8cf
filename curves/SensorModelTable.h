#pragma once

#include <span>
#include <string_view>

// Sensor models of ".340" files and the sensor types the instrument knows them by.
struct SensorModelRow {
    const char* model;
    int compared; // the number of leading characters of `model` that must match
    const char* type;
};

std::span<const SensorModelRow> SensorModelTable();
// The type of the first row whose model prefix begins `upperModel` (an
// upper-cased model text); null when no row matches.
const char* SensorTypeOfModel(std::string_view upperModel);
