#include "settings/IniText.h"

#include <gtest/gtest.h>

#include <climits>

namespace kobanto::settings::ini {
namespace {

struct ReadCase {
  std::string_view name;
  std::string_view text;
  std::string_view section;
  std::string_view key;
  std::optional<std::string_view> value;
};

const ReadCase kReadCases[] = {
    {"plain", "[S]\r\nk=v\r\n", "S", "k", "v"},
    {"blanks around names and values", "  [ S ]  \r\n\t k \t=  v w  \r\n", "S", "k", "v w"},
    {"double quotes", "[S]\r\nk= \"  v  \" \r\n", "S", "k", "  v  "},
    {"single quotes", "[S]\r\nk='v'\r\n", "S", "k", "v"},
    {"only one pair of quotes", "[S]\r\nk=\"\"v\"\"\r\n", "S", "k", "\"v\""},
    {"quotes that do not pair", "[S]\r\nk=\"v'\r\n", "S", "k", "\"v'"},
    {"a lone quote", "[S]\r\nk=\"\r\n", "S", "k", "\""},
    {"empty value", "[S]\r\nk=\r\n", "S", "k", ""},
    {"empty quotes", "[S]\r\nk=''\r\n", "S", "k", ""},
    {"= in the value", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
    {"ASCII case", "[sEc]\r\nKEY=v\r\n", "Sec", "key", "v"},
    {"LF line ends", "[S]\nj=1\nk=v\n", "S", "k", "v"},
    {"CR line ends", "[S]\rj=1\rk=v\r", "S", "k", "v"},
    {"no final line end", "[S]\r\nk=v", "S", "k", "v"},
    {"text after the header", "[S] ; note\r\nk=v\r\n", "S", "k", "v"},
    {"first duplicate section", "[S]\r\nk=1\r\n[S]\r\nk=2\r\nj=3\r\n", "S", "k", "1"},
    {"second duplicate section ignored", "[S]\r\nk=1\r\n[S]\r\nj=3\r\n", "S", "j", std::nullopt},
    {"first duplicate key", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
    {"key of another section", "[S]\r\nk=1\r\n[T]\r\n", "T", "k", std::nullopt},
    {"key before any section", "k=1\r\n[S]\r\n", "S", "k", std::nullopt},
    {"missing section", "[S]\r\nk=1\r\n", "T", "k", std::nullopt},
    {"comment", "[S]\r\n;k=1\r\n", "S", "k", std::nullopt},
    {"line without =", "[S]\r\nk\r\n", "S", "k", std::nullopt},
    {"UTF-8 mark makes the first line no header", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k",
     std::nullopt},
    // ゾ is 83 5D: its trail byte is the byte of "]".
    {"] as a trail byte", "[\x83\x5D]\r\nk=1\r\n", "\x83\x5D", "k", "1"},
    // ア is 83 41 and ヂ 83 61: only single-byte ASCII letters fold.
    {"trail bytes do not fold", "[\x83\x41]\r\nk=1\r\n", "\x83\x61", "k", std::nullopt},
    {"full-width letters do not fold", "[S]\r\n\x82\x60=1\r\n", "S", "\x82\x81", std::nullopt},
};

TEST(IniTextTest, FindsValuesAsWindowsReadsThem) {
  for (const auto& c : kReadCases) {
    auto value = FindValue(c.text, c.section, c.key);
    if (c.value) {
      EXPECT_EQ(value, std::string(*c.value)) << c.name;
    } else {
      EXPECT_FALSE(value.has_value()) << c.name << ": " << value.value_or("");
    }
  }
}

struct WriteCase {
  std::string_view name;
  std::string_view before;
  std::string_view section;
  std::string_view key;
  std::string_view after;
};

// Each write sets key to "v"; every other byte of the file stays.
const WriteCase kWriteCases[] = {
    {"new file", "", "S", "k", "[S]\r\nk=v\r\n"},
    {"replace keeps the rest", "; c\r\n[S]\r\n  K = old \r\nz=1\r\n", "S", "k",
     "; c\r\n[S]\r\nk=v\r\nz=1\r\n"},
    {"replace keeps the line's own end", "[S]\nk=1\nz=2\n", "S", "k", "[S]\nk=v\nz=2\n"},
    {"replace the last line without end", "[S]\r\nk=1", "S", "k", "[S]\r\nk=v"},
    {"new key after the last key", "[S]\r\na=1\r\nodd\r\n\r\n; about T\r\n[T]\r\nb=2\r\n", "S", "k",
     "[S]\r\na=1\r\nk=v\r\nodd\r\n\r\n; about T\r\n[T]\r\nb=2\r\n"},
    {"new key in a section without keys", "[S]\r\n; c\r\n[T]\r\n", "S", "k",
     "[S]\r\nk=v\r\n; c\r\n[T]\r\n"},
    {"new key after a last line without end", "[S]\r\na=1", "S", "k", "[S]\r\na=1\r\nk=v\r\n"},
    {"new key after a header without end", "[S]", "S", "k", "[S]\r\nk=v\r\n"},
    {"new section at the end", "[T]\r\na=1\r\n\r\n", "S", "k", "[T]\r\na=1\r\n\r\n[S]\r\nk=v\r\n"},
    {"new section after a last line without end", "[T]\r\na=1", "S", "k",
     "[T]\r\na=1\r\n[S]\r\nk=v\r\n"},
    {"CR-only file", "[S]\ra=1\r", "S", "k", "[S]\ra=1\rk=v\r\n"},
    {"first duplicate section", "[S]\r\na=1\r\n[S]\r\nk=2\r\n", "S", "k",
     "[S]\r\na=1\r\nk=v\r\n[S]\r\nk=2\r\n"},
    {"first duplicate key", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "[S]\r\nk=v\r\nk=2\r\n"},
    {"key before any section stays", "k=1\r\n[S]\r\n", "S", "k", "k=1\r\n[S]\r\nk=v\r\n"},
    {"UTF-8 mark: the first header is not one", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k",
     "\xEF\xBB\xBF[S]\r\nk=1\r\n[S]\r\nk=v\r\n"},
};

TEST(IniTextTest, WritesAsWindowsWritesAndKeepsTheRest) {
  for (const auto& c : kWriteCases) {
    EXPECT_EQ(SetValue(c.before, c.section, c.key, "v"), c.after) << c.name;
  }
}

// A value that begins or ends with a blank or a quote is stored inside double quotes, so that the
// reader's blank and quote stripping gives it back unchanged.
TEST(IniTextTest, StoredValuesReadBackUnchanged) {
  struct Case {
    std::string_view value;
    std::string_view stored;
  };
  const Case kCases[] = {
      {"a b", "a b"},         {"", ""},           {" a", "\" a\""},   {"a\t", "\"a\t\""},
      {"'x'", "\"'x'\""},     {"\"x", "\"\"x\""}, {"x\"", "\"x\"\""}, {"\"", "\"\"\""},
      {"\"x\"", "\"\"x\"\""}, {" ", "\" \""},     {"a'b", "a'b"},
  };
  for (const auto& [value, stored] : kCases) {
    EXPECT_EQ(QuoteValue(value), stored) << value;
    EXPECT_EQ(FindValue(SetValue("", "S", "k", QuoteValue(value)), "S", "k"), std::string(value));
  }
}

TEST(IniTextTest, ParsesNumbers) {
  struct Case {
    std::string_view text;
    std::optional<std::int32_t> value;
  };
  const Case kCases[] = {
      {"030", 30},
      {"0x4B", 75},
      {"0X4b", 75},
      {"$FFFFFFFF", -1},
      {"$80000000", INT_MIN},
      {"x10", 16},
      {"X10", 16},
      {"0x000000001", 1},
      {"+5", 5},
      {"-1", -1},
      {"-0", 0},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"000000000000000000002", 2},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"0x100000000", std::nullopt},
      {"75%", std::nullopt},
      {"7 5", std::nullopt},
      {" 5", std::nullopt},
      {"True", std::nullopt},
      {"yes", std::nullopt},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"-0x10", std::nullopt},
      {"+$10", std::nullopt},
      {"0xG", std::nullopt},
      {"1e3", std::nullopt},
      {"\x82\x50", std::nullopt},  // the full-width digit 1
  };
  for (const auto& [text, value] : kCases) EXPECT_EQ(ParseNumber(text), value) << text;
}

}  // namespace
}  // namespace kobanto::settings::ini
