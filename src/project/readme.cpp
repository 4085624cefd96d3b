#include "project/readme.hpp"

#include <cstddef>
#include <cstdint>

#include "base/decimal_text.hpp"
#include "base/platform.hpp"

namespace led2vqn {
namespace {

// Length of the UTF-8 sequence at text[at], or 0 when it is not one.
std::size_t utf8Length(const std::string& text, std::size_t at) {
  const auto b = static_cast<unsigned char>(text[at]);
  std::size_t n = 0;
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) n = 2;
  else if (b >= 0xE0 && b <= 0xEF) n = 3;
  else if (b >= 0xF0 && b <= 0xF4) n = 4;
  else return 0;
  if (at + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return 0;
  }
  return n;
}

}  // namespace

std::string folderOfPath(const std::string& path) {
  const std::size_t slash = platform::lastSeparator(path);
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string localDateTimeText(std::time_t when) {
  const std::tm local = platform::localTime(when);
  char text[64];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, n);
}

ReadmeLines readmeLines(const std::string& dateTime, const ReadmeCaptions& captions, const ProjectTable& table) {
  ReadmeLines out;
  std::vector<int32_t> written;
  for (int r = 1; r < table.rowCount(); ++r) {
    const std::optional<int32_t> used = table.portsUsed(r);
    if (!used) {
      out.error = notAnIntegerText(table.cell(r, 3));
      return out;
    }
    written.push_back(*used);
  }
  out.lines.push_back(dateTime + "   " + captions.colourType + "   " + captions.speedLabel + captions.speedText +
                      captions.fpsLabel + "  " + captions.brightLabel + captions.brightText);
  for (int r = 1; r < table.rowCount(); ++r) {
    out.lines.push_back(table.cell(r, 0) + " " + table.cell(r, 1) + " " + table.cell(0, 2) + ":" +
                        table.cell(r, 2) + " " + table.cell(0, 3) + ":" + table.cell(r, 3) + " to " +
                        decimal(written[static_cast<std::size_t>(r - 1)]));
  }
  return out;
}

std::string toGbk(const std::string& utf8) {
  platform::GbkEncoder encoder;
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t n = utf8Length(utf8, at);
    if (n == 0) {
      out += '?';
      ++at;
    } else if (n == 1) {
      out += utf8[at++];
    } else {
      if (!encoder.append(utf8.data() + at, n, out)) out += '?';
      at += n;
    }
  }
  return out;
}

std::optional<IoError> writeReadme(const std::string& folder, const std::string& dateTime,
                               const ReadmeCaptions& captions, const ProjectTable& table) {
  const ReadmeLines text = readmeLines(dateTime, captions, table);
  if (text.error) return IoError{*text.error};
  std::string bytes;
  for (const std::string& line : text.lines) bytes += toGbk(line) + "\r\n";
  AtomicFile file;
  if (auto e = file.create(folder + platform::kSeparator + kReadmeName)) return e;
  if (auto e = file.append(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) return e;
  return file.commit();
}

}  // namespace led2vqn
