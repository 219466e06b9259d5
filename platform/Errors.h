#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace kobanto {

// Every failure the program reports is one of these. The message is the user-facing text,
// UTF-8, exactly as the error report shows it (before its "." rule).
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

// The class names follow the platform library the program was first written against, so that a
// failure can be recognised by its kind as well as by its text.
class EStreamError : public Exception {
  using Exception::Exception;
};
class EFileStreamError : public EStreamError {
  using EStreamError::EStreamError;
};
class EFOpenError : public EFileStreamError {
  using EFileStreamError::EFileStreamError;
};
class EFCreateError : public EFileStreamError {
  using EFileStreamError::EFileStreamError;
};
class EReadError : public EStreamError {
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
  using EStreamError::EStreamError;
};
class EOutOfMemory : public Exception {
  using Exception::Exception;
};
class EOutOfResources : public EOutOfMemory {
  using EOutOfMemory::EOutOfMemory;
};
class EInvalidGraphic : public Exception {
  using Exception::Exception;
};
class EJPEG : public EInvalidGraphic {
  using EInvalidGraphic::EInvalidGraphic;
};
class EIniFileException : public Exception {
  using Exception::Exception;
};

// The program's own messages. "%s" stands for a path or a folder, "%d" for a number.
namespace msg {
inline constexpr std::string_view kFileOpen = "ファイル %s は開けません";
inline constexpr std::string_view kFileCreate = "ファイル %s を作成できません";
inline constexpr std::string_view kStreamRead = "ストリームからの読み込みエラー";
inline constexpr std::string_view kStreamWrite = "ストリームへの書き込みエラー";
inline constexpr std::string_view kMemoryStreamGrow =
    "メモリストリームの拡大中にメモリが足りなくなりました";
inline constexpr std::string_view kOutOfMemory = "メモリが足りません";
inline constexpr std::string_view kOutOfResources = "システム リソースが足りません";
inline constexpr std::string_view kInvalidParameter = "パラメータが間違っています";
inline constexpr std::string_view kJpegError = "JPEG エラー #%d";
inline constexpr std::string_view kIniWrite = "%s に書き込めません";
inline constexpr std::string_view kSaveFolderNotStorable =
    "保存先フォルダ %s は設定ファイルに保存できません";
inline constexpr std::string_view kSaveFolderUnreadable =
    "設定ファイルの保存先フォルダを読めません";
}  // namespace msg

// Replaces the first "%s" or "%d" of pattern by value.
std::string FormatMessage(std::string_view pattern, std::string_view value);
std::string FormatMessage(std::string_view pattern, long long value);

}  // namespace kobanto
