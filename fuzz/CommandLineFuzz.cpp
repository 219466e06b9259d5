// The Windows command-line reader against a plain model of its rules: a double quote toggles a
// quoted stretch, bytes 0x01-0x20 outside quotes end an argument, an argument made of quotes
// alone is no argument, the first argument is the program's name, a NUL ends the line, and an
// argument keeps at most its first 4096 bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/CommandLine.h"

namespace {

using kobanto::fuzz::Check;

std::vector<std::string> Model(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  std::vector<std::string> tokens;
  std::string token;
  bool quoted = false, seen = false;
  auto finish = [&] {
    if (!token.empty()) tokens.push_back(token);
    token.clear();
    seen = false;
  };
  for (char c : line) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"') {
      quoted = !quoted;
      seen = true;
    } else if (!quoted && b <= 0x20) {
      if (seen) finish();
    } else {
      if (token.size() < kobanto::kMaxArgumentBytes) token += c;
      seen = true;
    }
  }
  finish();
  if (!tokens.empty()) tokens.erase(tokens.begin());  // the program's name
  return tokens;
}

std::vector<kobanto::fuzz::Seed> Seeds() {
  return {
      {"plain", "KOBANTO.EXE C:\\PHOTOS\\DSC0001.JPG C:\\PHOTOS\\DSC0002.JPG"},
      {"quoted", "\"C:\\Program Files\\Kobanto\\Kobanto.exe\" \"C:\\My Documents\\a.jpg\" b.jpg"},
      {"alternating", "prog a\"b c\"d \"\" \"\"\t\"e"},
      {"japanese", "prog \"C:\\\x95\x5C\x8E\xA6\\\x8E\xCA\x90\x5E.jpg\""},
      {"empty-pairs", "prog \"\" \"\" \"\""},
      {"long", "prog " + std::string(5000, 'x') + " next"},
      {"nul", std::string("prog a\0b c", 10)},
  };
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kobanto::fuzz::WriteSeedsIfAsked(Seeds());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> arguments = kobanto::ReadWindowsCommandLine(line);
  for (const std::string& argument : arguments) {
    Check(!argument.empty(), "an argument is empty");
    Check(argument.size() <= kobanto::kMaxArgumentBytes, "an argument is longer than the limit");
    Check(argument.find('\0') == std::string::npos, "an argument holds a NUL byte");
  }
  Check(arguments == Model(line), "the reader differs from the model");
  return 0;
}
