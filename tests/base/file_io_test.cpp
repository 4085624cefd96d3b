#include "base/file_io.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using support::readBytes;
using Bytes = std::vector<uint8_t>;
using FileIo = support::TempDirTest;

TEST_F(FileIo, ReadOnlyFileNeverCreatesAndRefusesFoldersAndPipesAtOnce) {
  ReadOnlyFile file;
  EXPECT_TRUE(file.open(dir.file("missing.led")).has_value());
  EXPECT_TRUE(file.open(dir.path()).has_value());
  ASSERT_EQ(::mkfifo(dir.file("pipe.led").c_str(), 0600), 0);
  EXPECT_TRUE(file.open(dir.file("pipe.led")).has_value());  // must not wait for a writer
  EXPECT_EQ(dir.names(), std::vector<std::string>{"pipe.led"});
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
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
  EXPECT_TRUE(AtomicFile().create(dir.file("no/such/folder/out.vqn")).has_value());
}

}  // namespace
}  // namespace led2vqn
