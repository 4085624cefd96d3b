#include "input/program_reader.hpp"

#include <unistd.h>

#include <gtest/gtest.h>

#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using Bytes = std::vector<uint8_t>;

// A program file to generate (4 ports, 2 frames of 3072 bytes unless changed).
struct Program : samples::ProgramSpec {
  Program& with(int ports, int32_t frameLength, int frames = 0, std::size_t partial = 0) {
    this->ports = ports, this->frameLength = frameLength, this->frames = frames, this->partial = partial;
    return *this;
  }
};

class ProgramReader : public support::TempDirTest {
 protected:
  const NibbleTable table = samples::nibbleTable(3);
  Bytes header = Bytes(kMaxFrameLength, 0xEE);

  ReadOutcome read(const std::string& path) { return readProgramFile(path, table, header.data()); }
  ReadOutcome read(const samples::ProgramSpec& program) {
    return read(dir.write("x.led", samples::programBytes(table, program)));
  }
  ProgramInfo info(const samples::ProgramSpec& program) {
    return read(program).info.value_or(ProgramInfo{-1, -1, -1, -1});
  }
};

TEST_F(ProgramReader, DerivesFramesPortsPixelsAndFrameLength) {
  const Bytes file = samples::programBytes(table, Program{});
  EXPECT_EQ(read(dir.write("spring.led", file)).info, (ProgramInfo{2, 4, 1024, 3072}));  // 256 pixels a port
  EXPECT_EQ(Bytes(header.begin(), header.begin() + 512), Bytes(file.begin(), file.begin() + 512));
  EXPECT_EQ(header[512], 0xEE);  // nothing beyond the header sector
  EXPECT_EQ(info(Program().with(1, 196608)).pixels, 16000);  // capped at 16000 a port
  EXPECT_EQ(info(Program().with(5, 196608)).pixels, 13107 * 5);
  EXPECT_EQ(info(Program().with(1, 2048, 2, 2047)).frames, 2);  // only whole frames count
  EXPECT_EQ(info(Program().with(1, 2048, 0, 0)).frames, 0);
  EXPECT_EQ(info(Program().with(1, 349952)).frameLength, 349952);
  const std::string path = dir.write("huge.led", samples::programBytes(table, Program().with(1, 256)));
  if (::truncate(path.c_str(), 512 + (off_t{1} << 39)) != 0) GTEST_SKIP() << "no sparse file of 512 GiB here";
  EXPECT_EQ(read(path).info->frames, INT32_MAX);  // 2^31 frames of 256 bytes
}

TEST_F(ProgramReader, MissingFilesAreShortFilesNeverCreatedAFolderIsAnError) {
  for (const std::string& path : {dir.file("missing.led"), dir.file("no/folder/missing.led"), std::string()}) {
    EXPECT_EQ(read(path).refusal, ReaderRefusal::kOpenFile) << path;
  }
  EXPECT_TRUE(dir.names().empty());
  EXPECT_TRUE(read(dir.path()).error.has_value());
}

}  // namespace
}  // namespace led2vqn
