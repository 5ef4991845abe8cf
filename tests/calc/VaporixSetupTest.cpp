#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "calc/VaporixSetup.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Texts = std::vector<std::string>;
const Bytes Zeros(16, 0);

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class SetupFile : public ::testing::Test {
protected:
    CVaporixSetup& Load(const std::string& path) {
        setup_ = std::make_unique<CVaporixSetup>(
            path, [this](const std::string& message) { messages_.push_back(message); });
        setup_->Load();
        return *setup_;
    }

    TempDir dir_;
    std::string path_ = dir_.File("Vaporix.dat");
    Texts messages_;
    std::unique_ptr<CVaporixSetup> setup_;
};

} // namespace

TEST_F(SetupFile, AMissingFileIsCreatedWithZerosAndKeepsTheChoices) {
    // On a fresh account the folder is missing too.
    const std::string path = dir_.File("config/Arktronic/Vaporix.dat");
    CVaporixSetup& setup = Load(path);
    EXPECT_EQ(Zeros, ReadBytes(path));
    setup.Indices() = {3, 2, 2}; // Nitrogen, ATM, F
    setup.Save();
    EXPECT_EQ(Bytes({7, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0}), ReadBytes(path));

    const SetupIndices stored = Load(path).Indices();
    EXPECT_EQ(3, stored.liquid);
    EXPECT_EQ(2, stored.pressureUnit);
    EXPECT_EQ(2, stored.temperatureUnit);
    EXPECT_EQ(Texts(), messages_);
}

TEST_F(SetupFile, AnInvalidRecordIsRewrittenWithZerosSilently) {
    const Bytes badChecksum{8, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0};
    const Bytes tooShort{7, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0};
    for (const Bytes& stored : {badChecksum, tooShort, Bytes{}}) {
        WriteBytes(path_, stored);
        EXPECT_EQ(0, Load(path_).Indices().liquid);
        EXPECT_EQ(Zeros, ReadBytes(path_));
    }
    // A valid record of indices outside their lists (5 and -1) reads as 0 there.
    WriteBytes(path_, {0x02, 0x04, 0, 0, 5, 0, 0, 0, 1, 0, 0, 0, 0xff, 0xff, 0xff, 0xff});
    const SetupIndices read = Load(path_).Indices();
    EXPECT_EQ(0, read.liquid);
    EXPECT_EQ(1, read.pressureUnit);
    EXPECT_EQ(0, read.temperatureUnit);
    EXPECT_EQ(Texts(), messages_);
}

TEST_F(SetupFile, AFileThatCannotBeOpenedMakesEverySaveFail) {
    // A folder in the file's place (root cannot open it either).
    std::filesystem::create_directory(path_);
    CVaporixSetup& setup = Load(path_);
    setup.Save();
    setup.Save();
    // A pipe in its place would hang the calculator on its first read.
    const std::string pipe = dir_.File("pipe");
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    EXPECT_FALSE(Load(pipe).IsOpen());
    EXPECT_EQ(Texts({"Failed to open setup file.", "Failed to save setup data.",
                     "Failed to save setup data.", "Failed to open setup file."}),
              messages_);
}
