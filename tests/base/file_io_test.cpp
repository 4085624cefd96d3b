#include "base/file_io.hpp"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using support::readBytes;
using Bytes = std::vector<uint8_t>;
using FileIo = support::TempDirTest;

TEST_F(FileIo, ReadOnlyFileNeverCreatesAndRefusesFolders) {
  ReadOnlyFile file;
  EXPECT_TRUE(file.open(dir.file("missing.led")).has_value());
  EXPECT_TRUE(file.open(dir.path()).has_value());
  EXPECT_TRUE(dir.names().empty());
  ASSERT_FALSE(file.open(dir.write("five.led", Bytes{1, 2, 3, 4, 5})).has_value());
  uint8_t buf[8] = {};
  EXPECT_TRUE(file.readAt(3, buf, 3).has_value());  // one byte short is an error
  std::size_t got = 99;
  EXPECT_FALSE(file.readSomeAt(3, buf, 8, got).has_value());
  EXPECT_EQ(got, 2u);
}

TEST_F(FileIo, AtomicFileReplacesTheTargetWholeOnlyOnCommit) {
  const std::string target = dir.write("out.vqn", Bytes(11, 1));
  const Bytes nine{9, 9, 9};
  {
    AtomicFile abandoned;
    ASSERT_FALSE(abandoned.create(target).has_value());
    ASSERT_FALSE(abandoned.append(nine.data(), 3).has_value());
  }
  EXPECT_EQ(readBytes(target), Bytes(11, 1));
  EXPECT_EQ(dir.names(), std::vector<std::string>{"out.vqn"});
  AtomicFile out;
  ASSERT_FALSE(out.create(target).has_value());
  ASSERT_FALSE(out.append(nine.data(), 3).has_value());
  ASSERT_FALSE(out.writeAt(6, nine.data(), 2).has_value());  // past the end: leaves a gap of zeros
  ASSERT_FALSE(out.append(nine.data(), 1).has_value());
  EXPECT_EQ(readBytes(target), Bytes(11, 1));
  ASSERT_FALSE(out.commit().has_value());
  EXPECT_EQ(readBytes(target), (Bytes{9, 9, 9, 0, 0, 0, 9, 9, 9}));
  EXPECT_EQ(dir.names(), std::vector<std::string>{"out.vqn"});
  EXPECT_TRUE(AtomicFile().create(dir.file("no/such/folder/out.vqn")).has_value());
}

// Windows protects a read-only file from replacement: the card is refused
// and kept. POSIX systems replace it (the folder decides there).
TEST_F(FileIo, ReadOnlyTargetIsReplacedOnlyWhereTheSystemAllowsIt) {
  const std::string target = dir.write("old.vqn", Bytes(4, 1));
  std::filesystem::permissions(target, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                           std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  const Bytes two{2, 2};
  AtomicFile out;
  ASSERT_FALSE(out.create(target).has_value());
  ASSERT_FALSE(out.append(two.data(), 2).has_value());
  const std::optional<IoError> refused = out.commit();
  const bool windows = platform::kSeparator == '\\';
  EXPECT_EQ(refused.has_value(), windows);
  EXPECT_EQ(readBytes(target), windows ? Bytes(4, 1) : two);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"old.vqn"});
}

}  // namespace
}  // namespace led2vqn
