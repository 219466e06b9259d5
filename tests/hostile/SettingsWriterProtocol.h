#pragma once

#include <string>

#include "settings/Settings.h"

// What the settings writer helper and the tests that run it agree on. The writer is started as
//   hostile_settings_writer EXE_FOLDER ROUNDS FOLDER_A FOLDER_B [ignore-xfsz]
// and does ROUNDS full writes (0: until it is killed) into EXE_FOLDER/kobanto.ini, alternating the
// values of WriterValues(0, ...) and WriterValues(1, ...). A write that fails ends it with status
// 1 and the error's message on standard error.
namespace kobanto::hostile {

// The two differ in length, so that a write in place would leave a file of another size for a
// moment.
inline settings::SettingsValues WriterValues(int which, const std::string& folderA,
                                             const std::string& folderB) {
  settings::SettingsValues values;
  values.percentMode = true;
  values.pixelMode = false;
  values.percentValue = which == 0 ? 20 : 40;
  values.width = which == 0 ? 111 : 1111;
  values.height = which == 0 ? 222 : 2222;
  values.quality = which == 0 ? 50 : 100;
  values.saveFolder = which == 0 ? folderA : folderB;
  values.attachMail = false;
  return values;
}

}  // namespace kobanto::hostile
