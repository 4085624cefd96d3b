#include "output/card_writer.hpp"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>

#include "support/child_process.hpp"
#endif

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "support/hosts.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

using Kind = WriteResult::Kind;
using CardWriterTest = support::TempDirTest;

std::vector<uint8_t> digestOf(const EngineState& state) {
  const uint64_t digest = support::stateDigest(state);
  return std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(&digest), reinterpret_cast<const uint8_t*>(&digest + 1));
}

// Rows with 1 .. 8 ports, the "2 ports" box, pixel counts far past the
// frame (normalisation reaches past it) or short of it, and a file shorter
// than its row says (for Z71 RGBW after its companion frame).
support::TestHost programRows(const support::TempDir& dir) {
  support::TestHost host;
  host.rows = {support::writeProgram(dir, "eight.led", 8, 3072, 9), support::writeProgram(dir, "one.led", 1, 1024, 7),
               support::writeProgram(dir, "four.led", 4, 3072, 9), support::writeProgram(dir, "two.led", 2, 1024, 9),
               support::writeProgram(dir, "short.led", 4, 3072, 6), support::writeProgram(dir, "six.led", 6, 2000, 5)};
  host.twoPortRow = 3;
  host.rows[3].pixels = "2000";
  host.rows[4].frames = "9";
  host.rows[5].pixels = "700";
  return host;
}

using Outputs = std::vector<std::vector<uint8_t>>;

// Two batches of every model over those rows, and a cancel, written with
// `slots` writer slots: each card (or its error), the state after a card
// that did not end whole and at the end of each batch.
Outputs session(support::TestHost host, int slots) {
  EngineState state;
  state.writerSlots = slots;
  Outputs out;
  auto convert = [&](OutputKind kind, int row) {
    const WriteResult r = writeCard(state, kind, row, host);
    out.push_back(r.kind == Kind::kWritten ? support::readBytes(r.cardPath) : std::vector<uint8_t>(r.error.begin(), r.error.end()));
    if (r.kind != Kind::kWritten) out.push_back(digestOf(state));
  };
  for (int batch = 1; batch <= 2; ++batch) {
    state.fillBatchFiller();
    if (batch == 2) {
      host.cancelAt = 5;
      convert(OutputKind::kZ36, 1);
      host.cancelAt = 0;
    }
    for (OutputKind kind : {OutputKind::kZ71Rgb, OutputKind::kJ9, OutputKind::kZ58, OutputKind::kZ71Rgbw,
                            OutputKind::kZ94, OutputKind::kZ6, OutputKind::kZ36}) {
      for (int row = 1; row <= 6; ++row) {
        if (kind != OutputKind::kZ71Rgbw || row % 2 == 1) convert(kind, row);  // row 2 is the W column
      }
    }
    out.push_back(digestOf(state));
  }
  return out;
}

#ifdef _WIN32
constexpr uint64_t kLimits[] = {0};  // no file size limit for a child here
Outputs sessionInChild(const support::TestHost& host, int slots, uint64_t) { return session(host, slots); }
#else
constexpr uint64_t kLimits[] = {0, 150000, 600000};  // 0: none

// session() in a child process whose files may not grow past `limit` bytes.
Outputs sessionInChild(const support::TestHost& host, int slots, uint64_t limit) {
  const support::ChildOutcome child = support::runInChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlim_t bytes = limit > 0 ? rlim_t(limit) : RLIM_INFINITY;
    const rlimit r{bytes, bytes};
    if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(2);
    std::string text;
    for (const auto& o : session(host, slots)) {
      const uint64_t size = o.size();
      text.append(reinterpret_cast<const char*>(&size), sizeof size).append(o.begin(), o.end());
    }
    return text;
  }, 600);
  EXPECT_TRUE(child.ok()) << "the child ended with status " << child.status;
  const std::string& text = child.text;
  Outputs out;
  for (std::size_t at = 0; at + 8 <= text.size();) {
    uint64_t size = 0;
    std::memcpy(&size, text.data() + at, 8);
    at += 8;
    out.emplace_back(text.begin() + std::ptrdiff_t(at), text.begin() + std::ptrdiff_t(std::min(at + size, text.size())));
    at += size;
  }
  return out;
}
#endif

