#pragma once

#include <string>

// The calculator without its window, for `tundrix-cli vaporix LIQUID PRESSURE
// PUNIT TUNIT`. LIQUID, PUNIT and TUNIT are the texts of the calculator's
// lists, matched without regard to case, or their positions in the lists.
// PRESSURE is refused as the pressure field refuses it.
// Returns 0 with the result text exactly as the dialog shows it in `out`;
// 1 with the message the dialog would show in a box in `error`; 2 with a
// usage error in `error`.
int RunVaporixCommand(const std::string& liquid, const std::string& pressure,
                      const std::string& pressureUnit, const std::string& temperatureUnit,
                      std::string& out, std::string& error);
