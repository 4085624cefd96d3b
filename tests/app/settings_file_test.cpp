#include "app/settings_file.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using support::readBytes;
using Bytes = std::vector<uint8_t>;

class SettingsFile : public support::TempDirTest {
 protected:
  Bytes sector = Bytes(350000, 0);
  std::string path = dir.file("Gcode.sdc");
};

TEST_F(SettingsFile, ReadsLanguageAndTable) {
  dir.write("Gcode.sdc", samples::settingsBytes(5, 1000, 0x31));
  const SettingsLoad load = ReadCF(path, sector.data());
  EXPECT_EQ(load.languageFlag, 10);
  EXPECT_EQ(load.table, samples::nibbleTable(5));
  EXPECT_EQ(Bytes(sector.begin(), sector.begin() + 1000), readBytes(path));

  for (uint8_t other : {0x30, 0x00, 0x32, 0xB1}) {
    dir.write("Gcode.sdc", samples::settingsBytes(5, 1000, other));
    EXPECT_EQ(ReadCF(path, sector.data()).languageFlag, 0) << int{other};
  }
}

TEST_F(SettingsFile, TableEntriesAreLowNibbles) {
  Bytes bytes(1000, 0);
  bytes[512] = 0xA7;
  bytes[767] = 0xFF;
  bytes[768] = 0x05;  // past the table
  dir.write("Gcode.sdc", bytes);
  const SettingsLoad load = ReadCF(path, sector.data());
  EXPECT_EQ(load.table[0], 7);
  EXPECT_EQ(load.table[255], 15);
  EXPECT_EQ(load.table[1], 0);
}

TEST_F(SettingsFile, MissingFileIsCreatedEmptyAndNeverWritten) {
  const SettingsLoad load = ReadCF(path, sector.data());
  EXPECT_EQ(load.languageFlag, 0);
  EXPECT_EQ(load.table, NibbleTable{});
  EXPECT_EQ(readBytes(path), Bytes{});

  EXPECT_FALSE(SaveYYV(path, 10).has_value());
  EXPECT_EQ(readBytes(path), Bytes{});

  EXPECT_FALSE(SaveYYV(dir.file("other.sdc"), 10).has_value());  // SaveYYV creates nothing
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"Gcode.sdc"}));

  ReadCF(dir.file("no/folder/Gcode.sdc"), sector.data());  // cannot be created: ignored
}

TEST_F(SettingsFile, FilesOf32BytesOrLessHoldNothing) {
  Bytes bytes(32, 0x31);
  dir.write("Gcode.sdc", bytes);
  const SettingsLoad load = ReadCF(path, sector.data());
  EXPECT_EQ(load.languageFlag, 0);
  EXPECT_FALSE(SaveYYV(path, 0).has_value());
  EXPECT_EQ(readBytes(path), bytes);

  bytes.push_back(0x31);  // 33 bytes: the language is read and written
  dir.write("Gcode.sdc", bytes);
  EXPECT_EQ(ReadCF(path, sector.data()).languageFlag, 10);
  EXPECT_EQ(ReadCF(path, sector.data()).table, NibbleTable{});
  EXPECT_FALSE(SaveYYV(path, 0).has_value());
  EXPECT_EQ(readBytes(path)[7], 0x30);
}

TEST_F(SettingsFile, ShortFileGivesTheEntriesItHas) {
  const Bytes bytes = samples::settingsBytes(9, 600, 0x31);
  dir.write("Gcode.sdc", bytes);
  const SettingsLoad load = ReadCF(path, sector.data());
  EXPECT_EQ(load.languageFlag, 10);
  const NibbleTable full = samples::nibbleTable(9);
  for (int j = 0; j < 256; ++j) EXPECT_EQ(load.table[j], j < 88 ? full[j] : 0) << j;
}

TEST_F(SettingsFile, SaveWritesOnlyTheLanguageByte) {
  const Bytes original = samples::settingsBytes(2, 1000, 0x31);
  dir.write("Gcode.sdc", original);
  ASSERT_FALSE(SaveYYV(path, 0).has_value());
  Bytes expected = original;
  expected[7] = 0x30;
  EXPECT_EQ(readBytes(path), expected);

  ASSERT_FALSE(SaveYYV(path, 10).has_value());
  expected[7] = 0x31;
  EXPECT_EQ(readBytes(path), expected);
  ASSERT_FALSE(SaveYYV(path, 3).has_value());  // any flag but 0 is Chinese
  EXPECT_EQ(readBytes(path), expected);
}

TEST_F(SettingsFile, ReadOnlyFileIsReadButCannotBeWritten) {
  dir.write("Gcode.sdc", samples::settingsBytes(2, 1000, 0x31));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(ReadCF(path, sector.data()).languageFlag, 10);
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  EXPECT_TRUE(SaveYYV(path, 0).has_value());
  EXPECT_EQ(readBytes(path)[7], 0x31);
}

}  // namespace
}  // namespace led2vqn
