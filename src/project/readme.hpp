// Readme.txt, the summary written beside the program files after a batch:
//
//   line 1:  <local date> <local time>   <colour type>   <Speed:><speed><fps>  <Bright:><brightness>
//   line r+1: <row label> <path> <frames header>:<frames> <ports header>:<ports> to <ports written>
//
// with the captions and headers as the window shows them when the batch
// ends. The file is GBK (characters GBK cannot hold become '?'), each line
// ends in CR LF, there is no byte order mark. It replaces an earlier readme
// whole.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "base/file_io.hpp"
#include "project/project_table.hpp"

namespace led2vqn {

inline const std::string kReadmeName = "Readme.txt";

// The window texts that line 1 copies.
struct ReadmeCaptions {
  std::string colourType;   // caption of the "Other color" radio button
  std::string speedLabel;   // the speed label
  std::string speedText;    // the speed field, unchanged
  std::string fpsLabel;     // the "fps" label
  std::string brightLabel;  // the brightness label
  std::string brightText;   // the brightness field, unchanged
};

// The folder of a path: the text before its last separator ("" without one).
std::string folderOfPath(const std::string& path);

// The local date and time of `when`, "YYYY-MM-DD HH:MM:SS".
std::string localDateTimeText(std::time_t when);

// The lines of the readme (UTF-8, without line ends). Fails with the
// conversion error when a row's ports cell is not an integer.
struct ReadmeLines {
  std::vector<std::string> lines;
  std::optional<std::string> error;
};
ReadmeLines readmeLines(const std::string& dateTime, const ReadmeCaptions& captions, const ProjectTable& table);

// UTF-8 text as GBK bytes; a character GBK cannot hold, or a byte that is
// not part of a UTF-8 character, becomes '?'.
std::string toGbk(const std::string& utf8);

// Writes the readme into `folder` (folder + "/Readme.txt"), atomically.
std::optional<IoError> writeReadme(const std::string& folder, const std::string& dateTime,
                               const ReadmeCaptions& captions, const ProjectTable& table);

}  // namespace led2vqn
