#include "calc/VaporixSetup.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "calc/BoilingTemperature.h"

namespace {

constexpr std::size_t RecordSize = 16;
using Record = std::array<unsigned char, RecordSize>;

void PutInt32(Record& record, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t GetInt32(const Record& record, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= std::uint32_t(record[offset + i]) << (8 * i);
    return value;
}

std::uint32_t Checksum(const Record& record) {
    std::uint32_t sum = 0;
    for (std::size_t i = 4; i < RecordSize; ++i)
        sum += record[i];
    return sum;
}

Record Encode(const SetupIndices& indices) {
    Record record{};
    PutInt32(record, 4, std::uint32_t(indices.liquid));
    PutInt32(record, 8, std::uint32_t(indices.pressureUnit));
    PutInt32(record, 12, std::uint32_t(indices.temperatureUnit));
    PutInt32(record, 0, Checksum(record));
    return record;
}

std::int32_t InList(std::uint32_t stored, std::size_t listSize) {
    return stored < listSize ? std::int32_t(stored) : 0;
}

bool WriteRecord(int fd, const Record& record) {
    return ::pwrite(fd, record.data(), record.size(), 0) == ssize_t(record.size());
}

} // namespace

CVaporixSetup::CVaporixSetup(std::string path, Reporter report)
    : path_(std::move(path)), report_(std::move(report)) {}

CVaporixSetup::~CVaporixSetup() {
    Close();
}

void CVaporixSetup::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void CVaporixSetup::Load() {
    Close();
    indices_ = {};
    // Without O_NONBLOCK a FIFO put in the file's place would hang the calculator here.
    fd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0 && errno == ENOENT) {
        Create(true);
        return;
    }
    struct stat info {};
    if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)))
        Close();
    if (fd_ < 0) {
        report_("Failed to open setup file.");
        return;
    }

    Record record{};
    const ssize_t got = ::pread(fd_, record.data(), record.size(), 0);
    if (got < 0)
        report_("Failed to read setup data from file.");
    // A short file cannot hold a valid record: it is rewritten like a bad checksum.
    if (got != ssize_t(record.size()) || GetInt32(record, 0) != Checksum(record)) {
        Close();
        Create(false);
        return;
    }
    indices_.liquid = InList(GetInt32(record, 4), LiquidNames.size());
    indices_.pressureUnit = InList(GetInt32(record, 8), PressureUnitNames.size());
    indices_.temperatureUnit = InList(GetInt32(record, 12), TemperatureUnitNames.size());
}

void CVaporixSetup::Create(bool missing) {
    Close();
    indices_ = {};
    if (missing) {
        // The file's folder may not exist yet on a fresh account.
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
    }
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd_ < 0) {
        report_(missing ? "Failed to create setup file" : "Unable to create setup file");
        return;
    }
    if (!WriteRecord(fd_, Record{}))
        report_("Failed to write default data in new setup data file");
}

void CVaporixSetup::Save() {
    if (fd_ < 0 || !WriteRecord(fd_, Encode(indices_)))
        report_("Failed to save setup data.");
}

std::string VaporixSetupPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/Arktronic/Vaporix.dat";
}