// Without a file size limit, and with limits that stop cards a frame or
// several frames in, while the next frames are being built: the
// same cards and state with a ring of 1 and of 4 slots, so that after a
// failed write the second batch is as the one-thread path makes it.
TEST_F(CardWriterTest, BlocksWrittenOnASecondThreadGiveTheSameCardsAndState) {
  const support::TestHost host = programRows(dir);
  for (uint64_t limit : kLimits) {
    const Outputs one = sessionInChild(host, 1, limit);
    const bool limited = std::any_of(one.begin(), one.end(), [](const std::vector<uint8_t>& o) {
      return std::string(o.begin(), o.end()).rfind("Cannot write", 0) == 0;
    });
    EXPECT_EQ(limited, limit > 0) << "limit " << limit;
    EXPECT_TRUE(sessionInChild(host, 4, limit) == one) << "limit " << limit;
  }
}

// A refused or failed row leaves the old card as it was and no other file;
// bad cells and port counts without a layout are refused before any draw.
TEST_F(CardWriterTest, RefusedAndFailedRowsLeaveTheOldCardAlone) {
  EngineState state;
  support::TestHost host;
  const RowCells good = support::writeProgram(dir, "show.led", 1, 3072, 2);
  const std::vector<uint8_t> oldCard(700, 0xC3);
  dir.write("show_1P_Z71RGB_10K.vqn", oldCard);
  const struct {
    const char *ports, *pixels, *length;
    Kind kind;
  } cases[] = {
      {"3", "1023", "3072", Kind::kPortsWithoutLayout}, {"9", "1024", "3072", Kind::kFailed},
      {"1", "1024", "350001", Kind::kFailed}, {"1", "16001", "3072", Kind::kFailed},
      {"8", "120000", "3072", Kind::kFailed},  // the streams pass 350000 bytes
      {" ", "1024", "3072", Kind::kFailed},    // not an integer
  };
  for (const auto& c : cases) {
    host.rows = {RowCells{good.path, good.frames, c.ports, c.pixels, c.length}};
    for (OutputKind kind : {OutputKind::kZ71Rgb, OutputKind::kZ6, OutputKind::kZ58}) {
      EXPECT_EQ(writeCard(state, kind, 1, host).kind, c.kind) << c.ports << " " << c.pixels << " " << c.length;
    }
  }
  EXPECT_EQ(writeCard(state, OutputKind::kZ71Rgb, 1, host).error, "' ' is not a valid integer value");
  EXPECT_EQ(state.rng.seed(), 0u);
  host.rows = {good};
  host.modeSettings = ModeSettings{true, 1, &host.modeTable, 3};
  EXPECT_EQ(writeCard(state, OutputKind::kZ71Rgb, 1, host).kind, Kind::kModeFrames);
  host.modeSettings.on = false;
  host.brightness = "";
  EXPECT_EQ(writeCard(state, OutputKind::kZ71Rgb, 1, host).error, "'' is not a valid integer value");
  host.brightness = "100";
  host.rows[0].frames = "3";  // the file holds two frames
  EXPECT_NE(writeCard(state, OutputKind::kZ71Rgb, 1, host).error.find("show.led"), std::string::npos);
  EXPECT_EQ(support::readBytes(dir.file("show_1P_Z71RGB_10K.vqn")), oldCard);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"show.led", "show_1P_Z71RGB_10K.vqn"}));

  // Z6 writes 4680 frame blocks at most; its header keeps the file's count.
  host.rows = {support::writeProgram(dir, "long.led", 1, 256, 4681, [](int, int64_t) { return uint8_t(0); })};
  const WriteResult w = writeCard(state, OutputKind::kZ6, 1, host);
  ASSERT_EQ(w.kind, Kind::kWritten) << w.error;
  const std::vector<uint8_t> card = support::readBytes(w.cardPath);
  const DecodedHeader head = decodeCardHeader(card.data());
  EXPECT_EQ(head.frames, 4681);
  const int64_t trailer = int64_t(card.size()) - 512 - 4680 * int64_t{head.frameSectors.value_or(0)} * 512;
  EXPECT_GE(trailer, 117);
  EXPECT_LT(trailer, 117 + 1234 + 456);
}

}  // namespace
}  // namespace led2vqn
