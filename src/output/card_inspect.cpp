#include "output/card_inspect.hpp"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <memory>

#include "base/bytes.hpp"
#include "base/decimal_text.hpp"
#include "output/engine_state.hpp"

namespace led2vqn {

namespace {

constexpr OutputKind kKinds[] = {OutputKind::kZ71Rgb, OutputKind::kJ9, OutputKind::kZ58, OutputKind::kZ71Rgbw,
                                  OutputKind::kZ94, OutputKind::kZ6, OutputKind::kZ36};

constexpr std::size_t kMagicBytes = 6;
constexpr std::size_t kReadChunkBytes = std::size_t{1} << 20;

std::string hexOf(const uint8_t* b, std::size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    out += kDigits[b[i] >> 4];
    out += kDigits[b[i] & 15];
  }
  return out;
}

// Printable bytes as they are, the others as \xNN.
std::string magicText(const std::array<uint8_t, 6>& magic) {
  std::string out;
  for (uint8_t c : magic) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x" + hexOf(&c, 1);
    }
  }
  return out;
}

// A string for a line of text: valid UTF-8, control characters as \xNN.
std::string printable(std::string_view text) {
  std::string out;
  for (char ch : validUtf8(text)) {
    const auto c = static_cast<uint8_t>(ch);
    if (c < 0x20 || c == 0x7F) {
      out += "\\x" + hexOf(&c, 1);
    } else {
      out += ch;
    }
  }
  return out;
}

// Tests the check bytes of consecutive blocks as their bytes stream past, so
// that no block has to be held whole.
class BlockChecker {
 public:
  explicit BlockChecker(uint64_t blockBytes) : blockBytes_(blockBytes) {}

  // Feeds the next n bytes; `onBlock(ok)` is called as each block completes.
  template <typename OnBlock>
  void feed(const uint8_t* b, std::size_t n, OnBlock onBlock) {
    std::size_t i = 0;
    while (i < n) {
      if (at_ < blockBytes_ - 2) {
        const std::size_t take = static_cast<std::size_t>(std::min<uint64_t>(n - i, blockBytes_ - 2 - at_));
        uint64_t sum = 0;
        uint8_t x = 0;
        for (std::size_t k = 0; k < take; ++k) {
          sum += b[i + k];
          x ^= b[i + k];
        }
        sum_ = static_cast<uint8_t>(sum_ + sum);
        xor_ ^= x;
        i += take;
        at_ += take;
      } else if (at_ == blockBytes_ - 2) {
        sumHolds_ = b[i] == sum_;
        xor_ ^= b[i];
        ++i;
        ++at_;
      } else {
        onBlock(sumHolds_ && b[i] == xor_);
        ++i;
        at_ = 0;
        sum_ = 0;
        xor_ = 0;
      }
    }
  }

 private:
  uint64_t blockBytes_;
  uint64_t at_ = 0;  // position inside the current block
  uint8_t sum_ = 0;
  uint8_t xor_ = 0;
  bool sumHolds_ = false;
};

void checkHeaderFields(InspectReport& r) {
  const DecodedHeader& h = r.header;
  if (!r.cardMagic) r.failures.push_back("magic: \"" + magicText(r.magic) + "\" names no card model");
  if (!h.checksOk) r.failures.push_back("header (offset 510): check bytes differ");
  if (!h.ports) r.failures.push_back("header: port count undecodable");
  if (!h.frameSectors) {
    r.failures.push_back("header: sectors per frame undecodable");
  } else if (*h.frameSectors <= 0) {
    r.failures.push_back("header: sectors per frame is " + decimal(*h.frameSectors));
  }
  if (!h.blockShift) r.failures.push_back("header: block shift undecodable");
  if (h.frames < 0) r.failures.push_back("header: frame count is negative (" + decimal(h.frames) + ")");
}

