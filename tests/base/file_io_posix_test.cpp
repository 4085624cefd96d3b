// What only POSIX systems have: FIFOs and file modes.
#include "base/file_io.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using Bytes = std::vector<uint8_t>;
using PosixFileIo = support::TempDirTest;

TEST_F(PosixFileIo, ReadOnlyFileRefusesAPipeWithoutWaitingForAWriter) {
  ASSERT_EQ(::mkfifo(dir.file("pipe.led").c_str(), 0600), 0);
  EXPECT_TRUE(ReadOnlyFile().open(dir.file("pipe.led")).has_value());
  EXPECT_EQ(dir.names(), std::vector<std::string>{"pipe.led"});
}

TEST_F(PosixFileIo, CommittedFileGetsTheModeAnyNewFileGets) {
  const std::string target = dir.file("out.vqn");
  AtomicFile out;
  ASSERT_FALSE(out.create(target).has_value());
  ASSERT_FALSE(out.commit().has_value());
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

}  // namespace
}  // namespace led2vqn
