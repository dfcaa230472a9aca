// The operating system's services on Windows: Windows' spellings of paths,
// file identities, names outside ASCII, listings, mappings, the reasons of
// failures in the C library's words, and whole-file replacement.
#include "platform/platform.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "frontend/error.hpp"
#include "support/temp_dir.hpp"

namespace {

using namespace marvolt::platform;
using testsupport::TempDir;

// A name no single-byte code page can spell.
const std::string kUnicodeName = "Gro\xC3\x9F" "er Preis \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8F\x81.rpy";

const ReplaceCheck kAnyFile = [](const FileId*) {};

// The message of the Error that `action` throws; empty when it throws none.
template <typename F>
std::string failure(F action) {
  try {
    action();
  } catch (const marvolt::Error& e) {
    return e.message();
  }
  return "";
}

std::vector<std::string> sortedListing(const std::string& dir) {
  std::vector<std::string> names = listDirectory(dir);
  return std::sort(names.begin(), names.end()), names;
}

std::string backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

TEST(PlatformWin32, PathsAndProgramNames) {
  EXPECT_TRUE(isSeparator('/') && isSeparator('\\') && !isSeparator(':'));
  for (const char* path : {"C:\\x", "c:/Sierra", "\\\\server\\share", "//server/share", "\\folder", "/a"}) {
    EXPECT_TRUE(isAbsolutePath(path)) << path;
  }
  for (const char* path : {"", "a\\b", "C:", "C:x", "1:/x", "..\\x"}) EXPECT_FALSE(isAbsolutePath(path)) << path;
  const std::pair<const char*, const char*> names[] = {
      {"C:\\Program Files\\marvolt\\marvolt.exe", "marvolt"}, {"bin/marvolt-season.EXE", "marvolt-season"},
      {"D:marvolt.Exe", "marvolt"}, {"marvolt", "marvolt"}, {".exe", ".exe"}, {"a.exe.txt", "a.exe.txt"}};
  for (const auto& [argv0, name] : names) EXPECT_EQ(programName(argv0), name) << argv0;
  EXPECT_TRUE(isAbsolutePath(workingDirectory()));
  EXPECT_TRUE(hasConsoleConversion());
}

// Every spelling of a file's path leads to the same file; a name outside
// ASCII is the same name on disk, in a listing and when read back.
TEST(PlatformWin32, SpellingsNamesKindsAndIdentities) {
  TempDir dir;
  replaceFile(dir.file(kUnicodeName), "abc", kAnyFile);
  replaceFile(dir.file("Sample.RPY"), "x", kAnyFile);
  makeDirectory(dir.file("sub"));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir.path()) /
                                      std::u8string(kUnicodeName.begin(), kUnicodeName.end())));
  EXPECT_EQ(sortedListing(dir.path()), (std::vector<std::string>{kUnicodeName, "Sample.RPY", "sub"}));
  EXPECT_EQ(readFile(backslashed(dir.file(kUnicodeName))), "abc");

  const FileId id = fileStatus(dir.file("Sample.RPY")).id;
  for (const std::string& spelling : {backslashed(dir.file("Sample.RPY")), dir.file("sample.rpy"),
                                      dir.file("sub/../SAMPLE.rpy")}) {
    EXPECT_EQ(fileStatus(spelling).id, id) << spelling;
  }
  EXPECT_NE(fileStatus(dir.file(kUnicodeName)).id, id);
  const std::pair<std::string, FileKind> kinds[] = {
      {dir.file(kUnicodeName), FileKind::Regular}, {dir.file("sub"), FileKind::Directory},
      {backslashed(dir.file("sub\\")), FileKind::Directory}, {"NUL", FileKind::Other},
      {dir.file("missing"), FileKind::Missing}};
  for (const auto& [path, kind] : kinds) EXPECT_EQ(fileStatus(path).kind, kind) << path;
  const std::pair<std::string, std::string> reasons[] = {
      {dir.file("missing"), "No such file or directory"}, {dir.file("missing/x"), "No such file or directory"},
      {dir.file("Sample.RPY/x"), "Not a directory"}, {dir.file("Sample.RPY\\"), "Not a directory"}};
  for (const auto& [path, reason] : reasons) EXPECT_EQ(fileStatus(path).error, reason) << path;
}

// Bytes are read as they are: a CR or a Ctrl-Z byte is data.
TEST(PlatformWin32, MappingsReadsAndReasons) {
  TempDir dir;
  const std::string bytes("a\r\nb\x1A\r\n\0z", 9);
  replaceFile(dir.file("crlf"), bytes, kAnyFile);
  replaceFile(dir.file("empty"), "", kAnyFile);
  const MappedFile mapped(dir.file("crlf"));
  EXPECT_EQ(std::string(mapped.bytes().begin(), mapped.bytes().end()), bytes);
  EXPECT_EQ(readFile(dir.file("crlf")), bytes);
  EXPECT_TRUE(MappedFile(dir.file("empty")).bytes().empty());
  EXPECT_EQ(failure([&] { readFile(dir.path()); }), "Is a directory");
  EXPECT_EQ(failure([&] { MappedFile m(dir.file("none")); }),
            "Could not open file " + dir.file("none") + " (No such file or directory)");
  EXPECT_EQ(failure([&] { listDirectory(dir.file("none")); }), dir.file("none") + ": No such file or directory");
  EXPECT_EQ(failure([&] { listDirectory(dir.file("crlf")); }), dir.file("crlf") + ": Not a directory");
  for (int again = 0; again < 2; ++again) makeDirectory(dir.file("made"));
  EXPECT_EQ(failure([&] { makeDirectory(dir.file("crlf")); }), dir.file("crlf") + ": Not a directory");
}

// The old file is replaced whole, after the check saw its identity; a
// refusal or a failure leaves everything as it was and no temporary file.
TEST(PlatformWin32, ReplaceFileRenamesOverTheOldFile) {
  TempDir dir;
  replaceFile(dir.file("out.txt"), "old", kAnyFile);
  const FileId old = fileStatus(dir.file("out.txt")).id;
  std::vector<std::optional<FileId>> seen;
  const ReplaceCheck record = [&seen](const FileId* id) { seen.push_back(id ? std::optional(*id) : std::nullopt); };
  EXPECT_EQ(failure([&] { replaceFile(dir.file("OUT.TXT"), "lost", [](const FileId*) { throw marvolt::Error("no"); }); }),
            "no");
  EXPECT_EQ(readFile(dir.file("out.txt")), "old");
  replaceFile(backslashed(dir.file("out.txt")), "new\n", record);
  replaceFile("NUL", "gone", record);
  EXPECT_EQ(seen, (std::vector<std::optional<FileId>>{old, std::nullopt}));
  EXPECT_EQ(readFile(dir.file("out.txt")), "new\n");
  EXPECT_EQ(failure([&] { replaceFile(dir.file("none/out.txt"), "x", kAnyFile); }),
            dir.file("none/out.txt") + ": No such file or directory");
  EXPECT_EQ(failure([&] { replaceFile(dir.path(), "x", kAnyFile); }), dir.path() + ": Is a directory");
  EXPECT_EQ(sortedListing(dir.path()), (std::vector<std::string>{"out.txt"}));
}

}  // namespace