// Checks every whole frame block present and the length. REQUIRES: framesWritten, blockBytes set.
void checkBody(InspectReport& r, const ReadOnlyFile& file) {
  const uint64_t block = *r.blockBytes;
  const auto frames = static_cast<uint64_t>(*r.framesWritten);
  const uint64_t dataEnd = kSectorBytes + frames * block;
  const uint64_t present = std::min<uint64_t>(frames, (r.fileBytes - kSectorBytes) / block);

  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kReadChunkBytes]);
  BlockChecker checker(block);
  int64_t frame = 0;
  auto onBlock = [&](bool ok) {
    ++frame;
    ++r.blocksChecked;
    if (ok) return;
    ++r.badBlocks;
    if (r.listedBadBlocks.size() < kListedFrameFaults) {
      r.listedBadBlocks.push_back({frame, kSectorBytes + static_cast<uint64_t>(frame - 1) * block});
    }
  };
  const uint64_t end = kSectorBytes + present * block;
  std::optional<std::string> readFailure;
  for (uint64_t at = kSectorBytes; at < end && !readFailure;) {
    const auto want = static_cast<std::size_t>(std::min<uint64_t>(kReadChunkBytes, end - at));
    std::size_t got = 0;
    if (auto e = file.readSomeAt(at, buffer.get(), want, got)) {
      readFailure = "read (offset " + decimal(static_cast<int64_t>(at)) + "): " + e->text;
    } else if (got < want) {
      readFailure = "read (offset " + decimal(static_cast<int64_t>(at + got)) + "): the file ended while it was read";
    }
    checker.feed(buffer.get(), got, onBlock);
    at += got;
  }
  for (const FrameFault& f : r.listedBadBlocks) {
    r.failures.push_back("frame " + decimal(f.frame) + " (offset " + decimal(static_cast<int64_t>(f.offset)) +
                         "): check bytes differ");
  }
  if (r.badBlocks > static_cast<int64_t>(r.listedBadBlocks.size())) {
    r.failures.push_back("and " + decimal(r.badBlocks - static_cast<int64_t>(r.listedBadBlocks.size())) +
                         " more frames whose check bytes differ");
  }
  if (readFailure) {
    r.failures.push_back(*readFailure);
    return;
  }

  if (r.fileBytes < dataEnd) {
    const auto missing = static_cast<int64_t>(present) + 1;
    r.truncatedInFrame = missing;
    r.failures.push_back("frame " + decimal(missing) + " (offset " +
                         decimal(static_cast<int64_t>(kSectorBytes + present * block)) +
                         "): the file ends at byte " + decimal(static_cast<int64_t>(r.fileBytes)) + ", before byte " +
                         decimal(static_cast<int64_t>(dataEnd)) + " where the frame blocks end");
    return;
  }
  r.trailerBytes = static_cast<int64_t>(r.fileBytes - dataEnd);
  if (r.trailerMax && (*r.trailerBytes < kTrailerMinBytes || *r.trailerBytes > *r.trailerMax)) {
    r.failures.push_back("trailer (offset " + decimal(static_cast<int64_t>(dataEnd)) + "): " +
                         decimal(*r.trailerBytes) + " bytes, outside " + decimal(kTrailerMinBytes) + " .. " +
                         decimal(*r.trailerMax));
  }
}

// A tiny JSON emitter: objects, arrays, strings (always valid UTF-8), numbers.
class JsonWriter {
 public:
  JsonWriter& begin(char bracket) {
    separate();
    out_ += bracket;
    first_.push_back(true);
    return *this;
  }
  JsonWriter& end(char bracket) {
    out_ += bracket;
    first_.pop_back();
    return *this;
  }
  JsonWriter& key(std::string_view k) {
    separate();
    quoted(k);
    out_ += ':';
    afterKey_ = true;
    return *this;
  }
  JsonWriter& string(std::string_view v) {
    separate();
    quoted(v);
    return *this;
  }
  JsonWriter& number(int64_t v) { return raw(decimal(v)); }
  JsonWriter& boolean(bool v) { return raw(v ? "true" : "false"); }
  JsonWriter& null() { return raw("null"); }
  template <typename T>
  JsonWriter& optionalNumber(const std::optional<T>& v) {
    return v ? number(static_cast<int64_t>(*v)) : null();
  }
  // A number already in JSON's number syntax.
  JsonWriter& raw(std::string_view text) {
    separate();
    out_ += text;
    return *this;
  }
  const std::string& text() const { return out_; }

 private:
  void separate() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (first_.empty()) return;
    if (!first_.back()) out_ += ',';
    first_.back() = false;
  }
  void quoted(std::string_view v) {
    static const char kDigits[] = "0123456789abcdef";
    out_ += '"';
    for (char ch : validUtf8(v)) {
      const auto c = static_cast<uint8_t>(ch);
      switch (ch) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
          if (c < 0x20) {
            out_ += "\\u00";
            out_ += kDigits[c >> 4];
            out_ += kDigits[c & 15];
          } else {
            out_ += ch;
          }
      }
    }
    out_ += '"';
  }

  std::string out_;
  std::vector<bool> first_;  // per open bracket: nothing written inside yet
  bool afterKey_ = false;
};

