// Every text a message box shows, in English and in Chinese. The language
// flag at the moment of display picks the text of the pair.
#pragma once

#include <cstdint>
#include <string>

#include "input/program_reader.hpp"
#include "modes/mode_file.hpp"

namespace led2vqn {

inline constexpr int32_t kEnglish = 0;
inline constexpr int32_t kChinese = 10;

enum class Msg {
  // The program file reader.
  kFilesOver16,
  kAlreadyOpen,
  kOpenFile,
  kFileType,
  kControllerType,
  kChipType,
  kNoFrameLength,      // decoded frame length 0: the settings file is missing or unusable
  kFrameTooLarge,      // decoded frame length above the working buffers
  // The batch.
  kConversionComplete,
  kModeFramesOutput,   // a row has fewer frames than the mode frame limit
  kFilesOver2,         // Z71 RGBW with three or more files
  // The mode panel and the mode files.
  kModeRange,          // a mode's start or end outside 1 .. frame limit
  kModeSaved,
  kNoSavedModes,       // Save mode on a card that does not begin with "KWD"
  kModeCountRange,     // a mode file declares fewer than 1 or more than 80 modes
  kModeBlockOutside,   // a mode file's first start pair lies before the sector
  // The window's Cancel button.
  kConversionCancelled,
};

// The text of `msg` for the language flag (0 English, anything else Chinese).
const std::string& messageText(Msg msg, int32_t languageFlag);

// The message a refusal of the program file reader shows.
Msg readerRefusalMessage(ReaderRefusal refusal);

// A row whose port count has no card layout: names the program file.
std::string portsWithoutLayoutText(const std::string& programPath, int32_t languageFlag);

// The message of what the mode panel or a mode file reports.
Msg modeNoticeMessage(ModeNotice notice);

}  // namespace led2vqn
