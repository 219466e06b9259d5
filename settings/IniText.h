#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The text rules of a Windows private-profile (INI) file, on the file's code page 932 bytes.
// Reading follows what Windows gives for a file it wrote; writing changes only the line of the
// key it sets (or adds one line, or a section header and one line) and keeps every other byte.
namespace kobanto::settings::ini {

// The value of key in section, or nothing when the section or key is missing. Names are matched
// without regard to ASCII letter case; blanks around names and values are ignored and one pair of
// enclosing double or single quotes is removed from the value. Only the first section of a name
// and, within it, the first key of a name count. The value is not cut to any length here.
std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// text with key in section set to storedValue (written after "=" as given). An existing key line
// is replaced, keeping its own line end; a new key goes after the last key of its section; a new
// section goes at the end of the file. Lines written end in CRLF.
std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view storedValue);

// The text to store after "=" so that FindValue gives value back: inside double quotes when it
// begins or ends with a blank or a quote, as is otherwise.
std::string QuoteValue(std::string_view value);

// A number as the private-profile readers take it: decimal with an optional sign, or hexadecimal
// after "$", "0x", "0X", "x" or "X" (no sign, at most 32 bits, two's complement), the whole text
// used. Nothing for anything else, including empty text and decimals outside 32 bits.
std::optional<std::int32_t> ParseNumber(std::string_view text);

}  // namespace kobanto::settings::ini
