// The mail companion: takes the attachment parameter string that Kobanto hands over and opens the
// desktop's mail composer with those files attached, through xdg-email.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "companion/AttachmentSplit.h"

namespace {

constexpr const char* kComposer = "xdg-email";

void Complain(const std::string& text) { std::fprintf(stderr, "SendTo.exe: %s\n", text.c_str()); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    for (std::string& path : kobanto::SplitAttachmentString(argv[i])) paths.push_back(path);
  }
  if (paths.empty()) {
    Complain("添付するファイルがありません");
    return 2;
  }

  std::vector<std::string> arguments{kComposer};
  for (const std::string& path : paths) {
    arguments.push_back("--attach");
    arguments.push_back(path);
  }
  std::vector<char*> composerArgv;
  for (std::string& argument : arguments) composerArgv.push_back(argument.data());
  composerArgv.push_back(nullptr);

  std::fflush(nullptr);
  ::execvp(kComposer, composerArgv.data());
  int error = errno;
  if (error == ENOENT) {
    Complain(
        "メール作成プログラム xdg-email が見つかりません (xdg-utils をインストールしてください)");
    return 127;
  }
  Complain(std::string("メール作成プログラム xdg-email を起動できません: ") + std::strerror(error));
  return 126;
}
