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
    model.FormCreate(dir.file("Gcode.sdc"));
    model.setCardWriter([](EngineState&, OutputKind, int, ConversionHost&) {
      WriteResult r;
      r.kind = WriteResult::Kind::kWritten;
      return r;
    });
  }

  void program(const std::string& name, int ports) {
    samples::ProgramSpec spec;
    spec.ports = ports;
    spec.frameLength = 768;
    dir.write(name, samples::programBytes(samples::nibbleTable(3), spec));
  }

  std::optional<ScriptStop> run(const std::string& script) { return runner.run(parseScript(script)); }

  std::ostringstream out;
  ScriptPort port;
  WindowModel model;
  ScriptRunner runner;
};

TEST_F(ScriptRunnerTest, ClickOnADisabledControlNamesTheLineAndStops) {
  program("a.led", 1);
  const std::optional<ScriptStop> stop = run("add a.led\noutput z36\ndelete\n\ndelete\nadd a.led\n");
  ASSERT_TRUE(stop);
  EXPECT_EQ(stop->line, 5);
  EXPECT_EQ(stop->text, "line 5: delete: DELBT is disabled");
  EXPECT_EQ(out.str(), "Data conversion complete!\n");
  EXPECT_EQ(model.table().fileCount(), 0);  // line 6 did not run
}

TEST_F(ScriptRunnerTest, HiddenBoxesAndMissingRowsAndItemsAreErrors) {
  for (int i = 1; i <= 13; ++i) program("g" + std::to_string(i) + ".led", 4);
  std::string adds;
  for (int i = 1; i <= 13; ++i) adds += "add g" + std::to_string(i) + ".led\n";
  ASSERT_FALSE(run(adds));
  EXPECT_EQ(run("twoports 13 on")->text, "line 1: twoports 13 on: CheckBox13 is hidden");
  EXPECT_EQ(run("select 14")->text, "line 1: select 14: SGD1 has no row 14 (rows 1 to 13)");
  EXPECT_FALSE(run("select 13"));
  EXPECT_EQ(run("multimode on\nmode 2 1 1")->text, "line 2: mode 2 1 1: CB11 holds no mode 2");
  EXPECT_EQ(run("frobnicate")->text, "line 1: frobnicate: unknown action \"frobnicate\"");
}

TEST_F(ScriptRunnerTest, LinesThatNeedNoClickAreNoErrorsEvenWhenDisabled) {
  EXPECT_FALSE(run("twoports 1 off\nmultimode off\nmodes 1\n"));
  EXPECT_EQ(run("modes 2")->text, "line 1: modes 2: BB11 is disabled");
  EXPECT_EQ(run("readmode x.vqn")->text, "line 1: readmode x.vqn: bread is disabled");
}

TEST_F(ScriptRunnerTest, AddMakesRelativePathsAbsolute) {
  program("a.led", 2);
  ASSERT_FALSE(run("add ./a.led"));
  EXPECT_EQ(model.table().cell(1, 1), dir.path() + "/./a.led");
}

TEST_F(ScriptRunnerTest, ModesClicksUpAndDownToTheCount) {
  ASSERT_FALSE(run("multimode on\nmodes 5\nmodes 3"));
  EXPECT_EQ(model.modeState().count, 3);
  EXPECT_EQ(model.controls()[ControlId::kCB11].items.size(), 3u);
}

TEST_F(ScriptRunnerTest, ModeTypesThroughTheKeyFilterAndTheErrorIsAMessageLine) {
  program("a.led", 1);
  ASSERT_FALSE(run("add a.led\nmultimode on\nmode 1 1 x\nmode 1 1a 2"));
  EXPECT_EQ(out.str(), "'' is not a valid integer value\n");
  EXPECT_EQ(model.modeState().table[0].start, 1);
  EXPECT_EQ(model.modeState().table[0].end, 2);
  EXPECT_EQ(model.modeState().table[0].flag, 0);
}

TEST_F(ScriptRunnerTest, OutputTicksUntilTheBatchHasEnded) {
  program("a.led", 1);
  program("b.led", 1);
  ASSERT_FALSE(run("add a.led\nadd b.led\nspeed 1x2\noutput z6"));
  EXPECT_FALSE(model.timerEnabled());
  EXPECT_EQ(model.currentRow(), 3);
  EXPECT_EQ(model.controls()[ControlId::kSPEEDN].text, "12");
  EXPECT_TRUE(fileExists(dir.file("Readme.txt")));
}

}  // namespace
}  // namespace led2vqn
