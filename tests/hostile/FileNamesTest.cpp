// Hostile file names, links, FIFOs, devices, unusable save folders and a full disk, each through
// the real program: converted or reported, never a crash, a hang or a write through a link.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "Unit2/MailHandoff.h"
#include "companion/AttachmentSplit.h"
#include "platform/Errors.h"
#include "platform/UniqueFd.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Unprivileged.h"

namespace kobanto::hostile {

using namespace test;
namespace {

using test::DecodeJpeg;
using test::ReadBytes;

std::string CreateError(const std::string& path) {
  return Reported(FormatMessage(msg::kFileCreate, path));
}
std::string OpenError(const std::string& path) {
  return Reported(FormatMessage(msg::kFileOpen, path));
}

// Folders under in/ whose path, with the file name, comes to about 4,000 bytes (the host's limit
// is 4,096).
std::string DeepFolder(const ProgramTest& t) {
  constexpr std::size_t kFolderBytes = 3970;
  std::string folder = t.Path("in");
  while (folder.size() < kFolderBytes) {
    folder += "/" + std::string(std::min<std::size_t>(240, kFolderBytes - folder.size() - 1), 'd');
    EXPECT_EQ(::mkdir(folder.c_str(), 0755), 0);
  }
  return folder.substr(t.Path("").size());  // relative to the test folder
}

std::string ManyLevels(const ProgramTest& t) {
  std::string folder = t.Path("in/m");
  EXPECT_EQ(::mkdir(folder.c_str(), 0755), 0);
  while (folder.size() < 3950) {
    folder += "/m";
    EXPECT_EQ(::mkdir(folder.c_str(), 0755), 0);
  }
  return folder.substr(t.Path("").size());
}

class FileNamesTest : public ProgramTest {};

TEST_F(FileNamesTest, HostileNamesAreConvertedAndHandedOnByteForByte) {
  WriteSettings(SettingsText(Path("out"), true));
  FakeCompanion();
  const std::string deep = DeepFolder(*this);
  const std::vector<std::string> names = {
      "a b.jpg",          "say \"hi\".jpg", "one,two.jpg",  "new\nline.jpg",  "tab\there.jpg",
      "\xFF\xFE\x80.jpg", " spaced .jpg",   "'single'.JPG", "semi;colon.jpg", "star*quest?.jpg"};
  std::vector<std::string> args, expected;
  for (const std::string& name : names) {
    args.push_back(Picture("in/" + name));
    expected.push_back(Path("out/S_" + name));
  }
  args.push_back(Picture(deep + "/deep.jpg"));
  expected.push_back(Path("out/S_deep.jpg"));
  ASSERT_GT(args.back().size(), 3970u);
  // As long, in some 1,900 folders of one letter: as many levels of the long-name search.
  args.push_back(Picture(ManyLevels(*this) + "/levels.jpg"));
  expected.push_back(Path("out/S_levels.jpg"));
  // Files that are not pictures are handed on as they are named; a missing one as an empty entry.
  for (const std::string& other :
       {std::string("in/notes \"x\",\ny.txt"), deep + "/deep notes.txt"}) {
    test::WriteText(Path(other), "text");
    Watch(Path(other));
    args.push_back(Path(other));
    expected.push_back(Path(other));
  }
  args.push_back(Path("in/missing.txt"));
  expected.push_back("");
  // An argument that looks like an option, given relative to the current folder.
  Picture("in/-leading.jpg");
  args.push_back("-leading.jpg");
  expected.push_back(Path("out/S_-leading.jpg"));

  Limits limits;
  limits.workingFolder = Path("in");
  auto result = Run(args, limits);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  for (const std::string& output : expected) {
    if (output.rfind(Path("out/"), 0) != 0) continue;
    auto picture = DecodeJpeg(ReadBytes(output));
    EXPECT_EQ(picture.width, 19) << output;
    EXPECT_EQ(picture.height, 14) << output;
  }
  const std::string received = Received();
  EXPECT_EQ(received, BuildAttachmentString(expected));
  std::vector<std::string> paths;
  for (const std::string& entry : expected) {
    if (!entry.empty()) paths.push_back(entry);
  }
  EXPECT_EQ(SplitAttachmentString(received), paths) << "what the companion attaches";
}

TEST_F(FileNamesTest, AnOutputNameTooLongForTheFolderIsTheCreateError) {
  WriteSettings(SettingsText(Path("out"), false));
  const std::string name = std::string(251, 'n') + ".jpg";  // 255 bytes; with "S_" too long
  const std::string source = Picture("in/" + name);
  auto result = Run({source});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, CreateError(Path("out/S_" + name)));
  EXPECT_EQ(NamesIn(Path("out")), std::set<std::string>{});
}

TEST_F(FileNamesTest, AnOutputNameThatIsALinkIsNotWrittenThrough) {
  WriteSettings(SettingsText(Path("out"), false));
  test::WriteText(Path("victim.txt"), "must stay");
  Watch(Path("victim.txt"));
  ASSERT_EQ(::symlink(Path("victim.txt").c_str(), Path("out/S_a.jpg").c_str()), 0);
  ASSERT_EQ(::symlink(Path("gone.txt").c_str(), Path("out/S_b.jpg").c_str()), 0);
  Watch(Path("out/S_a.jpg"));
  Watch(Path("out/S_b.jpg"));
  for (std::string name : {"a.jpg", "b.jpg"}) {
    auto result = Run({Picture("in/" + name)});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, CreateError(Path("out/S_" + name)));
  }
  EXPECT_FALSE(test::Exists(Path("gone.txt")));
}

