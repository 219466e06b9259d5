#include "tests/support/ProgramFixture.h"

#include <dirent.h>

#include <chrono>
#include <thread>

#include "platform/Cp932.h"

namespace kobanto::test {

FileState StateOf(const std::string& path) {
  FileState state;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return state;
  state.exists = true;
  state.kind = st.st_mode & S_IFMT;
  state.mtimeSec = st.st_mtim.tv_sec;
  state.mtimeNsec = st.st_mtim.tv_nsec;
  if (S_ISREG(st.st_mode)) state.bytes = ReadBytes(path);
  return state;
}

std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.insert(name);
    }
    ::closedir(dir);
  }
  return names;
}

std::set<std::string> OutputsIn(const std::string& folder) {
  std::set<std::string> outputs;
  for (const std::string& name : NamesIn(folder)) {
    if (name.rfind("S_", 0) == 0) outputs.insert(name);
  }
  return outputs;
}

std::string Reported(std::string_view message) { return std::string(message) + ".\n"; }

void ProgramTest::SetUp() {
  for (auto sub : {"bin", "in", "out", "tmp", "home", "mail", "tools"}) {
    ASSERT_EQ(::mkdir(Path(sub).c_str(), 0755), 0);
  }
  CopyFile(KOBANTO_BINARY, Path("bin/kobanto"));
}

std::string ProgramTest::Picture(const std::string& path, int width, int height) {
  JpegRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  return Picture(path, recipe);
}

std::string ProgramTest::Picture(const std::string& path, const JpegRecipe& recipe) {
  const std::string full = Path(path);
  WriteJpeg(full, recipe);
  Watch(full);
  return full;
}

void ProgramTest::Watch(const std::string& path) { watched_[path] = StateOf(path); }

void ProgramTest::WriteSettings(std::string_view utf8) {
  WriteSettingsBytes(Utf8ToCp932(utf8).value());
}

void ProgramTest::WriteSettingsBytes(std::string_view bytes) {
  WriteText(Path("bin/kobanto.ini"), bytes);
}

std::string ProgramTest::SettingsText(const std::string& saveFolder, bool attach,
                                      std::string_view imageLines) {
  return "[縮小後画像]\r\n" + std::string(imageLines) + "保存先フォルダ=" + saveFolder +
         "\r\n[設定]\r\nメールに添付=" + (attach ? "1" : "0") + "\r\n";
}

void ProgramTest::FakeCompanion() {
  const std::string script = Path("bin/SendTo.exe");
  WriteText(script,
            "#!/bin/sh\nmail=\"${0%/*}/../mail\"\nprintf '%s' \"$1\" > \"$mail/received\"\n"
            "echo \"$#\" > \"$mail/done\"\n");
  ::chmod(script.c_str(), 0755);
}

std::string ProgramTest::Received() {
  for (int i = 0; i < 400 && !Exists(Path("mail/done")); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_EQ(ReadText(Path("mail/done")), "1\n") << "the companion got one argument";
  return ReadText(Path("mail/received"));
}

bool ProgramTest::CompanionRan() const { return Exists(Path("mail/done")); }

ProcessResult ProgramTest::Run(const std::vector<std::string>& args, const Limits& limits) {
  // The limits are set by a shell that then becomes the program.
  std::string limitCommands;
  if (limits.fileBlocks > 0)
    limitCommands += "ulimit -f " + std::to_string(limits.fileBlocks) + "; ";
  if (limits.addressKib > 0)
    limitCommands += "ulimit -v " + std::to_string(limits.addressKib) + "; ";
  const std::string streams = limits.closedStandardStreams ? " <&- >&- 2>&-" : "";
  std::vector<std::string> argv{"/bin/sh", "-c", limitCommands + "exec \"$@\"" + streams, "sh",
                                Path("bin/kobanto")};
  argv.insert(argv.end(), args.begin(), args.end());

  ProcessOptions options;
  options.env = {{"DISPLAY", std::nullopt},         {"WAYLAND_DISPLAY", std::nullopt},
                 {"QT_QPA_PLATFORM", std::nullopt}, {"HOME", Path("home")},
                 {"TMPDIR", Path("tmp")},           {"PATH", Path("tools") + ":/usr/bin:/bin"},
                 {"XDG_RUNTIME_DIR", std::nullopt}};
  options.unprivileged = limits.unprivileged;
  options.workingFolder = limits.workingFolder;
  options.timeoutSeconds = limits.timeoutSeconds;

  const std::string settingsPath = Path("bin/kobanto.ini");
  const FileState settingsBefore = StateOf(settingsPath);
  const std::set<std::string> binBefore = NamesIn(Path("bin"));
  ProcessResult result = RunProcess(argv, options);

  for (const auto& [path, before] : watched_) {
    EXPECT_EQ(StateOf(path), before) << "a source changed: " << path;
  }
  if (checkSettingsUntouched_) {
    EXPECT_EQ(StateOf(settingsPath), settingsBefore) << "conversion mode changed the settings";
    EXPECT_EQ(NamesIn(Path("bin")), binBefore) << "conversion mode wrote into its own folder";
  }
  return result;
}

}  // namespace kobanto::test
