#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kobanto {

// Conversion between the program's UTF-8 text and code page 932 (Shift-JIS, the Windows variant),
// the encoding of the settings file.

// The code page 932 bytes of utf8, or nothing when utf8 is not valid UTF-8 or holds a character
// that code page 932 cannot represent.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// As Utf8ToCp932, and also nothing when the bytes would not read back as exactly utf8. Some
// characters convert without an error but come back as others (〜 U+301C as ～ U+FF5E, ¥ as "\",
// − U+2212 as U+FF0D); text that is to be stored and read again must refuse them.
std::optional<std::string> Utf8ToCp932Exact(std::string_view utf8);

// The UTF-8 text of cp932, or nothing when a byte sequence is not valid code page 932 (a stray
// or unassigned byte, a double-byte character cut short).
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

// The UTF-8 text of cp932 with each byte that cannot be decoded shown as U+FFFD.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

}  // namespace kobanto