bool modeCountUsable(const DecodedHeader& h) { return h.modeCount >= 1 && h.modeCount <= kMaxModes; }

std::string modesText(const DecodedHeader& h) {
  if (!h.modeBlock) return "modes: none";
  if (!modeCountUsable(h)) {
    return "modes: mode block marker with count " + decimal(h.modeCount) + " (outside 1 .. " +
           decimal(kMaxModes) + ", no table)";
  }
  std::string out = decimal(h.modeCount) + (h.modeCount == 1 ? " mode: " : " modes: ");
  for (std::size_t i = 0; i < h.modes.size(); ++i) {
    if (i > 0) out += ", ";
    out += decimal(h.modes[i].start) + "-" + decimal(h.modes[i].end);
    if (h.modes[i].flag == 10) out += " reversed";
  }
  if (static_cast<int32_t>(h.modes.size()) < h.modeCount) {
    out += " (modes " + decimal(static_cast<int64_t>(h.modes.size()) + 1) + " .. " + decimal(h.modeCount) +
           " lie outside the sector)";
  }
  return out;
}

template <typename T>
std::string orUnknown(const std::optional<T>& v) {
  return v ? decimal(*v) : std::string("?");
}

}  // namespace

const CardModel* cardModelOfMagic(const uint8_t* magic, bool& modeFileMagic) {
  modeFileMagic = magic[0] == 'K' && magic[1] == 'W' && magic[2] == 'D';
  for (OutputKind kind : kKinds) {
    const CardModel* m = cardModel(kind);
    const bool sameLetters = std::memcmp(magic + 3, m->magic + 3, 3) == 0;
    if (sameLetters && (modeFileMagic || std::memcmp(magic, m->magic, 3) == 0)) return m;
  }
  return nullptr;
}

std::string_view cardModelName(const CardModel* model) {
  if (!model) return "unknown";
  switch (model->kind) {
    case OutputKind::kZ71Rgb: return "Z71 RGB";
    case OutputKind::kJ9: return "J9";
    case OutputKind::kZ58: return "Z58";
    case OutputKind::kZ71Rgbw: return "Z71 RGBW";
    case OutputKind::kZ94: return "Z94";
    case OutputKind::kZ6: return "Z6";
    case OutputKind::kZ36: return "Z36";
  }
  return "unknown";
}

InspectReport inspectCard(const std::string& path) {
  InspectReport r;
  r.path = path;
  ReadOnlyFile file;
  if (auto e = file.open(path)) {
    r.openError = e;
    return r;
  }
  if (auto e = file.size(r.fileBytes)) {
    r.openError = e;
    return r;
  }
  std::array<uint8_t, kSectorBytes> sector{};
  std::size_t got = 0;
  if (auto e = file.readSomeAt(0, sector.data(), sector.size(), got)) {
    r.failures.push_back("read (offset 0): " + e->text);
    return r;
  }
  std::copy(sector.begin(), sector.begin() + kMagicBytes, r.magic.begin());
  if (got >= kMagicBytes) r.model = cardModelOfMagic(r.magic.data(), r.modeFileMagic);
  r.cardMagic = got >= kMagicBytes && (r.model != nullptr || r.modeFileMagic);
  if (!r.cardMagic) {
    // Nothing else is decoded: the bytes mean something else.
    r.notCard = true;
    r.startsLikeProgram = got >= 4 && sector[1] == 'Q' && sector[2] == 'W' && sector[3] == 'M';
    r.failures.push_back("not a card file");
    return r;
  }
  if (got < kSectorBytes) {
    r.failures.push_back("header: the file holds " + decimal(static_cast<int64_t>(r.fileBytes)) +
                         " bytes, less than the 512-byte header sector");
    return r;
  }
  r.headerRead = true;
  r.header = decodeCardHeader(sector.data());
  if (r.header.framePeriod > 0) r.speed = speedTextOfPeriod(r.header.framePeriod);
  checkHeaderFields(r);

  const DecodedHeader& h = r.header;
  r.frameCap = r.model ? r.model->frameCap : 0;
  if (h.ports && *h.ports >= 0) {
    // The longest trailer the model's draw gives; any model's for unknown letters.
    int64_t longest = 0;
    for (OutputKind kind : kKinds) {
      const CardModel* m = r.model ? r.model : cardModel(kind);
      longest = std::max(longest, int64_t{*h.ports} * m->trailer.perPort + m->trailer.base - 1);
    }
    r.trailerMax = longest + kTrailerMinBytes;
  }
  if (h.frames >= 0) r.framesWritten = r.frameCap > 0 ? std::min(h.frames, r.frameCap) : h.frames;
  if (h.frameSectors && *h.frameSectors > 0) r.blockBytes = uint64_t(*h.frameSectors) * kSectorBytes;
  if (r.framesWritten && r.blockBytes) checkBody(r, file);
  return r;
}

