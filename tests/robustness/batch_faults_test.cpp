// Batches that meet failing files: a folder that may not be written, a file
// size limit reached inside a card, program files deleted or cut short
// between add and convert, a missing RGBW companion, a readme that cannot be
// written. Every case must end the batch with one clear report, the timer
// off and the main buttons unlocked, and leave no temporary or partial file
// behind: a card that existed keeps its bytes.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "child_process.hpp"
#include "output/card_inspect.hpp"
#include "support/conversion_host.hpp"
#include "support/temp_dir.hpp"
#include "window_outcome.hpp"

namespace led2vqn {
namespace {

namespace fs = std::filesystem;
using robustness::ChildOptions;
using robustness::ChildRun;
using robustness::listing;
using robustness::WindowOutcome;
using support::readBytes;

constexpr int32_t kFrameLength = 3072;  // 4 ports of 256 pixels

class BatchFaults : public testing::ModelTest {
 protected:
  void SetUp() override {
    start();
    shows = dir.file("shows");
    fs::create_directory(shows);
  }

  // The folder may have been made read-only for its owner too: open it again
  // so that it can be removed.
  void TearDown() override { ::chmod(dir.path().c_str(), 0700); }

  // A 4-port program file in shows/, readable by everyone.
  std::string showProgram(const std::string& name, int frames = 3) {
    return readableByAll(program("shows/" + name, 4, frames, kFrameLength));
  }

  static std::string readableByAll(const std::string& path) {
    EXPECT_EQ(::chmod(path.c_str(), 0644), 0) << path;
    return path;
  }

  std::string card(const std::string& stem, const std::string& suffix = "_4P_Z71RGB_10K.vqn") const {
    return shows + "/" + stem + suffix;
  }

  void batch(OutputKind kind = OutputKind::kZ71Rgb) {
    port.messages.clear();
    port.errors.clear();
    robustness::runBatch(model, kind);
  }

  WindowOutcome outcome() const { return robustness::outcomeOf(model, port); }

  // Converts in a child with `options`; the outcome as the child saw it.
  ChildRun batchInChild(const ChildOptions& options, OutputKind kind = OutputKind::kZ71Rgb) {
    return robustness::runInChild(options, [&] {
      batch(kind);
      return outcome().encode();
    });
  }

