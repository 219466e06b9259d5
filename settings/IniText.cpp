#include "settings/IniText.h"

#include <vector>

namespace kobanto::settings::ini {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A first byte of a code page 932 double-byte character. Its second byte may look like "[", "]",
// "\" or an ASCII letter, so scans and case folding step over it.
bool IsLeadByte(char c) {
  auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Names compare without regard to the case of ASCII letters; double-byte characters compare
// exactly, trail byte included.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsLeadByte(a[i]) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

enum class LineKind { kOther, kSection, kKey };

// One line of the file: its bytes without the line end, and where it ends with its line end.
struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;
  std::size_t end = 0;
  LineKind kind = LineKind::kOther;
  std::string_view name;
  std::string_view value;
};

// The position of the first "]" that is a character of its own, or npos.
std::size_t FindClosingBracket(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == ']') return i;
    if (IsLeadByte(s[i])) ++i;
  }
  return std::string_view::npos;
}

void Classify(std::string_view content, Line& line) {
  std::string_view s = Trim(content);
  if (s.empty() || s.front() == ';') return;  // a blank line or a comment
  if (s.front() == '[') {
    std::size_t close = FindClosingBracket(s.substr(1));
    if (close != std::string_view::npos) {
      line.kind = LineKind::kSection;
      line.name = Trim(s.substr(1, close));
      return;
    }
  }
  // "=" (0x3D) is never the second byte of a double-byte character, so a byte search is safe.
  std::size_t eq = s.find('=');
  if (eq == std::string_view::npos) return;  // a line we do not understand, kept as it is
  line.kind = LineKind::kKey;
  line.name = Trim(s.substr(0, eq));
  line.value = StripQuotes(Trim(s.substr(eq + 1)));
}

// Splits text into lines; a line ends in CRLF, LF or CR, and the last one may have no line end.
std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    Line line;
    line.begin = pos;
    std::size_t stop = text.find_first_of("\r\n", pos);
    line.contentEnd = stop == std::string_view::npos ? text.size() : stop;
    line.end = line.contentEnd;
    if (line.end < text.size() && text[line.end] == '\r') ++line.end;
    if (line.end < text.size() && text[line.end] == '\n') ++line.end;
    Classify(text.substr(line.begin, line.contentEnd - line.begin), line);
    lines.push_back(line);
    pos = line.end;
  }
  return lines;
}

// Where the first section named section lies: the index of its header and one past its last
// line (the next header or the end of the file).
struct SectionRange {
  std::size_t header = 0;
  std::size_t stop = 0;
};

std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != LineKind::kSection || !SameName(lines[i].name, section)) continue;
    SectionRange range{i, i + 1};
    while (range.stop < lines.size() && lines[range.stop].kind != LineKind::kSection) ++range.stop;
    return range;
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, const SectionRange& range,
                                   std::string_view key) {
  for (std::size_t i = range.header + 1; i < range.stop; ++i) {
    if (lines[i].kind == LineKind::kKey && SameName(lines[i].name, key)) return i;
  }
  return std::nullopt;
}

// Inserts a whole line at pos; when the text before it has no line end, one is added first so
// that the new line does not run on from the last one.
std::string InsertLine(std::string_view text, std::size_t pos, std::string_view lineText) {
  std::string out(text.substr(0, pos));
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += kLineEnd;
  out += lineText;
  out += kLineEnd;
  out += text.substr(pos);
  return out;
}

// Hexadecimal digits only, at most 32 bits of value (leading zeros are free); the bits are taken
// as a two's complement number, so FFFFFFFF is -1.
std::optional<std::int32_t> ParseHex(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    int digit = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : -1;
    if (digit < 0 || value > 0x0FFFFFFFu) return std::nullopt;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return static_cast<std::int32_t>(value);
}

// Decimal digits with an optional leading sign, within the signed 32-bit range.
std::optional<std::int32_t> ParseDecimal(std::string_view text) {
  bool negative = text.front() == '-';
  if (text.front() == '-' || text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
  auto lines = SplitLines(text);
  auto range = FindSection(lines, section);
  if (!range) return std::nullopt;
  auto at = FindKey(lines, *range, key);
  if (!at) return std::nullopt;
  return std::string(lines[*at].value);
}

std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view storedValue) {
  std::string keyLine = std::string(key) + "=" + std::string(storedValue);
  auto lines = SplitLines(text);
  auto range = FindSection(lines, section);
  if (!range) {
    return InsertLine(text, text.size(), "[" + std::string(section) + "]\r\n" + keyLine);
  }
  if (auto at = FindKey(lines, *range, key)) {
    const Line& line = lines[*at];
    std::string out(text.substr(0, line.begin));
    out += keyLine;
    out += text.substr(line.contentEnd);
    return out;
  }
  std::size_t after = range->header;
  for (std::size_t i = range->header + 1; i < range->stop; ++i) {
    if (lines[i].kind == LineKind::kKey) after = i;
  }
  return InsertLine(text, lines[after].end, keyLine);
}

std::string QuoteValue(std::string_view value) {
  auto needsQuotes = [](char c) { return IsBlank(c) || c == '"' || c == '\''; };
  if (!value.empty() && (needsQuotes(value.front()) || needsQuotes(value.back()))) {
    return "\"" + std::string(value) + "\"";
  }
  return std::string(value);
}

std::optional<std::int32_t> ParseNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  if (text.front() == '$' || text.front() == 'x' || text.front() == 'X') {
    return ParseHex(text.substr(1));
  }
  if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return ParseHex(text.substr(2));
  }
  return ParseDecimal(text);
}

}  // namespace kobanto::settings::ini
