// The operating system's services on POSIX: what a path leads to, file
// identities, listings, mappings, paths and whole-file replacement.
#include "platform/platform.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "frontend/error.hpp"
#include "frontend/files.hpp"
#include "platform/platform_checks.hpp"
#include "support/harness.hpp"

namespace {

using namespace marvolt::platform;
using platformchecks::sortedListing;
using testsupport::TempDir, testsupport::errorOf, testsupport::readFile, testsupport::writeText;

TEST(Platform, StatusKindsIdentitiesThroughLinksAndListings) {
  TempDir dir;
  writeText(dir.file("file"), "x");
  ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("file", dir.file("soft").c_str()), 0);
  ASSERT_EQ(::link(dir.file("file").c_str(), dir.file("hard").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", dir.file("dangling").c_str()), 0);
  const std::pair<std::string, FileKind> kinds[] = {
      {"file", FileKind::Regular}, {"soft", FileKind::Regular}, {"sub", FileKind::Directory},
      {"missing", FileKind::Missing}, {"dangling", FileKind::Missing}, {"file/x", FileKind::Missing}};
  for (const auto& [name, kind] : kinds) EXPECT_EQ(fileStatus(dir.file(name)).kind, kind) << name;
  EXPECT_EQ(fileStatus("/dev/null").kind, FileKind::Other);
  EXPECT_EQ(fileStatus(dir.file("missing")).error, "No such file or directory");
  EXPECT_EQ(fileStatus(dir.file("file/x")).error, "Not a directory");
  const FileId id = fileStatus(dir.file("file")).id;
  EXPECT_EQ(std::make_pair(fileStatus(dir.file("soft")).id, fileStatus(dir.file("hard")).id), std::make_pair(id, id));
  EXPECT_NE(fileStatus(dir.file("sub")).id, id);
  EXPECT_EQ(sortedListing(dir.path()), (std::vector<std::string>{"dangling", "file", "hard", "soft", "sub"}));
}

TEST(Platform, MappingsWholeFilesAndDirectories) {
  TempDir dir;
  writeText(dir.file("a"), "abc");
  writeText(dir.file("empty"), "");
  EXPECT_EQ(errorOf([&] { listDirectory(dir.file("none")); }), dir.file("none") + ": No such file or directory");
  EXPECT_TRUE(MappedFile(dir.file("empty")).bytes().empty());
  const MappedFile mapped(dir.file("a"));
  EXPECT_EQ(std::string(mapped.bytes().begin(), mapped.bytes().end()), "abc");
  // A failure carries what was asked, of which path, and the reason; the caller words the message.
  try {
    MappedFile m(dir.file("none"));
    ADD_FAILURE() << "mapped a missing file";
  } catch (const SystemError& e) {
    EXPECT_EQ(std::make_tuple(e.operation(), e.path(), e.reason()),
              std::make_tuple(Operation::Open, dir.file("none"), std::string("No such file or directory")));
  }
  EXPECT_EQ(marvolt::platform::readFile(dir.file("a")), "abc");
  EXPECT_EQ(errorOf([&] { marvolt::platform::readFile(dir.path()); }), "Is a directory");
  for (int again = 0; again < 2; ++again) makeDirectory(dir.file("made"));
  EXPECT_EQ(fileStatus(dir.file("made")).kind, FileKind::Directory);
  EXPECT_EQ(errorOf([&] { makeDirectory(dir.file("a")); }), dir.file("a") + ": Not a directory");
}

TEST(Platform, PathsAndProgramNames) {
  EXPECT_TRUE(isSeparator('/') && !isSeparator('\\'));
  for (const char* path : {"/", "/a/b", "//server/share"}) EXPECT_TRUE(isAbsolutePath(path)) << path;
  for (const char* path : {"", "a/b", "C:/Sierra", "C:\\x", "\\\\server\\share"}) EXPECT_FALSE(isAbsolutePath(path)) << path;
  EXPECT_EQ(programName("/usr/bin/marvolt") + programName("bin\\marvolt.exe"), "marvoltbin\\marvolt.exe");
  EXPECT_EQ(marvolt::absolutePath("a/b") + marvolt::absolutePath("/a/b"), workingDirectory() + "/a/b/a/b");
}

// The file a name leads to is replaced whole: its mode and the link to it
// stay; a new file gets 0666 less the umask; a device is written directly;
// a refusal leaves everything as it was; no temporary file stays behind.
TEST(Platform, ReplaceFileKeepsModeAndLinks) {
  TempDir dir;
  writeText(dir.file("out"), "old");
  ASSERT_EQ(::chmod(dir.file("out").c_str(), 0640), 0);
  ASSERT_EQ(::symlink("out", dir.file("link").c_str()), 0);
  std::vector<std::optional<FileId>> seen;
  const ReplaceCheck record = [&seen](const FileId* id) { seen.push_back(id ? std::optional(*id) : std::nullopt); };
  const FileId old = fileStatus(dir.file("out")).id;
  replaceFile(dir.file("link"), "new", record);
  const mode_t umask = ::umask(027);
  replaceFile(dir.file("fresh"), "", record);
  ::umask(umask);
  replaceFile("/dev/null", "x", record);
  EXPECT_EQ(seen, (std::vector<std::optional<FileId>>{old, std::nullopt, fileStatus("/dev/null").id}));
  EXPECT_EQ(errorOf([&] { replaceFile(dir.file("out"), "lost", [](const FileId*) { throw marvolt::Error("no"); }); }),
            "no");
  EXPECT_EQ(readFile(dir.file("out")), "new");
  EXPECT_EQ(readFile(dir.file("fresh")), "");
  struct stat link {}, out {}, fresh {};
  ASSERT_EQ(::lstat(dir.file("link").c_str(), &link) + ::stat(dir.file("out").c_str(), &out) +
                ::stat(dir.file("fresh").c_str(), &fresh), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
  EXPECT_EQ(std::make_pair(out.st_mode & 07777, fresh.st_mode & 07777), std::make_pair(0640u, 0640u));
  EXPECT_EQ(sortedListing(dir.path()), (std::vector<std::string>{"fresh", "link", "out"}));
}

}  // namespace
