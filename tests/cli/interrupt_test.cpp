// A real signal to a child process in the middle of a card: the temporary
// card goes, the card already there keeps its bytes, the status tells which
// signal it was. The child's standard error is a full pipe, so it stops at
// its first progress line, inside the card, until the signal comes.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

bool temporaryCardThere(const support::TempDir& dir) {
  for (const std::string& name : dir.names()) {
    if (name.rfind(".a_1P_Z36.vqn.", 0) == 0) return true;
  }
  return false;
}

TEST(Interrupt, SignalMidCardRemovesTheTemporaryCardAndKeepsTheOldOne) {
  support::TempDir dir;
  dir.write("Gcode.sdc", samples::settingsBytes(3));
  samples::ProgramSpec shape;
  shape.frames = 40, shape.ports = 1;
  dir.write("a.led", samples::programBytes(samples::nibbleTable(3), shape));
  dir.write("s.run", {'a', 'd', 'd', ' ', 'a', '.', 'l', 'e', 'd', '\n', 'o', 'u', 't', 'p', 'u', 't', ' ', 'z', '3', '6', '\n'});
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  dir.write("a_1P_Z36.vqn", old);

  const std::pair<int, std::vector<const char*>> runs[] = {
      {SIGINT, {"convert", "--settings", "Gcode.sdc", "--model", "z36", "--progress", "a.led"}},
      {SIGTERM, {"convert", "--progress", "--settings", "Gcode.sdc", "--model", "z36", "a.led"}},
      {SIGHUP, {"run", "s.run", "--settings", "Gcode.sdc", "--progress"}},
  };
  for (const auto& [signal, args] : runs) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
    const char fill[4096] = {};
    // Whole blocks first, then byte by byte: not a byte of room is left.
    while (::write(pipeEnds[1], fill, sizeof fill) > 0) {
    }
    while (::write(pipeEnds[1], fill, 1) > 0) {
    }
    ::fcntl(pipeEnds[1], F_SETFL, 0);
    std::vector<char*> argv{const_cast<char*>(LED2VQN_BINARY)};
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Whoever started the tests may ignore these; the program keeps what it inherits.
      for (const int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, SIG_DFL);
      const int null = ::open("/dev/null", O_WRONLY);
      if (::chdir(dir.path().c_str()) != 0 || ::dup2(null, 1) < 0 || ::dup2(pipeEnds[1], 2) < 0) ::_exit(99);
      ::execv(LED2VQN_BINARY, argv.data());
      ::_exit(98);
    }
    ::close(pipeEnds[1]);
    // The child cannot get past its first progress line; the bound only
    // keeps a broken build from hanging the run.
    int status = 0;
    for (int wait = 0; wait < 60000 && !temporaryCardThere(dir) && ::waitpid(child, &status, WNOHANG) == 0; ++wait) {
      ::usleep(2000);
    }
    ASSERT_TRUE(temporaryCardThere(dir)) << "the child ended first, status " << status;
    ::kill(child, signal);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(pipeEnds[0]);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_FALSE(temporaryCardThere(dir));
    EXPECT_EQ(support::readBytes(dir.file("a_1P_Z36.vqn")), old);
  }
}

}  // namespace
}  // namespace led2vqn
