// A timeline picture of what a program file or a card plays: one panel per
// port side by side, x = pixel position along the port, y = frame (time going
// down), frame numbers on the left, "port k" above each panel.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "input/program_reader.hpp"
#include "output/card_writer.hpp"

namespace led2vqn {

inline constexpr int32_t kDefaultPreviewFrames = 600;

struct TimelineRequest {
  std::string file;                  // a program file or a card
  std::optional<OutputKind> model;   // program files: show what a card of this model plays
  int32_t brightness = 100;          // with `model`
  bool twoPorts = false;             // with `model`
  int32_t firstFrame = 1;
  int32_t lastFrame = kDefaultPreviewFrames;  // cut at the frames the file has
  int32_t port = 0;                  // 1-based played port; 0: every port
};

// The decoded pixels: rgb of panel p, frame row r, pixel i at
// ((r * panels + p) * pixels + i) * 3; shown[p * pixels + i] is 0 for a
// pixel position the card does not carry.
struct Timeline {
  std::vector<int32_t> ports;  // the played port (1-based) of each panel
  int32_t pixels = 0;          // per port
  int32_t firstFrame = 1;
  int32_t frames = 0;
  int32_t available = 0;       // the frames the file holds
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> shown;
  std::string what;            // "card Z6, brightness 50" / "program file"
};

// Reads the frames into `out`; the refusal in plain words otherwise.
std::optional<std::string> buildTimeline(const TimelineRequest& request, const NibbleTable& table, Timeline& out);

// The picture, RGB, `scale` screen pixels per frame and pixel position.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;
};
std::optional<std::string> drawTimeline(const Timeline& timeline, int32_t scale, Picture& out);

// Writes the picture as a PNG file, whole or not at all.
std::optional<std::string> writePng(const Picture& picture, const std::string& path);

}  // namespace led2vqn
