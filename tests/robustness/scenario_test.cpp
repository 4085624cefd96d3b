// Window scenarios read from cases/*.txt, most of them faults injected
// between the clicks. A case is a transcript: a line "$ COMMAND" runs a
// command, the lines up to the next command are what it must print (message
// boxes and error reports, "stop: ..." when its click cannot happen), and
// <WORK> stands for the case's own folder. A command is a script action as
// `led2vqn run` takes it, or one of these:
//   program PATH [PORTS [FRAMES [FRAME_LENGTH]]]   a program file (4 ports, 2 frames of 3072 bytes)
//   bytes PATH COUNT          a file of COUNT bytes 0x4B
//   settings en|zh            rewrites Gcode.sdc;  window [PATH]: a new window on it (or on PATH)
//   chmod MODE PATH…, truncate PATH SIZE, rm PATH, mkdir PATH, mkfifo PATH
//   kwd CARD COPY             the card as a mode file: magic "KWD", check bytes recomputed
//   keep PATH, same PATH      records a file or a folder's files; prints what differs since
//   state, table              the window's language, fields and modes; the project rows
//   as nobody, limit BYTES    the rest of the case runs in a child process without
//                             privileges, or with that file size limit
#include <grp.h>
#include <stdio.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "app/script_runner.hpp"
#include "base/bytes.hpp"
#include "base/decimal_text.hpp"
#include "input/sample_files.hpp"
#include "support/child_process.hpp"
#include "support/hosts.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
constexpr uint64_t kSeed = 7;

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

class Scenario {
 public:
  explicit Scenario(std::string work) : work_(std::move(work)) {
    samples::writeFile(at("Gcode.sdc"), samples::settingsBytes(kSeed));
    open(at("Gcode.sdc"));
  }

  // Runs one command; what it printed.
  std::string run(const std::string& command) {
    const std::vector<std::string> w = words(command);
    out_.str("");
    const std::string& verb = w[0];
    auto arg = [&](std::size_t i) { return i < w.size() ? w[i] : std::string(); };
    auto number = [&](std::size_t i, int64_t fallback) { return i < w.size() ? std::stoll(w[i], nullptr, 0) : fallback; };
    if (verb == "program") {
      samples::ProgramSpec shape;
      shape.ports = int(number(2, 4)), shape.frames = int(number(3, 2)), shape.frameLength = int32_t(number(4, 3072));
      samples::writeFile(at(arg(1)), samples::programBytes(samples::nibbleTable(kSeed), shape));
      ::chmod(at(arg(1)).c_str(), 0644);
    } else if (verb == "bytes") {
      samples::writeFile(at(arg(1)), Bytes(std::size_t(number(2, 0)), 0x4B));
    } else if (verb == "settings") {
      samples::writeFile(at("Gcode.sdc"), samples::settingsBytes(kSeed, 1000, arg(1) == "zh" ? 0x31 : 0x30));
    } else if (verb == "window") {
      open(at(w.size() > 1 ? arg(1) : "Gcode.sdc"));
    } else if (verb == "chmod") {
      for (std::size_t i = 2; i < w.size(); ++i) {
        ::chmod(at(w[i]).c_str(), mode_t(std::stoi(w[1], nullptr, 8)));
        locked_[at(w[i])] = mode_t(std::stoi(w[1], nullptr, 8));
      }
    } else if (verb == "truncate") {
      std::filesystem::resize_file(at(arg(1)), std::uintmax_t(number(2, 0)));
    } else if (verb == "rm") {
      fs::remove(at(arg(1)));
    } else if (verb == "mkdir") {
      fs::create_directories(at(arg(1)));
    } else if (verb == "mkfifo") {
      ::mkfifo(at(arg(1)).c_str(), 0644);
    } else if (verb == "kwd") {
      Bytes card = support::readBytes(at(arg(1)));
      card[2] = 'D';
      setCheckBytes(card.data(), kSectorBytes);
      samples::writeFile(at(arg(2)), card);
      ::chmod(at(arg(2)).c_str(), 0644);
    } else if (verb == "keep") {
      kept_[arg(1)] = contents(at(arg(1)));
    } else if (verb == "same") {
      const auto before = kept_[arg(1)], now = contents(at(arg(1)));
      for (const auto& [name, bytes] : before) {
        if (!now.count(name)) out_ << "gone " << name << "\n";
        else if (now.at(name) != bytes) out_ << "changed " << name << "\n";
      }
      for (const auto& entry : now) {
        if (!before.count(entry.first)) out_ << "new " << entry.first << "\n";
      }
    } else if (verb == "state") {
      out_ << support::windowState(*model_) << "\n";
    } else if (verb == "table") {
      for (int r = 1; r <= model_->table().fileCount(); ++r) {
        const ControlState& box = model_->controls()[twoPortsBoxId(r)];
        out_ << "row " << r << ":";
        for (int c = 1; c <= 5; ++c) out_ << " " << model_->table().cell(r, c);
        out_ << ", 2 ports " << (box.checked ? "on" : "off") << (box.enabled ? "" : " (disabled)") << " flag "
             << model_->table().twoPortFlag(r) << "\n";
      }
    } else {
      const std::vector<ScriptLine> lines = parseScript(command);
      const std::optional<std::string> stop = lines[0].action ? runner_->apply(*lines[0].action) : lines[0].error;
      if (stop) out_ << "stop: " << *stop << "\n";
    }
    return out_.str();
  }

