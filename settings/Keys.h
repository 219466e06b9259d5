#pragma once

#include <string_view>

namespace kobanto::settings {

// The two spellings the settings file is addressed by. Readers use the first, the full write the
// second; one case-insensitive lookup makes them name the same file.
inline constexpr std::string_view kReadName = "Kobanto.ini";
inline constexpr std::string_view kWriteName = "kobanto.ini";

// Section and key names, UTF-8 here and code page 932 in the file.
inline constexpr std::string_view kImageSection = "縮小後画像";
inline constexpr std::string_view kOptionsSection = "設定";
inline constexpr std::string_view kPercentModeKey = "％指定";
inline constexpr std::string_view kPixelModeKey = "Pixel指定";
inline constexpr std::string_view kPercentValueKey = "％指定値";
inline constexpr std::string_view kWidthKey = "幅";
inline constexpr std::string_view kHeightKey = "高さ";
inline constexpr std::string_view kQualityKey = "圧縮率";
inline constexpr std::string_view kSaveFolderKey = "保存先フォルダ";
inline constexpr std::string_view kAttachMailKey = "メールに添付";

}  // namespace kobanto::settings
