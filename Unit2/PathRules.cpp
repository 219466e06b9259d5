#include "Unit2/PathRules.h"

namespace kobanto {
namespace {

constexpr std::size_t npos = std::string_view::npos;

class HostRules final : public PathRules {
 public:
  std::size_t CharLength(std::string_view, std::size_t) const override { return 1; }
  bool IsDelimiter(char c) const override { return c == '/'; }
  char Separator() const override { return '/'; }
  std::string_view Root(std::string_view path) const override {
    return path.starts_with('/') ? path.substr(0, 1) : std::string_view();
  }
  std::size_t RootLength(std::string_view path) const override { return Root(path).size(); }
};

bool IsCp932LeadByte(char c) {
  auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

class WindowsRules final : public PathRules {
 public:
  std::size_t CharLength(std::string_view path, std::size_t i) const override {
    return IsCp932LeadByte(path[i]) && i + 1 < path.size() ? 2 : 1;
  }
  bool IsDelimiter(char c) const override { return c == '\\' || c == ':'; }
  char Separator() const override { return '\\'; }

  std::string_view Root(std::string_view path) const override {
    if (IsDriveRoot(path)) return path.substr(0, 2);
    if (path.starts_with("\\\\")) {
      // The server name ends at the next backslash, the share name at the one after it.
      std::size_t server = NextBackslash(path, 2);
      if (server == npos) return path;
      std::size_t share = NextBackslash(path, server + 1);
      return share == npos ? path : path.substr(0, share);
    }
    return {};
  }

  std::size_t RootLength(std::string_view path) const override {
    return IsDriveRoot(path) ? 3 : Root(path).size();
  }

 private:
  bool IsDriveRoot(std::string_view path) const {
    return path.size() >= 2 && CharLength(path, 0) == 1 && path[1] == ':';
  }

  std::size_t NextBackslash(std::string_view path, std::size_t from) const {
    // Character starts are only known from the beginning of the path.
    for (std::size_t i = 0; i < path.size(); i += CharLength(path, i)) {
      if (i >= from && path[i] == '\\') return i;
    }
    return npos;
  }
};

// The last delimiter of path and the start of the character in front of it.
struct DelimiterAt {
  std::size_t pos = npos;
  std::size_t before = npos;
};

DelimiterAt FindLastDelimiter(std::string_view path, const PathRules& rules) {
  DelimiterAt found;
  std::size_t previous = npos;
  for (std::size_t i = 0; i < path.size();) {
    std::size_t length = rules.CharLength(path, i);
    if (length == 1 && rules.IsDelimiter(path[i])) found = {i, previous};
    previous = i;
    i += length;
  }
  return found;
}

}  // namespace

const PathRules& HostPathRules() {
  static const HostRules rules;
  return rules;
}

const PathRules& WindowsPathRules() {
  static const WindowsRules rules;
  return rules;
}

bool IsSingleByteAt(const PathRules& rules, std::string_view path, std::size_t i, char c) {
  return i < path.size() && path[i] == c && rules.CharLength(path, i) == 1;
}

std::size_t LastCharStart(std::string_view path, const PathRules& rules) {
  std::size_t last = npos;
  for (std::size_t i = 0; i < path.size(); i += rules.CharLength(path, i)) last = i;
  return last;
}

std::size_t LastDelimiter(std::string_view path, const PathRules& rules) {
  return FindLastDelimiter(path, rules).pos;
}

std::string ExtractFileExt(std::string_view path, const PathRules& rules) {
  std::size_t dot = npos;
  for (std::size_t i = 0; i < path.size();) {
    std::size_t length = rules.CharLength(path, i);
    if (length == 1 && rules.IsDelimiter(path[i])) dot = npos;
    if (length == 1 && path[i] == '.') dot = i;
    i += length;
  }
  return dot == npos ? std::string() : std::string(path.substr(dot));
}

std::string ExtractFileName(std::string_view path, const PathRules& rules) {
  std::size_t delimiter = LastDelimiter(path, rules);
  return std::string(delimiter == npos ? path : path.substr(delimiter + 1));
}

std::string ExtractFileDir(std::string_view path, const PathRules& rules) {
  DelimiterAt delimiter = FindLastDelimiter(path, rules);
  if (delimiter.pos == npos) return {};
  // A separator after a plain name is dropped; one that ends a root ("C:\", "/") or follows
  // another delimiter stays, so the folder above "C:\Photos" is "C:\".
  bool dropIt =
      path[delimiter.pos] == rules.Separator() && delimiter.pos > 0 &&
      !(rules.CharLength(path, delimiter.before) == 1 && rules.IsDelimiter(path[delimiter.before]));
  return std::string(path.substr(0, dropIt ? delimiter.pos : delimiter.pos + 1));
}

std::string ExtractFileDrive(std::string_view path, const PathRules& rules) {
  return std::string(rules.Root(path));
}

std::string UpperCaseRoot(std::string_view path, const PathRules& rules) {
  std::string result(path);
  for (std::size_t i = 0; i < result.size();) {
    std::size_t length = rules.CharLength(result, i);
    if (length == 1 && result[i] >= 'a' && result[i] <= 'z') result[i] = result[i] - 'a' + 'A';
    i += length;
  }
  return result;
}

std::string AddBackslash(std::string_view path, const PathRules& rules) {
  std::string result(path);
  if (!IsSingleByteAt(rules, path, LastCharStart(path, rules), rules.Separator())) {
    result += rules.Separator();
  }
  return result;
}

}  // namespace kobanto
