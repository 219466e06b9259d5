#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/JpegMaker.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

namespace kobanto::test {

// AddressSanitizer reserves terabytes of address space at start and cannot run under an
// address-space limit: cases that set one run on the ordinary build only.
#if defined(KOBANTO_SANITIZED) && KOBANTO_SANITIZED
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// Resource limits and the user a run of the program gets.
struct Limits {
  long fileBlocks = 0;  // ulimit -f: the largest file it may write, in 512-byte blocks; 0: none
  long addressKib = 0;  // ulimit -v: its address space, in KiB; 0: none
  bool unprivileged = false;
  std::string workingFolder;
  bool closedStandardStreams = false;  // started with standard input, output and error closed
  int timeoutSeconds = 30;             // killed after this (a run that blocks fails)
};

// What a file looked like: its kind, bytes and modification time.
struct FileState {
  bool exists = false;
  mode_t kind = 0;
  std::vector<std::uint8_t> bytes;
  std::int64_t mtimeSec = 0, mtimeNsec = 0;
  friend bool operator==(const FileState&, const FileState&) = default;
};
FileState StateOf(const std::string& path);

// The names in a folder, without "." and "..".
std::set<std::string> NamesIn(const std::string& folder);
// The names in a folder that the program gives its outputs ("S_" and the source's name). The
// temporary folder also gets Qt's fallback runtime folder, which is no output of ours.
std::set<std::string> OutputsIn(const std::string& folder);

// The text the headless program prints for an error message: the message, the report's "." and
// a line end.
std::string Reported(std::string_view message);

// A copy of the real program in a temporary executable folder bin/ of its own, with in/ for the
// sources, out/ for the outputs, tmp/ as the system's temporary folder (the default save folder)
// and mail/ where a fake companion records what it receives. Every run checks afterwards that
// each watched source is byte for byte as it was, with its modification time, and that the
// settings file and the rest of bin/ were neither created nor changed.
class ProgramTest : public TempDirTest {
 public:
  void SetUp() override;

  // Writes a test JPEG at path (under the test folder) and watches it.
  std::string Picture(const std::string& path, int width = 64, int height = 48);
  std::string Picture(const std::string& path, const JpegRecipe& recipe);
  // Watches a source: every run must leave it exactly as it is now.
  void Watch(const std::string& path);

  // The settings file bin/kobanto.ini: the text given in UTF-8, stored as code page 932.
  void WriteSettings(std::string_view utf8);
  void WriteSettingsBytes(std::string_view bytes);
  // A Windows-written settings text with the save folder and the attach-to-mail flag, and any
  // further lines of the shrunk-image section.
  static std::string SettingsText(const std::string& saveFolder, bool attach,
                                  std::string_view imageLines = "");

  // A stand-in SendTo.exe that writes the one argument it receives to mail/received.
  void FakeCompanion();
  // What the fake companion received (waiting a while for the detached process).
  std::string Received();
  bool CompanionRan() const;

  ProcessResult Run(const std::vector<std::string>& args, const Limits& limits = {});

 protected:
  // Off for a case that changes the settings file on purpose while the program runs.
  bool checkSettingsUntouched_ = true;

 private:
  std::map<std::string, FileState> watched_;
};

}  // namespace kobanto::test
