#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The calculator's three choices, positions in its lists.
struct SetupIndices {
    std::int32_t liquid = 0;
    std::int32_t pressureUnit = 0;
    std::int32_t temperatureUnit = 0;
};

// "Vaporix.dat", which remembers the three choices between runs: 16 bytes,
// little-endian, no header:
//   0  uint32  checksum: sum of the 12 bytes at offsets 4..15, each unsigned
//   4  int32   liquid index
//   8  int32   pressure unit index
//   12 int32   temperature unit index
// A new file holds 16 zero bytes. The file is kept open from Load until Close,
// and every problem is reported through `report` as a plain message; none stops
// the calculator, whose lists then start at 0.
class CVaporixSetup {
public:
    using Reporter = std::function<void(const std::string& message)>;

    CVaporixSetup(std::string path, Reporter report);
    ~CVaporixSetup();
    CVaporixSetup(const CVaporixSetup&) = delete;
    CVaporixSetup& operator=(const CVaporixSetup&) = delete;

    // Opens the file and reads the stored choices: a missing file is created,
    // one that does not hold a valid record is rewritten with zeros (silently
    // unless reading failed). An index outside its list reads as 0.
    void Load();
    // Writes the current choices with their checksum over the start of the file.
    void Save();
    void Close();

    bool IsOpen() const { return fd_ >= 0; }
    SetupIndices& Indices() { return indices_; }
    const std::string& Path() const { return path_; }

private:
    // Opens the file anew, truncated, and writes the default record. `missing`
    // tells whether it replaces a file that was not there, for the message.
    void Create(bool missing);

    std::string path_;
    Reporter report_;
    int fd_ = -1;
    SetupIndices indices_;
};

// $XDG_CONFIG_HOME/Arktronic/Vaporix.dat, by default ~/.config/Arktronic/Vaporix.dat.
std::string VaporixSetupPath();
