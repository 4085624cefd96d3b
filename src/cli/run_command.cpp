#include <fstream>
#include <iostream>
#include <iterator>

#include "app/script_runner.hpp"
#include "cli/commands.hpp"

namespace led2vqn::cli {

int runScript(const std::string& scriptPath, const std::string& settingsPath) {
  std::ifstream in(scriptPath, std::ios::binary);
  if (!in) {
    std::cerr << "led2vqn: cannot read the script " << scriptPath << "\n";
    return kExitUsage;
  }
  const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
