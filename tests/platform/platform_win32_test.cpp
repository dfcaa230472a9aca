// The operating system's services on Windows: Windows' spellings of paths,
// file identities, names outside ASCII, the reasons of failures in the C
// library's words, and whole-file replacement.
#include "platform/platform.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "frontend/error.hpp"
#include "platform/platform_checks.hpp"
#include "support/harness.hpp"

namespace {

using namespace marvolt::platform;
using platformchecks::sortedListing;
using testsupport::TempDir, testsupport::errorOf;

const ReplaceCheck kAnyFile = [](const FileId*) {};

std::string backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

TEST(PlatformWin32, PathsAndProgramNames) {
  EXPECT_TRUE(isSeparator('/') && isSeparator('\\') && !isSeparator(':') && hasConsoleConversion());
  for (const char* path : {"C:\\x", "c:/Sierra", "\\\\server\\share", "//server/share", "\\folder"}) {
    EXPECT_TRUE(isAbsolutePath(path)) << path;
  }
  for (const char* path : {"", "a\\b", "C:", "C:x", "1:/x"}) EXPECT_FALSE(isAbsolutePath(path)) << path;
  const std::pair<const char*, const char*> names[] = {
      {"C:\\Program Files\\marvolt\\marvolt.exe", "marvolt"}, {"bin/marvolt-season.EXE", "marvolt-season"},
      {"D:marvolt.Exe", "marvolt"}, {".exe", ".exe"}, {"a.exe.txt", "a.exe.txt"}};
  for (const auto& [argv0, name] : names) EXPECT_EQ(programName(argv0), name) << argv0;
  EXPECT_TRUE(isAbsolutePath(workingDirectory()));
}

// A name outside ASCII is the same name on disk (the comparison of both
// builds reads such names and bytes); every spelling of a path leads to the
// same file; failures have the C library's reasons.
TEST(PlatformWin32, NamesSpellingsIdentitiesAndReasons) {
  TempDir dir;
  const std::string unicode = "\xE6\x97\xA5\xF0\x9F\x8F\x81.rpy";
  replaceFile(dir.file(unicode), "abc", kAnyFile);
  replaceFile(dir.file("Sample.RPY"), "", kAnyFile);
  makeDirectory(dir.file("sub"));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir.path()) / std::u8string(unicode.begin(), unicode.end())));
  EXPECT_TRUE(MappedFile(backslashed(dir.file("Sample.RPY"))).bytes().empty());

  const FileId id = fileStatus(dir.file("Sample.RPY")).id;
  for (const std::string& spelling : {backslashed(dir.file("Sample.RPY")), dir.file("sub/../SAMPLE.rpy")}) {
    EXPECT_EQ(fileStatus(spelling).id, id) << spelling;
  }
  EXPECT_NE(fileStatus(dir.file(unicode)).id, id);
  EXPECT_EQ(fileStatus(backslashed(dir.file("sub\\"))).kind, FileKind::Directory);
  EXPECT_EQ(fileStatus("NUL").kind, FileKind::Other);
  const std::pair<std::string, std::string> reasons[] = {
      {"missing/x", "No such file or directory"}, {"Sample.RPY/x", "Not a directory"}, {"Sample.RPY\\", "Not a directory"}};
  for (const auto& [name, reason] : reasons) EXPECT_EQ(fileStatus(dir.file(name)).error, reason) << name;
  EXPECT_EQ(errorOf([&] { readFile(dir.path()); }), "Is a directory");
  EXPECT_EQ(errorOf([&] { listDirectory(dir.file("Sample.RPY")); }), dir.file("Sample.RPY") + ": Not a directory");
  EXPECT_EQ(errorOf([&] { makeDirectory(dir.file("Sample.RPY")); }), dir.file("Sample.RPY") + ": Not a directory");
}

// The old file is replaced whole, after the check saw its identity; a
// refusal or a failure leaves everything as it was and no temporary file.
TEST(PlatformWin32, ReplaceFileRenamesOverTheOldFile) {
  TempDir dir;
  replaceFile(dir.file("out.txt"), "old", kAnyFile);
  const FileId old = fileStatus(dir.file("out.txt")).id;
  std::vector<std::optional<FileId>> seen;
  const ReplaceCheck record = [&seen](const FileId* id) { seen.push_back(id ? std::optional(*id) : std::nullopt); };
  EXPECT_EQ(errorOf([&] { replaceFile(dir.file("OUT.TXT"), "lost", [](const FileId*) { throw marvolt::Error("no"); }); }),
            "no");
  EXPECT_EQ(readFile(dir.file("out.txt")), "old");
  replaceFile(backslashed(dir.file("out.txt")), "new\n", record);
  replaceFile("NUL", "gone", record);
  EXPECT_EQ(seen, (std::vector<std::optional<FileId>>{old, std::nullopt}));
  EXPECT_EQ(readFile(dir.file("out.txt")), "new\n");
  EXPECT_EQ(errorOf([&] { replaceFile(dir.file("none/out.txt"), "x", kAnyFile); }),
            dir.file("none/out.txt") + ": No such file or directory");
  EXPECT_EQ(errorOf([&] { replaceFile(dir.path(), "x", kAnyFile); }), dir.path() + ": Is a directory");
  EXPECT_EQ(sortedListing(dir.path()), (std::vector<std::string>{"out.txt"}));
}

}  // namespace