struct FolderCase {
  const char* name;
  void (*make)(const std::string& folder);
  bool unprivileged;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

const FolderCase kFolderCases[] = {
    {"IsAFile", [](const std::string& f) { test::WriteText(f, "a file"); }, false},
    {"IsMissing", [](const std::string&) {}, false},
    {"IsReadOnly", [](const std::string& f) { ::mkdir(f.c_str(), 0555); }, true},
};

class SaveFolderTest : public ProgramTest, public testing::WithParamInterface<FolderCase> {};

TEST_P(SaveFolderTest, IsTheCreateErrorAndNothingIsWritten) {
  const std::string folder = Path("out/save");
  GetParam().make(folder);
  Watch(folder);
  WriteSettings(SettingsText(folder, true));
  FakeCompanion();
  const std::string source = Picture("in/a.jpg");
  Limits limits;
  limits.unprivileged = GetParam().unprivileged;
  const std::set<std::string> outBefore = NamesIn(Path("out"));
  auto result = Run({source, Picture("in/b.jpg")}, limits);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, CreateError(folder + "/S_a.jpg"));
  EXPECT_EQ(NamesIn(Path("out")), outBefore);
  EXPECT_EQ(NamesIn(folder), std::set<std::string>{});
  EXPECT_EQ(OutputsIn(Path("tmp")), std::set<std::string>{});
  EXPECT_FALSE(CompanionRan());
}

