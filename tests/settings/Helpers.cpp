#include "tests/settings/Helpers.h"

#include <dirent.h>

#include "platform/Errors.h"
#include "tests/support/Unprivileged.h"

namespace kobanto::test {

std::set<std::string> FolderNames(const std::string& folder) {
  std::set<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.insert(name);
    }
    ::closedir(dir);
  }
  return names;
}

int ExpectIniError(const std::function<void()>& body, const std::string& expectedMessage) {
  return RunUnprivileged([&] {
    try {
      body();
    } catch (const EIniFileException& e) {
      return e.Message() == expectedMessage ? 0 : 2;
    } catch (...) {
      return 3;
    }
    return 1;
  });
}

}  // namespace kobanto::test
