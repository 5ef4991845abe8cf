#pragma once

#include <string>

#include "curves/SensorCurve.h"

namespace pybind11 {
class module_;
}

// tundrix.Curve: a sensor curve as the curve readers fill it and the .crv
// writer writes it.
class CCurve {
public:
    explicit CCurve(SensorCurve curve) : curve_(std::move(curve)) {}

    // Reads a ".crv" file by its name, any other name as the ".340" layout,
    // as "tundrix-cli curve show" does. Raises FileError with the reader's
    // messages, or with the lines marked " **ERROR**" for a file that reads
    // with errors.
    static CCurve Read(const std::string& path);
    // Writes the curve as a ".crv" file, whole or not at all.
    void Write(const std::string& path) const;

    const SensorCurve& Get() const { return curve_; }

private:
    SensorCurve curve_;
};

// Adds tundrix.Curve to the module.
void RegisterCurve(pybind11::module_& module);