INSTANTIATE_TEST_SUITE_P(SaveFolder, SaveFolderTest, testing::ValuesIn(kFolderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A FIFO or a device never blocks the program: the source is the open error, the output the
// create error, and nothing is written into them. Device nodes can be made by root only; a link
// to one stands in otherwise.
void MakeNullDevice(const std::string& path) {
  if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    ASSERT_EQ(::symlink("/dev/null", path.c_str()), 0);
  }
}

// Without a settings file, which conversion mode must not create.
TEST_F(FileNamesTest, AFifoOrADeviceAsTheSourceIsTheOpenError) {
  ASSERT_EQ(::mkfifo(Path("in/fifo.jpg").c_str(), 0644), 0);
  MakeNullDevice(Path("in/null.jpg"));
  ASSERT_EQ(::symlink("/dev/zero", Path("in/zero.jpg").c_str()), 0);
  for (std::string name : {"fifo.jpg", "null.jpg", "zero.jpg"}) {
    Watch(Path("in/" + name));
    auto result = Run({Path("in/" + name)});
    EXPECT_EQ(result.status, 1) << name;
    EXPECT_EQ(result.err, OpenError(Path("in/" + name)));
  }
  EXPECT_FALSE(test::Exists(Path("bin/kobanto.ini")));
  EXPECT_EQ(OutputsIn(Path("tmp")), std::set<std::string>{});
}

TEST_F(FileNamesTest, AFifoOrADeviceAtTheOutputNameIsTheCreateError) {
  WriteSettings(SettingsText(Path("out"), false));
  ASSERT_EQ(::mkfifo(Path("out/S_lonely.jpg").c_str(), 0666), 0);
  ASSERT_EQ(::mkfifo(Path("out/S_read.jpg").c_str(), 0666), 0);
  MakeNullDevice(Path("out/S_null.jpg"));
  // A reader on the second FIFO, so that opening it for writing would succeed.
  UniqueFd reader(::open(Path("out/S_read.jpg").c_str(), O_RDONLY | O_NONBLOCK));
  ASSERT_TRUE(reader.Valid());
  for (std::string name : {"lonely.jpg", "read.jpg", "null.jpg"}) {
    Watch(Path("out/S_" + name));
    auto result = Run({Picture("in/" + name)});
    EXPECT_EQ(result.status, 1) << name;
    EXPECT_EQ(result.err, CreateError(Path("out/S_" + name)));
  }
  char byte;
  EXPECT_LE(::read(reader.Get(), &byte, 1), 0) << "something was written into the FIFO";
}

// Started with its standard streams closed (as some launchers do), the files the program opens
// take their numbers: nothing meant for standard error may land in an output or the settings.
TEST_F(FileNamesTest, ClosedStandardStreamsReceiveNothingMeantForThem) {
  WriteSettings(SettingsText(Path("out"), false));
  test::WriteText(Path("in/broken.jpg"), "not a picture");
  Watch(Path("in/broken.jpg"));
  Limits limits;
  limits.closedStandardStreams = true;
  auto result = Run({Picture("in/a.jpg"), Picture("in/b.jpg"), Path("in/broken.jpg")}, limits);
  EXPECT_EQ(result.status, 1);
  for (auto name : {"out/S_a.jpg", "out/S_b.jpg"}) {
    auto picture = DecodeJpeg(ReadBytes(Path(name)));
    EXPECT_EQ(picture.width, 19) << name;
  }
  EXPECT_EQ(ReadBytes(Path("out/S_a.jpg")), ReadBytes(Path("out/S_b.jpg")));
  EXPECT_EQ(NamesIn(Path("out")), (std::set<std::string>{"S_a.jpg", "S_b.jpg"}));
}

// A file-size limit stands for a full disk: the write error, and an output of 0 bytes that cannot
// pass for a finished picture (also where an older picture stood); later arguments are left alone.
TEST_F(FileNamesTest, AFullDiskIsTheWriteErrorAndLeavesNoPicture) {
  WriteSettings(SettingsText(Path("out"), true));
  FakeCompanion();
  test::WriteText(Path("out/S_a.jpg"), "an older picture");
  Limits limits;
  limits.fileBlocks = 1;  // 512 bytes: less than any JPEG header the encoder writes
  auto result = Run({Picture("in/a.jpg", 640, 480), Picture("in/b.jpg")}, limits);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, Reported(msg::kStreamWrite));
  EXPECT_EQ(ReadBytes(Path("out/S_a.jpg")).size(), 0u);
  EXPECT_FALSE(test::Exists(Path("out/S_b.jpg")));
  EXPECT_FALSE(CompanionRan());
}

}  // namespace
}  // namespace kobanto::hostile