  std::string shows;  // the program files' folder
};

// The batch ended on one error naming `subject`: no other message, no
// completion, the timer off and the main buttons unlocked.
void expectStoppedOn(const WindowOutcome& o, const std::string& subject, const std::string& reason) {
  EXPECT_TRUE(o.messages.empty()) << o;
  ASSERT_EQ(o.errors.size(), 1u) << o;
  EXPECT_NE(o.errors[0].find(subject), std::string::npos) << o;
  EXPECT_NE(o.errors[0].find(reason), std::string::npos) << o;
  EXPECT_FALSE(o.timerOn);
  EXPECT_TRUE(o.buttonsUnlocked);
}

TEST_F(BatchFaults, OutputFolderNotWritableLeavesTheFolderAsItWas) {
  add(showProgram("spring.led"));
  batch();  // an earlier card and readme of the same names
  ASSERT_TRUE(fileExists(card("spring")));
  const auto before = listing(shows);
  const auto oldCard = readBytes(card("spring"));
  const auto oldReadme = readBytes(shows + "/Readme.txt");
  ASSERT_TRUE(robustness::openFolder(dir.path(), false) && robustness::openFolder(shows, false));

  ChildOptions options;
  options.unprivileged = true;
  options.mustNotBeWritable = {shows};
  const ChildRun run = batchInChild(options);
  if (run.skipped) GTEST_SKIP() << "needs a process that may not write a read-only folder: " << *run.skipped;
  ASSERT_TRUE(run.completed) << run.output;

  expectStoppedOn(WindowOutcome::decode(run.output), card("spring"), std::strerror(EACCES));
  EXPECT_EQ(listing(shows), before);
  EXPECT_EQ(readBytes(card("spring")), oldCard);
  EXPECT_EQ(readBytes(shows + "/Readme.txt"), oldReadme);
}

TEST_F(BatchFaults, FileSizeLimitInsideACardLeavesNoPartialCard) {
  add(showProgram("spring.led", 4));
  batch();
  const auto before = listing(shows);
  const auto oldCard = readBytes(card("spring"));
  ASSERT_GT(oldCard.size(), 4 * 512u);

  // Inside the header, inside frame 1, and half way (the new card's size differs a little).
  for (const rlim_t limit : {rlim_t{300}, rlim_t{512 + 1000}, rlim_t{oldCard.size() / 2}}) {
    SCOPED_TRACE("file size limit " + std::to_string(limit));
    ChildOptions options;
    options.fileSizeLimit = limit;
    const ChildRun run = batchInChild(options);
    if (run.skipped) GTEST_SKIP() << "needs a file size limit: " << *run.skipped;
    ASSERT_TRUE(run.completed) << run.output;
    expectStoppedOn(WindowOutcome::decode(run.output), card("spring"), std::strerror(EFBIG));
    EXPECT_EQ(listing(shows), before);
    EXPECT_EQ(readBytes(card("spring")), oldCard);
  }
}

// A write or a read failing mid-card while blocks go out on a second thread
// leaves the generator and the buffers as writing each block at once does:
// the batch after it writes the same bytes.
TEST_F(BatchFaults, BatchAfterAFailureMidCardIsTheSameWhateverTheWriterSlots) {
  const std::string big = showProgram("big.led", 40);  // a card of about 1.7 MB
  const std::string small = readableByAll(program("shows/small.led", 1, 2, 1024));
  auto session = [&](int slots, bool limited) {
    ChildOptions options;
    if (limited) options.fileSizeLimit = 1000000;
    return robustness::runInChild(options, [&] {
      model.engine().writerSlots = slots;
      const std::string cut = shows + "/cut.led";  // a fresh copy, cut short once added
      if (!limited) fs::copy_file(big, cut, fs::copy_options::overwrite_existing);
      add(limited ? big : cut);
      if (!limited && ::truncate(cut.c_str(), 512 + 25 * kFrameLength + 100) != 0) return std::string("truncate");
      batch();
      std::string text = outcome().encode() + std::to_string(support::stateDigest(model.engine())) + "\n";
      model.rowSelected(1);
      model.deleteRowClicked();
      add(small);
      batch();
      const auto bytes = readBytes(card("small", "_1P_Z71RGB_10K.vqn"));
      return text + outcome().encode() + std::string(bytes.begin(), bytes.end());
    });
  };
  for (const bool limited : {true, false}) {
    SCOPED_TRACE(limited ? "file size limit" : "program cut short");
    const ChildRun one = session(1, limited);
    if (one.skipped) GTEST_SKIP() << *one.skipped;
    ASSERT_TRUE(one.completed) << one.output;
    EXPECT_NE(one.output.find(limited ? std::strerror(EFBIG) : "ends at byte"), std::string::npos) << one.output;
    EXPECT_NE(one.output.find("Data conversion complete!"), std::string::npos) << one.output;
    const ChildRun four = session(4, limited);
    ASSERT_TRUE(four.completed) << four.output;
    EXPECT_EQ(four.output, one.output);
  }
}

TEST_F(BatchFaults, ProgramFileDeletedAfterAddStopsTheBatchAtItsRow) {
  const std::string a = showProgram("a.led");
  const std::string b = showProgram("b.led");
  add(a);
  add(b);
  batch();
  const auto oldB = readBytes(card("b"));
  const auto oldReadme = readBytes(shows + "/Readme.txt");
  ASSERT_EQ(::unlink(b.c_str()), 0);

  batch();
  expectStoppedOn(outcome(), b, std::strerror(ENOENT));
  EXPECT_EQ(listing(shows), (std::vector<std::string>{"Readme.txt", "a.led", "a_4P_Z71RGB_10K.vqn", "b_4P_Z71RGB_10K.vqn"}));
  EXPECT_TRUE(inspectCard(card("a")).ok());  // row 1 came before the failure
  EXPECT_EQ(readBytes(card("b")), oldB);
  EXPECT_EQ(readBytes(shows + "/Readme.txt"), oldReadme);  // no readme after a failure

  // The table can be put right and converted again at once.
  model.rowSelected(2);
  model.deleteRowClicked();
  batch();
  EXPECT_EQ(port.messages, std::vector<std::string>{"Data conversion complete!"});
}

TEST_F(BatchFaults, ProgramFileCutShortAfterAddFailsOnTheFirstMissingFrame) {
  const std::string path = showProgram("spring.led", 3);
  add(path);
  batch();
  const auto oldCard = readBytes(card("spring"));
  const auto before = listing(shows);
  ASSERT_EQ(::truncate(path.c_str(), 512 + kFrameLength + kFrameLength / 2), 0);

  batch();
  expectStoppedOn(outcome(), path, "ends at byte " + std::to_string(512 + kFrameLength + kFrameLength / 2));
  EXPECT_EQ(listing(shows), before);
  EXPECT_EQ(readBytes(card("spring")), oldCard);
}

TEST_F(BatchFaults, ProgramFileReplacedByAFolderIsAnInputError) {
  const std::string path = showProgram("spring.led");
  add(path);
  ASSERT_EQ(::unlink(path.c_str()), 0);
  ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);

