#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "settings/Keys.h"
#include "tests/shrink/ShrinkFixture.h"
#include "tests/support/Unprivileged.h"

namespace kobanto::test {
namespace {

using namespace settings;

// What lies at the output path, to tell that a failure left it alone: its kind and, for a file or
// a link to one, its content.
struct OutputState {
  bool exists = false;
  mode_t kind = 0;
  std::string linkTarget;
  std::vector<std::uint8_t> content;
  friend bool operator==(const OutputState&, const OutputState&) = default;
};

OutputState StateOf(const std::string& path) {
  OutputState state;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return state;
  state.exists = true;
  state.kind = st.st_mode & S_IFMT;
  if (S_ISLNK(st.st_mode)) {
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
    state.linkTarget.assign(target, n > 0 ? static_cast<std::size_t>(n) : 0);
    state.content = ReadBytes(path);
  } else if (S_ISREG(st.st_mode)) {
    state.content = ReadBytes(path);
  }
  return state;
}

enum class Kind { kOpen, kCreate, kJpeg, kResources };

struct Scene {
  std::string source, output;
};

struct FailureCase {
  const char* name;
  std::function<Scene(const ShrinkTest&)> setup;
  Kind kind;
  // The exact message, from the scene; none for a JPEG error, whose number is the codec's.
  std::function<std::string(const Scene&)> message;
  bool outputExistedBefore;  // else it must not be created
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

bool IsKind(const Exception& e, Kind kind) {
  switch (kind) {
    case Kind::kOpen:
      return dynamic_cast<const EFOpenError*>(&e) != nullptr;
    case Kind::kCreate:
      return dynamic_cast<const EFCreateError*>(&e) != nullptr;
    case Kind::kJpeg:
      return dynamic_cast<const EJPEG*>(&e) != nullptr;
    case Kind::kResources:
      return dynamic_cast<const EOutOfResources*>(&e) != nullptr;
  }
  return false;
}

class ShrinkFailureTest : public ShrinkTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(ShrinkFailureTest, FailsAndLeavesTheOutputAlone) {
  const FailureCase& c = GetParam();
  const Scene scene = c.setup(*this);
  const OutputState before = StateOf(scene.output);
  ASSERT_EQ(before.exists, c.outputExistedBefore);
  std::optional<std::string> message;
  try {
    Shrink(scene.source, scene.output);
  } catch (const Exception& e) {
    EXPECT_TRUE(IsKind(e, c.kind)) << typeid(e).name();
    message = e.Message();
  }
  ASSERT_TRUE(message.has_value()) << "no error";
  if (c.message) {
    EXPECT_EQ(*message, c.message(scene));
  } else {
    EXPECT_EQ(message->rfind("JPEG エラー #", 0), 0u) << *message;
  }
  EXPECT_EQ(StateOf(scene.output), before);
}

std::string OpenMessage(const Scene& s) { return FormatMessage(msg::kFileOpen, s.source); }
std::string CreateMessage(const Scene& s) { return FormatMessage(msg::kFileCreate, s.output); }
std::string InvalidParameter(const Scene&) { return std::string(msg::kInvalidParameter); }
std::string OutOfResources(const Scene&) { return std::string(msg::kOutOfResources); }

// An existing output holding an older picture.
std::string OldOutput(const ShrinkTest& t) {
  const std::string output = t.Path("S_photo.jpg");
  WriteText(output, "an older picture");
  return output;
}

std::string Photo(const ShrinkTest& t) { return t.Source("photo.jpg", 64, 48); }

const FailureCase kFailures[] = {
    {"MissingSource",
     [](const ShrinkTest& t) {
       return Scene{t.Path("missing.jpg"), OldOutput(t)};
     },
     Kind::kOpen, OpenMessage, true},
    {"EmptySourcePath",
     [](const ShrinkTest& t) {
       return Scene{"", t.Path("S_.jpg")};
     },
     Kind::kOpen, OpenMessage, false},
    {"SourceIsAFolder",
     [](const ShrinkTest& t) {
       ::mkdir(t.Path("folder.jpg").c_str(), 0755);
       return Scene{t.Path("folder.jpg"), t.Path("S_folder.jpg")};
     },
     Kind::kOpen, OpenMessage, false},
    {"PngNamedJpg",
     [](const ShrinkTest& t) {
       WriteText(t.Path("picture.jpg"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
       return Scene{t.Path("picture.jpg"), t.Path("S_picture.jpg")};
     },
     Kind::kJpeg, nullptr, false},
    {"EmptySourceStillDecodedForAnEmptyTarget",
     [](const ShrinkTest& t) {
       WriteText(t.Path("empty.jpg"), "");
       return Scene{t.Path("empty.jpg"), t.Path("S_empty.jpg")};
     },
     Kind::kJpeg, nullptr, false},
    {"OutputFolderMissing",
     [](const ShrinkTest& t) {
       return Scene{Photo(t), t.Path("no/such/S_photo.jpg")};
     },
     Kind::kCreate, CreateMessage, false},
    {"OutputIsASymbolicLink",
     [](const ShrinkTest& t) {
       WriteText(t.Path("elsewhere.txt"), "not to be overwritten");
       ::symlink(t.Path("elsewhere.txt").c_str(), t.Path("S_photo.jpg").c_str());
       return Scene{Photo(t), t.Path("S_photo.jpg")};
     },
     Kind::kCreate, CreateMessage, true},
    {"OutputIsAFifo",
     [](const ShrinkTest& t) {
       ::mkfifo(t.Path("S_photo.jpg").c_str(), 0666);
       return Scene{Photo(t), t.Path("S_photo.jpg")};
     },
     Kind::kCreate, CreateMessage, true},
    {"NegativeFixedWidth",
     [](const ShrinkTest& t) {
       t.WriteSettings({{kPercentModeKey, "0"}, {kWidthKey, "-5"}});
       return Scene{Photo(t), OldOutput(t)};
     },
     Kind::kResources, InvalidParameter, true},
    {"NegativePercent",
     [](const ShrinkTest& t) {
       t.WriteSettings({{kPercentValueKey, "-30"}});
       return Scene{Photo(t), OldOutput(t)};
     },
     Kind::kResources, InvalidParameter, true},
    {"FixedSizeBeyondTheBitmapLimit",
     [](const ShrinkTest& t) {
       t.WriteSettings({{kPercentModeKey, "0"}, {kWidthKey, "100000"}, {kHeightKey, "100000"}});
       return Scene{Photo(t), OldOutput(t)};
     },
     Kind::kResources, OutOfResources, true},
    {"UndecodableSourceStillDecodedForAnEmptyTarget",
     [](const ShrinkTest& t) {
       JpegRecipe recipe;
       recipe.arithmetic = true;  // loads, and is refused when decoded
       WriteBytes(t.Path("arith.jpg"), MakeJpeg(recipe));
       t.WriteSettings({{kPercentValueKey, "0"}});
       return Scene{t.Path("arith.jpg"), OldOutput(t)};
     },
     Kind::kJpeg, nullptr, true},
    // A header of 65000 x 2000 enlarged by 250 % needs 2.4 GB: refused when the intermediate
    // picture is sized, before the source is decoded (decoding this one would fail otherwise).
    {"EnlargementBeyondTheBitmapLimit",
     [](const ShrinkTest& t) {
       JpegRecipe recipe;
       recipe.arithmetic = true;
       WriteBytes(t.Path("huge.jpg"), WithFrameSize(MakeJpeg(recipe), 65000, 2000));
       t.WriteSettings({{kPercentValueKey, "250"}});
       return Scene{t.Path("huge.jpg"), OldOutput(t)};
     },
     Kind::kResources, OutOfResources, true},
};

INSTANTIATE_TEST_SUITE_P(Shrink, ShrinkFailureTest, testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// A read-only output stays as it was. Root may write anywhere, so the shrink runs unprivileged.
TEST_F(ShrinkTest, AReadOnlyOutputIsNotReplaced) {
  const std::string source = Source("photo.jpg", 64, 48);
  const std::string output = Path("S_photo.jpg");
  WriteText(output, "an older picture");
  ASSERT_EQ(::chmod(output.c_str(), 0444), 0);
  const ShrinkContext context = Context();
  const int status = RunUnprivileged([&] {
    try {
      ShrinkJpeg(source, output, context);
    } catch (const EFCreateError& e) {
      return e.Message() == FormatMessage(msg::kFileCreate, output) ? 0 : 1;
    } catch (...) {
      return 2;
    }
    return 3;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadText(output), "an older picture");
}

// A successful shrink replaces an existing output.
TEST_F(ShrinkTest, AnExistingOutputIsReplaced) {
  const std::string output = Path("S_photo.jpg");
  WriteText(output, "an older picture");
  Shrink(Source("photo.jpg", 640, 480), output);
  EXPECT_EQ(DecodeJpeg(ReadBytes(output)).width, 192);
}

}  // namespace
}  // namespace kobanto::test
