// The generic container. Its failures on damaged replays (short files,
// wrong labels, overruns) are checked exactly in the replay and corruption tests.
#include "container/chunkfile.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace marvolt {
namespace {

using testsupport::Bytes, testsupport::chunk, testsupport::concat, testsupport::container, testsupport::rawChunk;
using testsupport::outerFile;

// Most cases read the container from memory; the file-system cases map real paths.
class ChunkFileTest : public ::testing::Test {
 protected:
  std::string openError(const Bytes& bytes) {
    return testsupport::errorOf([&] { ChunkFile(std::span<const std::uint8_t>(bytes), path).open(); });
  }
  testsupport::TempDir dir;
  const std::string path = dir.file("f.rpy");
};

// The outer size is padded to 4 before it is compared with the file length.
TEST_F(ChunkFileTest, TotalLengthMustMatchThePaddedSize) {
  const std::pair<std::uint32_t, std::string> cases[] = {
      {988, ""}, {986, ""}, {989, "Bad file length (1004 != 1000)"}, {1000, "Bad file length (1012 != 1000)"}};
  for (const auto& [size, error] : cases) {
    EXPECT_EQ(openError(rawChunk("YLPR", size, Bytes(988, 0), 0x2402)),  // always 1000 bytes long
              error.empty() ? "" : error + " reading file " + path);
  }
}

// A directory is an Error (status 1); a missing path is a FileSystemError (status 255).
TEST_F(ChunkFileTest, DirectoriesAreNotFilesAndMissingPathsAreFileSystemErrors) {
  try {
    ChunkFile file(dir.path());
    FAIL();
  } catch (const FileSystemError&) {
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), dir.path() + " is not a file");
  }
  EXPECT_THROW(ChunkFile(dir.file("missing")), FileSystemError);
}

TEST_F(ChunkFileTest, NavigationOverPaddedChunksAndContainers) {
  const Bytes content = concat({rawChunk("AAAA", 1, Bytes(4, 0)), rawChunk("BBBB", 5, Bytes(8, 0)),
                                rawChunk("CCCC", 0, {}), container("BOXX", {}),
                                container("BOXX", {chunk("KIDS", {}), chunk("KIDS", {1})})});
  const Bytes bytes = outerFile(0x0102, content);
  ChunkFile file(std::span<const std::uint8_t>(bytes), path);
  const Chunk root = file.open();
  EXPECT_EQ(file.ver(), 0x0102u);
  // Label, padded data size, whole size and file offset of the chunk at an offset into the root's data.
  using Seen = std::tuple<std::string_view, std::uint64_t, std::uint64_t, std::uint64_t>;
  const auto seen = [&](std::uint64_t at) {
    const Chunk c = innerChunk(root, at);
    return Seen(c.label(), c.dsize(), c.totSize(), c.offset());
  };
  EXPECT_EQ(seen(0), Seen("AAAA", 4, 16, 12));
  EXPECT_EQ(seen(16), Seen("BBBB", 8, 20, 28));
  EXPECT_EQ(seen(36), Seen("CCCC", 0, 12, 48));
  // chunkArray gives the children and returns the container's whole size.
  std::vector<Chunk> kids;
  EXPECT_EQ(chunkArray(root, ChunkLbl::make("BOXX"), ChunkLbl::make("KIDS"), kids, 48), 12u);
  EXPECT_EQ(chunkArray(root, ChunkLbl::make("BOXX"), ChunkLbl::make("KIDS"), kids, 60), 12u + 12 + 16);
  ASSERT_EQ(kids.size(), 2u);
  EXPECT_EQ(kids[1].dsize(), 4u);
}

// The outer chunk claims 4 data bytes: no child header fits, and nothing is read past the mapping.
TEST_F(ChunkFileTest, HeadersNearTheEndNeverReadPastTheMapping) {
  const Bytes bytes = outerFile(2, Bytes{'D', 'H', 'P', 'R'});
  ChunkFile file(std::span<const std::uint8_t>(bytes), path);
  const Chunk root = file.open();
  EXPECT_FALSE(innerChunk(root, 0).valid());
  EXPECT_THROW(innerChunk(root, ChunkLbl::make("DHPR"), 0), Error);
  EXPECT_THROW(innerChunk(root, 4).label(), Error);
  EXPECT_THROW(file.bytes(10, 40), Error);
  EXPECT_THROW(file[16], Error);
}

}  // namespace
}  // namespace marvolt