  // In a child process: drops to nobody (when root) or sets a file size
  // limit; "" when the case may go on there, else why it cannot.
  std::string prepareChild(const std::vector<std::string>& w) {
    if (w[0] == "limit") {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{rlim_t(std::stoll(w[1])), rlim_t(std::stoll(w[1]))};
      return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? "" : "no file size limit here";
    }
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      return "cannot drop to the user nobody";
    }
    for (const auto& [path, mode] : locked_) {  // a capability may open what the mode forbids
      if (((mode & 0200) == 0 && ::access(path.c_str(), W_OK) == 0) ||
          ((mode & 0400) == 0 && ::access(path.c_str(), R_OK) == 0)) {
        return "this process may open " + path + " whatever its mode";
      }
    }
    return "";
  }

 private:
  std::string at(const std::string& path) const { return path == "." ? work_ : work_ + "/" + path; }

  void open(const std::string& settings) {
    runner_.reset();
    model_ = std::make_unique<WindowModel>(port_);
    model_->setDateTimeSource([] { return std::string("2024-05-06 07:08:09"); });
    runner_ = std::make_unique<ScriptRunner>(*model_, port_, work_);
    model_->windowCreated(settings);
  }

  // The bytes of a file, or of the files in a folder (a sub-folder as "NAME/").
  std::map<std::string, Bytes> contents(const std::string& path) const {
    std::map<std::string, Bytes> found;
    auto take = [&](const fs::path& p, const std::string& name) {
      const bool readable = (fs::status(p).permissions() & fs::perms::owner_read) != fs::perms::none;
      found[name] = fs::is_directory(p) ? Bytes{} : readable ? support::readBytes(p) : Bytes{1};
    };
    if (!fs::is_directory(path)) {
      if (fs::exists(path)) take(path, fs::path(path).filename().string());
      return found;
    }
    for (const auto& e : fs::directory_iterator(path)) take(e.path(), e.path().filename().string() + (e.is_directory() ? "/" : ""));
    return found;
  }

  std::string work_;
  std::ostringstream out_;
  ScriptPort port_{out_};
  std::unique_ptr<WindowModel> model_;
  std::unique_ptr<ScriptRunner> runner_;
  std::map<std::string, std::map<std::string, Bytes>> kept_;
  std::map<std::string, mode_t> locked_;
};

// Runs `body` in a child process; its text, or "SKIP why" when `prepare` says it cannot run there.
std::string inChild(const std::function<std::string()>& prepare, const std::function<std::string()>& body) {
  support::ChildOutcome child = support::runInChild([&] {
    const std::string why = prepare();
    return why.empty() ? body() : "SKIP " + why;
  });
  if (!child.ok()) child.text += "the child ended with status " + std::to_string(child.status) + "\n";
  return child.text;
}

class Scenarios : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenarios, PrintWhatTheirCaseExpects) {
  std::vector<std::string> commands;
  std::string expected, actual, comments;
  const Bytes bytes = support::readBytes(GetParam());
  std::istringstream file(std::string(bytes.begin(), bytes.end()));
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') {
      if (commands.empty()) comments += line + "\n";
      continue;
    }
    if (line.rfind("$ ", 0) == 0) commands.push_back(line.substr(2));
    expected += line + "\n";
  }
  support::TempDir dir;
  Scenario scenario(dir.path());
  for (std::size_t i = 0; i < commands.size(); ++i) {
    actual += "$ " + commands[i] + "\n";
    const std::vector<std::string> w = words(commands[i]);
    if (w[0] == "as" || w[0] == "limit") {
      actual += inChild([&] { return scenario.prepareChild(w); }, [&] {
        std::string rest;
        for (std::size_t j = i + 1; j < commands.size(); ++j) rest += "$ " + commands[j] + "\n" + scenario.run(commands[j]);
        return rest;
      });
      if (actual.find("$ " + commands[i] + "\nSKIP ") != std::string::npos) GTEST_SKIP() << actual;
      break;
    }
    actual += scenario.run(commands[i]);
  }
  for (std::size_t p; (p = actual.find(dir.path())) != std::string::npos;) actual.replace(p, dir.path().size(), "<WORK>");
  const char* write = std::getenv("LED2VQN_WRITE_CASES");  // 1: the transcripts become the cases
  if (write && std::string(write) == "1") {
    const std::string text = comments + actual;
    samples::writeFile(GetParam(), Bytes(text.begin(), text.end()));
  }
  EXPECT_EQ(actual, expected);
}

std::vector<std::string> caseFiles() {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(LED2VQN_SOURCE_DIR "/tests/robustness/cases")) {
    if (e.path().extension() == ".txt") found.push_back(e.path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

INSTANTIATE_TEST_SUITE_P(Cases, Scenarios, ::testing::ValuesIn(caseFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return fs::path(info.param).stem().string();
                         });

}  // namespace
}  // namespace led2vqn
