#include <cstdio>
#include <iostream>

#include "app/script_runner.hpp"
#include "base/platform.hpp"
#include "cli/commands.hpp"

namespace led2vqn::cli {

int runScript(const std::string& scriptPath, const std::string& settingsPath) {
  std::FILE* in = platform::openStream(scriptPath, "rb");
  if (in == nullptr) {
    std::cerr << "led2vqn: cannot read the script " << scriptPath << "\n";
    return kExitUsage;
  }
  std::string script;
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) script.append(chunk, n);
  std::fclose(in);
  const std::vector<ScriptLine> lines = parseScript(script);

  ScriptPort port(std::cout);
  WindowModel model(port);
  model.windowCreated(settingsPath);
  ScriptRunner runner(model, port, currentFolder());
  if (const std::optional<ScriptStop> stop = runner.run(lines)) {
    std::cout.flush();
    std::cerr << scriptPath << ":" << stop->text << "\n";
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace led2vqn::cli
