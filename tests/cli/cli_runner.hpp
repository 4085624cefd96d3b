// Runs the built led2vqn executable in a folder and captures what it prints.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace led2vqn::testing {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// `args` is appended to the command line as it stands (quote it yourself).
// The per-user settings place is folder/.home/.config, never the real one.
// `env` adds NAME=VALUE words to the environment.
inline CliResult runCli(const std::string& folder, const std::string& args, const std::string& env = "",
                        const std::string& binary = LED2VQN_BINARY) {
  const std::string out = folder + "/.cli-out", err = folder + "/.cli-err";
  const std::string command = "cd '" + folder + "' && env -u LED2VQN_SETTINGS HOME='" + folder +
                              "/.home' XDG_CONFIG_HOME= " + env + " '" + binary + "' " + args + " >'" + out + "' 2>'" + err +
                              "' </dev/null";
  const int raw = std::system(command.c_str());
  CliResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  std::remove(out.c_str());
  std::remove(err.c_str());
  return r;
}

}  // namespace led2vqn::testing
