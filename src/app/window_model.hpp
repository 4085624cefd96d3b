// The main window as plain data and event handlers, without any toolkit.
//
// One WindowModel is one run of the program: it owns the engine state (the
// random generator and the working buffers), the project table, the mode
// state, the language and every control's state. A view (the Qt window, the
// command line runner, a test) calls the handlers for what a person does and
// re-reads the state; the model reaches the outside only through its
// WindowPort (message boxes, open dialogs, error reports).
//
// Handlers carry the names of the window's controls and events (addFileClicked,
// timerTick, ...). A handler of a control that is disabled or hidden is
// never called by a view; the model does not check that itself.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/controls.hpp"
#include "app/messages.hpp"
#include "app/window_port.hpp"
#include "input/program_reader.hpp"
#include "modes/mode_panel.hpp"
#include "output/card_writer.hpp"
#include "output/engine_state.hpp"
#include "project/batch_driver.hpp"
#include "project/project_table.hpp"

namespace led2vqn {

inline constexpr int32_t kColourTypeOther = 10;  // ColourTypeFlag: "Other color", fixed
inline constexpr int kTimerIntervalMs = 50;      // the batch timer
inline const std::string kDefaultSpeedText = "25";
inline const std::string kDefaultBrightnessText = "100";

class WindowModel : private ConversionHost {
 public:
  explicit WindowModel(WindowPort& port);
  WindowModel(const WindowModel&) = delete;
  WindowModel& operator=(const WindowModel&) = delete;
  ~WindowModel() override;

  // ---- The window and its languages ----

  // Window creation: blank grid, defaults, check box places, the settings
  // file at `settingsPath` (language and NibbleTable; created empty when
  // missing), then the captions of the saved language.
  void windowCreated(const std::string& settingsPath);
  // Applies every caption, grid header and row label of the current language.
  void applyLanguage();
  // Enables (true) or disables (false) the add, delete, exit and seven output buttons.
  void setMainButtonsEnabled(bool enabled);
  void englishClicked();  // English
  void chineseClicked();  // Chinese
  void exitClicked();  // asks the view to close the window

  // ---- Text fields: keys pass each field's key filter ----

  static bool speedFieldAccepts(char32_t key);   // digits and control keys
  static bool brightnessFieldAccepts(char32_t key);  // digits and control keys
  static bool modeSelectorAccepts(char32_t key);      // control keys only
  static bool startFieldAccepts(char32_t key);       // digits and control keys
  static bool endFieldAccepts(char32_t key);       // digits and control keys
  // One key typed into the speed, brightness, mode selector, start or end field. A key the filter
  // passes is appended; a passing backspace (8) removes the last character;
  // other control keys change nothing.
  void typeChar(ControlId field, char32_t key);
  // Types the characters of a UTF-8 text one by one.
  void typeText(ControlId field, const std::string& utf8);
  // Replaces a field's text without the key filter (clearing, pasting).
  void setFieldText(ControlId field, const std::string& text);
  // Leaving the fields: empty gives the default, the value is kept in 1 .. 100.
  void speedFieldLeft();
  void brightnessFieldLeft();

  // ---- The project table ----

  // The open dialog, then addProgramFile with each chosen path; progress bar to 0.
  void addFileClicked();
  // Checks one program file and enters it below the selected row.
  void addProgramFile(const std::string& path);
  // Removes the selected row.
  void deleteRowClicked();
  // Selects a grid row (1 .. rowCount() - 1).
  void rowSelected(int row);
  // A click on "2 ports" box r (1 .. 20): toggles it; TwoPortFlag r := 10 when checked, else 0.
  void twoPortsBoxClicked(int r);

  // ---- The batch ----

  void outputZ71RgbClicked();  // Z71 RGB
  void outputJ9Clicked();  // J9 ("Output Z2.8 (10K)")
  void outputZ58Clicked();  // Z58 RGB
  void outputZ71RgbwClicked();    // Z71 RGBW
  void outputZ94Clicked();  // Z94 RGB
  void outputZ6Clicked();   // Z6
  void outputZ36Clicked();     // Z36
  // The output button of `kind`.
  void outputClicked(OutputKind kind);
  // One timer tick: converts the next row or ends the batch.
  void timerTick();
  // Cancel (a view's own button, shown while the batch runs): stops the batch
  // without a readme, unlocks the buttons and says so. A row being converted
  // is stopped between frames through WindowPort::keepConverting instead, and
  // ends the same way.
  void cancelClicked();
  // Writes Readme.txt into `folder` with the window's current texts.
  std::optional<IoError> writeReadme(const std::string& folder);

  // ---- The mode panel (app/mode_panel_handlers.cpp) ----

