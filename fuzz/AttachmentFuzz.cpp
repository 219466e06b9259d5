// The attachment parameter string and the companion's splitter. The input, cut at its NUL bytes,
// is an attachment list (empty entries included): the splitter must give back the list without
// its empty entries. The input as a whole is also split as the companion would split any text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Unit2/MailHandoff.h"
#include "companion/AttachmentSplit.h"
#include "fuzz/FuzzSupport.h"

namespace {

using kobanto::fuzz::Check;

std::vector<std::string> EntriesOf(std::string_view input) {
  std::vector<std::string> list;
  for (;;) {
    const std::size_t nul = input.find('\0');
    list.emplace_back(input.substr(0, nul));
    if (nul == std::string_view::npos) return list;
    input.remove_prefix(nul + 1);
  }
}

std::vector<kobanto::fuzz::Seed> Seeds() {
  using namespace std::string_literals;
  return {
      {"one", "C:\\windows\\temp\\S_a.jpg"},
      {"space", "C:\\windows\\temp\\S_a.jpg\0C:\\My Documents\\memo.doc"s},
      {"empty-middle", "a\0\0b"s},
      {"only-empty", ""},
      {"specials", "a,b\0 lead\0trail \0say \"hi\"\0\"\0,\0tab\there\0new\nline"s},
      {"japanese", "/home/user/\xE5\x86\x99\xE7\x9C\x9F/S_\xE7\x8C\xAB.jpg\0\xFF\xFE"s},
  };
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kobanto::fuzz::WriteSeedsIfAsked(Seeds());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (const std::string& path : kobanto::SplitAttachmentString(input)) {
    Check(!path.empty(), "the splitter gave an empty path");
  }

  const std::vector<std::string> list = EntriesOf(input);
  const std::string text = kobanto::BuildAttachmentString(list);
  Check(text.find('\0') == std::string::npos, "the parameter string holds a NUL byte");
  std::vector<std::string> expected;
  for (const std::string& entry : list) {
    if (!entry.empty()) expected.push_back(entry);
  }
  Check(kobanto::SplitAttachmentString(text) == expected, "split(build(list)) is not the list");
  return 0;
}
