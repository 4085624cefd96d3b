#include "app/script_runner.hpp"

#include <sstream>

#include <gtest/gtest.h>

#include "input/sample_files.hpp"
#include "support/temp_dir.hpp"

namespace led2vqn {
namespace {

class ScriptRunnerTest : public support::TempDirTest {
 protected:
  ScriptRunnerTest() : port(out), model(port), runner(model, port, dir.path() + "/") {
    dir.write("Gcode.sdc", samples::settingsBytes(3));
    model.windowCreated(dir.file("Gcode.sdc"));
  }

  void program(const std::string& name, int ports) {
    samples::ProgramSpec shape;
    shape.frameLength = 768, shape.ports = ports;
    dir.write(name, samples::programBytes(samples::nibbleTable(3), shape));
  }
  std::string stop(const std::string& script) {
    const std::optional<ScriptStop> s = runner.run(parseScript(script));
    return s ? s->text : "";
  }

  std::ostringstream out;
  ScriptPort port;
  WindowModel model;
  ScriptRunner runner;
};

TEST_F(ScriptRunnerTest, ClickOnADisabledControlNamesTheLineAndStops) {
  program("a.led", 1);
  EXPECT_EQ(stop("add ./a.led\noutput z36\ndelete\n\ndelete\nadd a.led\n"), "line 5: delete: the DEL File button is disabled");
  EXPECT_EQ(out.str(), "Data conversion complete!\n");
  EXPECT_EQ(model.table().fileCount(), 0);  // line 6 did not run
  EXPECT_TRUE(fileExists(dir.file("a_1P_Z36.vqn")));
  EXPECT_TRUE(fileExists(dir.file("Readme.txt")));
}

TEST_F(ScriptRunnerTest, StopsOnlyWhereAControlCannotBeClicked) {
  const std::pair<std::string, std::string> cases[] = {
      {"twoports 1 off\nmultimode off\nmodes 1\n", ""},  // nothing to click
      {"modes 2", "line 1: modes 2: the add-mode button (＋) is disabled"},
      {"twoports 13 on", "line 1: twoports 13 on: the \"2 ports\" box of row 13 is hidden"},
      {"multimode on\nmode 2 1 1", "line 2: mode 2 1 1: the mode selector holds no mode 2"},
  };
  for (const auto& [script, expected] : cases) EXPECT_EQ(stop(script), expected) << script;
}

}  // namespace
}  // namespace led2vqn
