// Mode files: an existing card whose header sector stores the multi-mode
// settings. Read mode decodes the header into the window (frame limit,
// speed, brightness, mode table); Save mode rewrites the mode block of the
// card last read, in place.
#pragma once

#include <string>

namespace led2vqn {

class WindowModel;

// Readmod: reads the header of the card at `path` into the window's mode
// state (ModeFrameLimit, ModeCount, ModeTable, ModePath, CB11's items, the
// texts of SPEEDN, BRIGHTN, E11, E22, LN2 and Pathr) and enables Save mode.
// A refused file shows its message and changes nothing.
void Readmod(WindowModel& window, const std::string& path);

// Save mode: rewrites the mode block of the card at the window's ModePath
// with the current ModeCount and ModeTable, then shows "Mode Save successful!".
void SaveMode(WindowModel& window);

}  // namespace led2vqn