  batch();
  expectStoppedOn(outcome(), path, std::strerror(EISDIR));
  EXPECT_EQ(listing(shows), std::vector<std::string>{"spring.led"});
}

TEST_F(BatchFaults, ProgramFileMadeUnreadableAfterAddIsAnInputError) {
  const std::string path = showProgram("spring.led");
  add(path);
  ASSERT_EQ(::chmod(path.c_str(), robustness::kUnreadable), 0);
  ASSERT_TRUE(robustness::openFolder(dir.path(), false) && robustness::openFolder(shows, true));

  ChildOptions options;
  options.unprivileged = true;
  options.mustBeWritable = {shows};
  const ChildRun run = robustness::runInChild(options, [&] {
    if (::access(path.c_str(), R_OK) == 0) return std::string("S the child may read a file of mode 0000\n");
    batch();
    return outcome().encode();
  });
  if (run.skipped) GTEST_SKIP() << "needs a process that may not read the file: " << *run.skipped;
  ASSERT_TRUE(run.completed) << run.output;
  if (run.output.rfind("S ", 0) == 0) GTEST_SKIP() << run.output.substr(2);

  expectStoppedOn(WindowOutcome::decode(run.output), path, std::strerror(EACCES));
  EXPECT_EQ(listing(shows), std::vector<std::string>{"spring.led"});
}

TEST_F(BatchFaults, ProgramFileThatMayNotBeReadIsNotAdded) {
  const std::string path = showProgram("spring.led");
  ASSERT_EQ(::chmod(path.c_str(), robustness::kUnreadable), 0);
  ASSERT_TRUE(robustness::openFolder(dir.path(), false) && robustness::openFolder(shows, false));

  ChildOptions options;
  options.unprivileged = true;
  const ChildRun run = robustness::runInChild(options, [&] {
    if (::access(path.c_str(), R_OK) == 0) return std::string("S the child may read a file of mode 0000\n");
    add(path);
    WindowOutcome o = outcome();
    o.notes = {"files " + std::to_string(model.table().fileCount())};
    return o.encode();
  });
  if (run.skipped) GTEST_SKIP() << "needs a process that may not read the file: " << *run.skipped;
  ASSERT_TRUE(run.completed) << run.output;
  if (run.output.rfind("S ", 0) == 0) GTEST_SKIP() << run.output.substr(2);

  const WindowOutcome o = WindowOutcome::decode(run.output);
  EXPECT_TRUE(o.messages.empty()) << o;
  ASSERT_EQ(o.errors.size(), 1u) << o;
  EXPECT_NE(o.errors[0].find(path), std::string::npos) << o;
  EXPECT_NE(o.errors[0].find(std::strerror(EACCES)), std::string::npos) << o;
  EXPECT_EQ(o.notes, std::vector<std::string>{"files 0"});
}

TEST_F(BatchFaults, RgbwCompanionDeletedOrCutShortLeavesTheCardAsItWas) {
  const std::string a = showProgram("a.led");
  const std::string b = showProgram("b.led");
  add(a);
  add(b);
  batch(OutputKind::kZ71Rgbw);
  const std::string rgbw = card("a", "_4P_Z71RGBW_10K.vqn");
  const auto oldCard = readBytes(rgbw);
  const auto before = listing(shows);

  ASSERT_EQ(::truncate(b.c_str(), 512 + kFrameLength + 10), 0);  // row 2 says 3 frames
  batch(OutputKind::kZ71Rgbw);
  expectStoppedOn(outcome(), b, "ends at byte " + std::to_string(512 + kFrameLength + 10));
  EXPECT_EQ(listing(shows), before);
  EXPECT_EQ(readBytes(rgbw), oldCard);

  ASSERT_EQ(::unlink(b.c_str()), 0);
  batch(OutputKind::kZ71Rgbw);
  expectStoppedOn(outcome(), b, std::strerror(ENOENT));
  EXPECT_EQ(readBytes(rgbw), oldCard);
  EXPECT_EQ(listing(shows).size(), before.size() - 1);  // only b.led is gone
}

// Row 1's file has 3 ports, which the card refuses with a message of its
// own: the batch goes on with row 2 elsewhere and ends on the readme, which
// belongs in row 1's folder.
TEST_F(BatchFaults, ReadmeFolderNotWritableEndsTheBatchWithTheError) {
  const std::string three = readableByAll(program("shows/three.led", 3, 2, kFrameLength));
  const std::string open = dir.file("open");
  fs::create_directory(open);
  const std::string other = readableByAll(program("open/other.led", 4, 2, kFrameLength));
  const std::string readme = shows + "/Readme.txt";
  dir.write("shows/Readme.txt", {'o', 'l', 'd'});
  add(three);
  add(other);
  const auto before = listing(shows);
  ASSERT_TRUE(robustness::openFolder(dir.path(), false) && robustness::openFolder(shows, false) &&
              robustness::openFolder(open, true));

  ChildOptions options;
  options.unprivileged = true;
  options.mustNotBeWritable = {shows};
  options.mustBeWritable = {open};
  const ChildRun run = batchInChild(options);
  if (run.skipped) GTEST_SKIP() << "needs a process that may not write a read-only folder: " << *run.skipped;
  ASSERT_TRUE(run.completed) << run.output;

  const WindowOutcome o = WindowOutcome::decode(run.output);
  EXPECT_EQ(o.messages, std::vector<std::string>{portsWithoutLayoutText(three, kEnglish)});
  ASSERT_EQ(o.errors.size(), 1u) << o;
  EXPECT_NE(o.errors[0].find(readme), std::string::npos) << o;
  EXPECT_FALSE(o.timerOn);
  EXPECT_TRUE(o.buttonsUnlocked);
  EXPECT_EQ(listing(shows), before);
  EXPECT_EQ(readBytes(readme), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(listing(open), (std::vector<std::string>{"other.led", "other_4P_Z71RGB_10K.vqn"}));
  EXPECT_TRUE(inspectCard(dir.file("open/other_4P_Z71RGB_10K.vqn")).ok());
}

TEST_F(BatchFaults, ReadmeNameTakenByAFolderEndsTheBatchWithTheError) {
  add(showProgram("spring.led"));
  fs::create_directories(shows + "/Readme.txt/keep");

  batch();
  expectStoppedOn(outcome(), shows + "/Readme.txt", std::strerror(EISDIR));
  EXPECT_EQ(listing(shows), (std::vector<std::string>{"Readme.txt", "spring.led", "spring_4P_Z71RGB_10K.vqn"}));
  EXPECT_TRUE(inspectCard(card("spring")).ok());
  EXPECT_TRUE(fs::is_directory(shows + "/Readme.txt/keep"));
}

// The longest names the file system takes: the card's temporary file must
// not need a longer one than the card itself.
TEST_F(BatchFaults, CardWithTheLongestNameTheFolderTakesIsWritten) {
  const std::string stem(255 - std::string("_4P_Z71RGB_10K.vqn").size(), 'n');
  add(showProgram(stem + ".led"));
  batch();
  EXPECT_TRUE(port.errors.empty()) << port.errors[0];
  EXPECT_EQ(port.messages, std::vector<std::string>{"Data conversion complete!"});
  EXPECT_TRUE(inspectCard(card(stem)).ok());
  EXPECT_EQ(listing(shows).size(), 3u);  // program, card, readme

  // One byte more: the card's name is too long, the program file's is not.
  const std::string longer = showProgram(stem + "n.led");
  model.rowSelected(1);
  model.deleteRowClicked();
  add(longer);
  batch();
  expectStoppedOn(outcome(), card(stem + "n"), std::strerror(ENAMETOOLONG));
  EXPECT_EQ(listing(shows).size(), 4u);  // and no temporary file
}

}  // namespace
}  // namespace led2vqn
