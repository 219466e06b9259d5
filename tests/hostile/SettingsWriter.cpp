// The settings window's full write in a process of its own, for the tests that limit its file
// size, kill it in the middle of a write or race it against conversions (see
// SettingsWriterProtocol.h).

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Errors.h"
#include "tests/hostile/SettingsWriterProtocol.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fputs("usage: hostile_settings_writer EXE_FOLDER ROUNDS FOLDER_A FOLDER_B [ignore-xfsz]\n",
               stderr);
    return 2;
  }
  if (argc > 5 && std::string(argv[5]) == "ignore-xfsz") std::signal(SIGXFSZ, SIG_IGN);
  const std::string exeFolder = argv[1];
  const long rounds = std::strtol(argv[2], nullptr, 10);
  try {
    for (long i = 0; rounds == 0 || i < rounds; ++i) {
      kobanto::settings::FullWrite(exeFolder,
                                   kobanto::hostile::WriterValues(i % 2, argv[3], argv[4]));
    }
  } catch (const kobanto::Exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
