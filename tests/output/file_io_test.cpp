#include "output/file_io.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using support::readBytes;
using Bytes = std::vector<uint8_t>;

class FileIo : public support::TempDirTest {};

TEST_F(FileIo, ReadOnlyFileNeverCreatesAFile) {
  ReadOnlyFile file;
  EXPECT_TRUE(file.open(dir.file("missing.led")).has_value());
  EXPECT_FALSE(file.isOpen());
  EXPECT_TRUE(dir.names().empty());
  EXPECT_FALSE(fileExists(dir.file("missing.led")));
}

TEST_F(FileIo, ReadOnlyFileReadsAFileThatMayNotBeWritten) {
  const std::string path = dir.write("ro.led", Bytes{1, 2, 3, 4, 5});
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  ReadOnlyFile file;
  ASSERT_FALSE(file.open(path).has_value());
  uint64_t size = 0;
  ASSERT_FALSE(file.size(size).has_value());
  EXPECT_EQ(size, 5u);

  uint8_t buf[8] = {};
  EXPECT_FALSE(file.readAt(1, buf, 3).has_value());
  EXPECT_EQ(Bytes(buf, buf + 3), (Bytes{2, 3, 4}));
  EXPECT_TRUE(file.readAt(3, buf, 3).has_value());  // ends one byte short

  std::size_t got = 99;
  EXPECT_FALSE(file.readSomeAt(3, buf, 8, got).has_value());
  EXPECT_EQ(got, 2u);
  EXPECT_FALSE(file.readSomeAt(50, buf, 8, got).has_value());
  EXPECT_EQ(got, 0u);
}

TEST_F(FileIo, ReadOnlyFileRefusesFoldersAndPipesAtOnce) {
  ReadOnlyFile file;
  EXPECT_TRUE(file.open(dir.path()).has_value());
  const std::string fifo = dir.file("pipe.led");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(file.open(fifo).has_value());  // must not wait for a writer
  EXPECT_FALSE(fileExists(fifo));
  EXPECT_FALSE(fileExists(dir.path()));
}

TEST_F(FileIo, AtomicFileAppearsOnlyOnCommit) {
  const std::string target = dir.file("out.vqn");
  AtomicFile out;
  ASSERT_FALSE(out.create(target).has_value());
  const Bytes head{9, 9, 9};
  ASSERT_FALSE(out.append(head.data(), head.size()).has_value());
  ASSERT_FALSE(out.writeAt(6, head.data(), 2).has_value());  // grows the file, leaving a gap
  ASSERT_FALSE(out.append(head.data(), 1).has_value());
  EXPECT_FALSE(fileExists(target));
  ASSERT_FALSE(out.commit().has_value());
  EXPECT_EQ(readBytes(target), (Bytes{9, 9, 9, 0, 0, 0, 9, 9, 9}));
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"out.vqn"}));

  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST_F(FileIo, AbandonedAtomicFileLeavesTheOldFile) {
  const std::string target = dir.write("out.vqn", Bytes{1, 2, 3, 4, 5, 6});
  {
    AtomicFile out;
    ASSERT_FALSE(out.create(target).has_value());
    const Bytes part{7};
    ASSERT_FALSE(out.append(part.data(), part.size()).has_value());
  }
  EXPECT_EQ(readBytes(target), (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"out.vqn"}));

  AtomicFile shorter;  // a committed file replaces the old one whole
  ASSERT_FALSE(shorter.create(target).has_value());
  const Bytes two{8, 8};
  ASSERT_FALSE(shorter.append(two.data(), two.size()).has_value());
  ASSERT_FALSE(shorter.commit().has_value());
  EXPECT_EQ(readBytes(target), two);
}

TEST_F(FileIo, AtomicFileInAMissingFolderFails) {
  AtomicFile out;
  const auto error = out.create(dir.file("no/such/folder/out.vqn"));
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->text.find("out.vqn"), std::string::npos);
}

}  // namespace
}  // namespace led2vqn