std::string validUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto n = text.size();
  std::size_t i = 0;
  auto at = [&text](std::size_t k) { return static_cast<uint8_t>(text[k]); };
  while (i < n) {
    const uint8_t c = at(i);
    std::size_t len = 0;
    uint8_t low = 0x80, high = 0xBF;  // range of the second byte
    if (c < 0x80) {
      len = 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    }
    bool ok = len > 0 && i + len <= n;
    for (std::size_t k = 1; ok && k < len; ++k) {
      const uint8_t lowK = k == 1 ? low : 0x80, highK = k == 1 ? high : 0xBF;
      ok = at(i + k) >= lowK && at(i + k) <= highK;
    }
    if (ok) {
      out.append(text.substr(i, len));
      i += len;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

std::string inspectText(const InspectReport& r) {
  std::string out = printable(r.path) + ": ";
  if (r.openError) return out + "cannot inspect: " + printable(r.openError->text) + "\n  FAILED\n";
  if (r.notCard) {
    return out + "not a card file" + (r.startsLikeProgram ? " (it starts like a program file: use `led2vqn info`)" : "") +
           "\n";
  }
  if (!r.headerRead) {
    out += decimal(static_cast<int64_t>(r.fileBytes)) + " bytes, no header sector\n";
  } else {
    const DecodedHeader& h = r.header;
    out += std::string(r.cardMagic ? cardModelName(r.model) : "unknown magic") + " (" +
           magicText(r.magic) + (r.modeFileMagic ? ", mode-file magic" : "") + ")\n";
    out += "  ports " + orUnknown(h.ports) + ", format " + decimal(h.format) + ", block offset " +
           decimal(h.blockOffset) + ", frames " + decimal(h.frames);
    if (r.framesWritten && *r.framesWritten != h.frames) out += " (" + decimal(*r.framesWritten) + " written)";
    out += ", channel bytes " + decimal(h.channelBytes) + ", sectors per frame " + orUnknown(h.frameSectors) + "\n";
    out += "  frame period " + decimal(h.framePeriod) + (r.speed ? " (speed " + *r.speed + ")" : " (no speed)") +
           ", brightness " + decimal(h.brightness) + ", block shift " + orUnknown(h.blockShift) + "\n";
    out += "  " + modesText(h) + "\n";
    out += std::string("  header check bytes: ") + (h.checksOk ? "ok" : "differ") + "\n";

    out += "  ";
    if (!r.framesWritten || !r.blockBytes) {
      out += "frame blocks: not checked (" + std::string(!r.framesWritten ? "frame count negative" : "sectors per frame unknown") +
             ")\n";
    } else if (*r.framesWritten == 0) {
      out += "no frame blocks\n";
    } else {
      out += decimal(*r.framesWritten) + (*r.framesWritten == 1 ? " frame block" : " frame blocks") + " of " +
             decimal(*h.frameSectors) + (*h.frameSectors == 1 ? " sector" : " sectors") + " each";
      if (r.blocksChecked < *r.framesWritten) out += ", " + decimal(r.blocksChecked) + " checked";
      out += r.badBlocks == 0 ? ", all check bytes ok\n" : ", " + decimal(r.badBlocks) + " with check bytes that differ\n";
    }

    const std::string size = decimal(static_cast<int64_t>(r.fileBytes));
    out += "  length: ";
    if (r.truncatedInFrame) {
      out += size + ", ends in frame block " + decimal(*r.truncatedInFrame) + " of " + decimal(*r.framesWritten) +
             ": truncated\n";
    } else if (r.trailerBytes) {
      const std::string range = r.trailerMax ? decimal(kTrailerMinBytes) + " .. " + decimal(*r.trailerMax) : "unknown";
      const bool inRange = r.trailerMax && *r.trailerBytes >= kTrailerMinBytes && *r.trailerBytes <= *r.trailerMax;
      out += size + " = 512 + " + decimal(*r.framesWritten) + " × " + decimal(static_cast<int64_t>(*r.blockBytes)) +
             " + trailer " + decimal(*r.trailerBytes) + " (allowed " + range + "): " +
             (inRange ? "ok" : r.trailerMax ? "trailer out of range" : "not checked") + "\n";
    } else {
      out += size + " (not checked)\n";
    }
  }
  if (r.ok()) return out + "  OK\n";
  out += "  FAILED\n";
  for (const std::string& f : r.failures) out += "    " + printable(f) + "\n";
  return out;
}

std::string inspectJson(const InspectReport& r) {
  JsonWriter j;
  j.begin('{');
  j.key("path").string(r.path);
  if (validUtf8(r.path) != r.path) j.key("pathHex").string(hexOf(reinterpret_cast<const uint8_t*>(r.path.data()), r.path.size()));
  j.key("ok").boolean(r.ok());
  if (r.openError) {
    j.key("error").string(r.openError->text);
    return j.end('}').text();
  }
  if (r.notCard) {
    j.key("error").string("not a card file");
    j.key("startsLikeProgram").boolean(r.startsLikeProgram);
    return j.end('}').text();
  }
  j.key("size").number(static_cast<int64_t>(r.fileBytes));
  if (r.headerRead) {
    const DecodedHeader& h = r.header;
    j.key("magic").string(magicText(r.magic));
    j.key("magicHex").string(hexOf(r.magic.data(), r.magic.size()));
    if (r.model) {
      j.key("model").string(cardModelName(r.model));
    } else {
      j.key("model").null();
    }
    j.key("modeFileMagic").boolean(r.modeFileMagic);
    j.key("header").begin('{');
    j.key("checkBytesOk").boolean(h.checksOk);
    j.key("shift").number(h.shift);
    j.key("ports").optionalNumber(h.ports);
    j.key("format").number(h.format);
    j.key("blockOffset").number(h.blockOffset);
    j.key("frames").number(h.frames);
    j.key("channelBytes").number(h.channelBytes);
    j.key("sectorsPerFrame").optionalNumber(h.frameSectors);
    j.key("framePeriod").number(h.framePeriod);
    if (r.speed) {
      j.key("speed").raw(*r.speed);
    } else {
      j.key("speed").null();
    }
    j.key("brightness").number(h.brightness);
    j.key("blockShift").optionalNumber(h.blockShift);
    j.key("modeBlock").boolean(h.modeBlock);
    if (h.modeBlock) {
      j.key("modeCount").number(h.modeCount);
      j.key("modeZ").number(h.z);
      j.key("modes").begin('[');
      if (modeCountUsable(h)) {
        for (const ModeRow& m : h.modes) {
          j.begin('{');
          j.key("start").number(m.start).key("end").number(m.end).key("reversed").boolean(m.flag == 10);
          j.end('}');
        }
      }
      j.end(']');
    }
    j.end('}');
    j.key("frameCap").number(r.frameCap);
    j.key("framesWritten").optionalNumber(r.framesWritten);
    j.key("blockBytes").optionalNumber(r.blockBytes);
    j.key("blocksChecked").number(r.blocksChecked);
    j.key("badBlocks").number(r.badBlocks);
    j.key("badFrames").begin('[');
    for (const FrameFault& f : r.listedBadBlocks) {
      j.begin('{').key("frame").number(f.frame).key("offset").number(static_cast<int64_t>(f.offset)).end('}');
    }
    j.end(']');
    j.key("truncatedInFrame").optionalNumber(r.truncatedInFrame);
    j.key("trailerBytes").optionalNumber(r.trailerBytes);
    j.key("trailerRange");
    if (r.trailerMax) {
      j.begin('[').number(kTrailerMinBytes).number(*r.trailerMax).end(']');
    } else {
      j.null();
    }
  }
  j.key("failures").begin('[');
  for (const std::string& f : r.failures) j.string(f);
  j.end(']');
  return j.end('}').text();
}

std::string jsonQuoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : validUtf8(text)) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", b);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace led2vqn
