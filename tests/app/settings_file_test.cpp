#include "app/settings_file.hpp"

#include <algorithm>

#include <gtest/gtest.h>

#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using support::readBytes;
using Bytes = std::vector<uint8_t>;

class SettingsFile : public support::TempDirTest {
 protected:
  SettingsLoad load(const Bytes& bytes) {
    dir.write("Gcode.sdc", bytes);
    return readSettings(path, sector.data());
  }
  Bytes sector = Bytes(350000, 0);
  std::string path = dir.file("Gcode.sdc");
};

TEST_F(SettingsFile, Byte7IsTheLanguageAndTheTableTheLowNibblesOfTheBytesThereAre) {
  for (auto [byte7, flag] : {std::pair{0x31, 10}, {0x30, 0}, {0x32, 0}, {0xB1, 0}}) {
    EXPECT_EQ(load(samples::settingsBytes(5, 1000, uint8_t(byte7))).languageFlag, flag) << byte7;
  }
  EXPECT_EQ(Bytes(sector.begin(), sector.begin() + 1000), readBytes(path));
  Bytes bytes(600, 0);  // a short file gives the entries it has
  bytes[512] = 0xA7;
  bytes[599] = 0xFF;
  const NibbleTable table = load(bytes).table;
  EXPECT_EQ(table[0], 7);
  EXPECT_EQ(table[87], 15);
  EXPECT_EQ(std::count(table.begin(), table.end(), 0), 254);
}

TEST_F(SettingsFile, MissingFileIsCreatedEmptyFilesOf32BytesOrLessHoldNothingSaveWritesByte7Only) {
  EXPECT_EQ(readSettings(path, sector.data()).table, NibbleTable{});
  EXPECT_EQ(readBytes(path), Bytes{});
  EXPECT_FALSE(saveLanguage(path, 10).has_value());
  EXPECT_FALSE(saveLanguage(dir.file("other.sdc"), 10).has_value());  // saveLanguage creates nothing
  EXPECT_EQ(dir.names(), std::vector<std::string>{"Gcode.sdc"});
  EXPECT_EQ(readBytes(path), Bytes{});
  Bytes bytes(32, 0x31);
  EXPECT_EQ(load(bytes).languageFlag, 0);
  EXPECT_FALSE(saveLanguage(path, 0).has_value());
  EXPECT_EQ(readBytes(path), bytes);
  bytes.push_back(0x31);  // 33 bytes: the language counts
  EXPECT_EQ(load(bytes).languageFlag, 10);
  ASSERT_FALSE(saveLanguage(path, 3).has_value());  // any flag but 0 is Chinese
  EXPECT_EQ(readBytes(path), bytes);
  ASSERT_FALSE(saveLanguage(path, 0).has_value());
  bytes[7] = 0x30;
  EXPECT_EQ(readBytes(path), bytes);
}

}  // namespace
}  // namespace led2vqn