  void multiModeClicked();    // a click on the multi-mode box: toggles it
  void removeModeClicked();       // removes the last mode
  void addModeClicked();      // adds a mode
  void modeSelectorChanged();     // shows the selected mode's range in the start and end fields
  // The user picks item `index` (0-based) of the mode selector: its text becomes the item, then modeSelectorChanged.
  void chooseModeItem(int index);
  void modeOkClicked();  // OK: stores the range of the selected mode
  void readModeClicked();    // Read mode
  void saveModeClicked();    // Save mode
  // Read mode with the card at `path` (what the open dialog of Read mode leads to).
  void readModeFile(const std::string& path);

  // ---- State ----

  Controls& controls() { return controls_; }
  const Controls& controls() const { return controls_; }
  const ProjectTable& table() const { return table_; }
  const ModeState& modeState() const { return modePanel_.state(); }
  EngineState& engine() { return engine_; }
  const NibbleTable& nibbleTable() const { return nibbles_; }
  const std::string& settingsPath() const { return settingsPath_; }

  int32_t languageFlag() const { return languageFlag_; }
  int32_t colourTypeFlag() const { return colourTypeFlag_; }
  OutputKind outputKind() const { return batch_.outputKind(); }
  int currentRow() const { return batch_.currentRow(); }
  bool timerEnabled() const { return batch_.timerEnabled(); }
  int32_t progressMax() const { return progressMax_; }
  int32_t progressPosition() const { return progressPosition_; }
  bool closeRequested() const { return closeRequested_; }
  bool multiModeOn() const { return controls_[ControlId::kMultiModeBox].checked; }
  // The files a preview of row `row` reads: its program file and, when the
  // last batch's model wrote a card for that row and it exists, the card
  // (a Z71 RGBW card: also row 2's program, which gave the W column).
  // Nothing for a row without a file. Reads no buffer and draws nothing.
  struct PreviewFiles {
    std::string program;
    std::string card;
    std::string white;
  };
  std::optional<PreviewFiles> previewFiles(int row) const;
  // Grid geometry set at window creation: widths of columns 0 .. 3, height of row 0.
  const std::array<int, 4>& gridColumnWidths() const { return columnWidths_; }
  int gridHeaderHeight() const { return headerHeight_; }

  // ---- For the mode-file operations and the tests ----

  void showMessage(Msg msg);                 // in the current language
  void showMessageText(const std::string& text);  // a refusal
  void reportError(const std::string& text);
  // Replaces the writer the batch calls per row (tests).
  void setCardWriter(CardWriter writer) { batch_.setWriter(std::move(writer)); }
  // Writes the cards and the readme into `folder` under the names they would
  // have beside their program files ("" puts them beside the program files).
  void setOutputFolder(const std::string& folder) { outputFolder_ = folder; }
  // Replaces the clock that dates the readme (tests).
  void setDateTimeSource(std::function<std::string()> source) { dateTime_ = std::move(source); }

 private:
  // Sets the language when it is `from`: saves it, applies the captions, then reports a save failure.
  void switchLanguage(int32_t from, int32_t to);
  // ConversionHost: what a writer reads from the window.
  RowCells rowCells(int row) const override;
  int rowCount() const override;
  int32_t twoPortFlag(int row) const override;
  std::string placeOutput(const std::string& besideProgram) const override;
  std::string speedText() const override;
  std::string brightnessText() const override;
  ModeSettings modes() const override;
  void setProgressMax(int32_t max) override;
  void setProgress(int32_t position) override;
  bool cancelRequested() const override;

  void leaveNumberField(ControlId field, const std::string& defaultText);
  // Shows a mode operation's notice or error; true when it succeeded.
  bool showModeOutcome(const ModeFileOutcome& outcome);
  void resetModeFilePanel();  // "Path:" in the mode path label, Save mode disabled
  void finishBatch();
  void endCancelledBatch();
  void setOutputButtons(bool enabled);

  WindowPort& port_;
  EngineState engine_;
  Controls controls_;
  ProjectTable table_;
  ModePanel modePanel_;
  BatchDriver batch_;
  NibbleTable nibbles_{};
  std::string settingsPath_;
  std::string outputFolder_;
  int32_t languageFlag_ = kEnglish;
  int32_t colourTypeFlag_ = kColourTypeOther;
  int32_t progressMax_ = 100;
  int32_t progressPosition_ = 0;
  bool closeRequested_ = false;
  std::optional<OutputKind> lastBatch_;  // the model of the last batch started
  std::array<int, 4> columnWidths_{71, 824, 71, 68};
  int headerHeight_ = 29;
  std::function<std::string()> dateTime_;
};

}  // namespace led2vqn
