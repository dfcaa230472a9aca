#include "container/chunkfile.hpp"

#include <gtest/gtest.h>

#include "support/harness.hpp"
#include "support/replay_builder.hpp"

namespace marvolt {
namespace {

using testsupport::Bytes;
using testsupport::chunk;
using testsupport::concat;
using testsupport::container;
using testsupport::outerFile;
using testsupport::rawChunk;

class ChunkFileTest : public ::testing::Test {
 protected:
  std::string write(const Bytes& bytes, const std::string& name = "f.rpy") {
    const std::string path = dir.file(name);
    testsupport::writeFile(path, bytes);
    return path;
  }
  std::string openError(const Bytes& bytes) {
    const std::string path = write(bytes);
    try {
      ChunkFile file(path);
      file.open();
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  }
  testsupport::TempDir dir;
};

TEST_F(ChunkFileTest, ShortFilesHaveAnUnknownFormat) {
  for (std::size_t n = 0; n < 8; ++n) {
    const Bytes bytes(n, 'Y');
    EXPECT_EQ(openError(bytes), "Unknown file format reading file " + dir.file("f.rpy")) << n;
  }
}

TEST_F(ChunkFileTest, WrongLabelIsAnUnknownHeader) {
  Bytes bytes = outerFile(0x2402, {});
  std::copy_n("RPLY", 4, bytes.begin());
  EXPECT_EQ(openError(bytes), "Unknown file header 'RPLY' reading file " + dir.file("f.rpy"));
}

TEST_F(ChunkFileTest, TotalLengthMustMatchTheFile) {
  auto fileWithSize = [](std::uint32_t size) {
    Bytes bytes = rawChunk("YLPR", size, Bytes(988, 0), 0x2402);
    return bytes;  // always 1000 bytes long
  };
  const std::string path = dir.file("f.rpy");
  EXPECT_EQ(openError(fileWithSize(988)), "");
  EXPECT_EQ(openError(fileWithSize(986)), "");
  EXPECT_EQ(openError(fileWithSize(989)), "Bad file length (1004 != 1000) reading file " + path);
  EXPECT_EQ(openError(fileWithSize(1000)), "Bad file length (1012 != 1000) reading file " + path);
  Bytes trailing = outerFile(0x2402, Bytes(8, 0));
  trailing.push_back(0);
  EXPECT_EQ(openError(trailing), "Bad file length (20 != 21) reading file " + path);
  // A label without a size field: the header reaches past the end.
  EXPECT_NE(openError(testsupport::bytesOf(std::string_view("YLPR\x02\x24\0\0", 8))).find("reaches past the end"), std::string::npos);
}

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

TEST_F(ChunkFileTest, ChunkSizesArePadded) {
  const Bytes content = concat({rawChunk("AAAA", 1, Bytes(4, 0)), rawChunk("BBBB", 5, Bytes(8, 0)),
                                rawChunk("CCCC", 0, {}), chunk("DDDD", Bytes(4, 0))});
  const std::string path = write(outerFile(0x0102, content));
  ChunkFile file(path);
  const Chunk root = file.open();
  EXPECT_EQ(file.ver(), 0x0102u);
  const Chunk a = innerChunk(root, 0);
  EXPECT_EQ(a.dsize(), 4u);
  EXPECT_EQ(a.totSize(), 16u);
  const Chunk b = innerChunk(root, a.totSize());
  EXPECT_EQ(b.label(), "BBBB");
  EXPECT_EQ(b.dsize(), 8u);
  const Chunk c = innerChunk(root, a.totSize() + b.totSize());
  EXPECT_EQ(c.label(), "CCCC");
  EXPECT_EQ(c.totSize(), 12u);
  EXPECT_TRUE(c.valid());
  EXPECT_EQ(c.offset(), 12u + 16 + 20);
}

TEST_F(ChunkFileTest, LabelledChildrenCheckSizeBeforeLabel) {
  // Container "BOXX" holds one child; the child overruns it by one byte.
  const Bytes goodChild = chunk("KIDS", Bytes(8, 1));
  const Bytes bad = concat({rawChunk("BOXX", 20, rawChunk("KIDX", 9, Bytes(8, 1)))});
  const std::string good = write(outerFile(2, container("BOXX", {goodChild})), "good.rpy");
  ChunkFile gf(good);
  std::vector<Chunk> kids;
  EXPECT_EQ(chunkArray(gf.open(), ChunkLbl::make("BOXX"), ChunkLbl::make("KIDS"), kids, 0), 32u);
  ASSERT_EQ(kids.size(), 1u);

  const std::string badPath = write(outerFile(2, bad), "bad.rpy");
  ChunkFile bf(badPath);
  const Chunk root = bf.open();
  try {
    kids.clear();
    chunkArray(root, ChunkLbl::make("BOXX"), ChunkLbl::make("KIDS"), kids, 0);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Error reading file " + badPath + ": chunk label 'BOXX' (KIDS) data size exceeded at offset 24");
  }
  EXPECT_FALSE(innerChunk(innerChunk(root, ChunkLbl::make("BOXX"), 0), 0).valid());
  try {
    innerChunk(root, ChunkLbl::make("NOPE"), 0);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Error reading file " + badPath + ": chunk label 'BOXX' does not match requested label 'NOPE'");
  }
}

TEST_F(ChunkFileTest, ChunkArrayAppendsAndEmptyContainersHaveNoChildren) {
  const std::string path =
      write(outerFile(2, concat({container("BOXX", {}), container("BOXX", {chunk("KIDS", {}), chunk("KIDS", {1})})})));
  ChunkFile file(path);
  const Chunk root = file.open();
  std::vector<Chunk> kids;
  EXPECT_EQ(chunkArray(root, ChunkLbl::make("BOXX"), ChunkLbl::make("KIDS"), kids, 0), 12u);
  EXPECT_TRUE(kids.empty());
  EXPECT_EQ(chunkArray(root, ChunkLbl::make("BOXX"), ChunkLbl::make("KIDS"), kids, 12), 12u + 12 + 16);
  EXPECT_EQ(chunkArray(root, ChunkLbl::make("BOXX"), ChunkLbl::make("KIDS"), kids, 12), 40u);
  EXPECT_EQ(kids.size(), 4u);
}

TEST_F(ChunkFileTest, RecordSizeMustEqualThePaddedChunkSize) {
  struct Rec76 {
    std::uint8_t b[76];
  };
  for (const std::uint32_t size : {72u, 73u, 76u, 80u}) {
    const std::string path = write(outerFile(2, rawChunk("DHPR", size, Bytes((size + 3) / 4 * 4, 7))));
    ChunkFile file(path);
    const Rec76* rec = nullptr;
    try {
      EXPECT_EQ(innerChunk(file.open(), ChunkLbl::make("DHPR"), rec, 0), 88u);
      EXPECT_TRUE(size > 72 && size <= 76);
      EXPECT_EQ(rec->b[75], 7);
    } catch (const Error& e) {
      EXPECT_TRUE(size == 72 || size == 80);
      EXPECT_EQ(std::string(e.what()), "Chunk DHPR size and destination type size are not equal (" +
                                           std::to_string((size + 3) / 4 * 4) + " != 76)");
    }
  }
}

TEST_F(ChunkFileTest, HeadersNearTheEndNeverReadPastTheMapping) {
  // The outer chunk claims 4 data bytes: a child header cannot fit.
  const std::string path = write(outerFile(2, Bytes{'D', 'H', 'P', 'R'}));
  ChunkFile file(path);
  const Chunk root = file.open();
  EXPECT_FALSE(innerChunk(root, 0).valid());
  EXPECT_THROW(innerChunk(root, ChunkLbl::make("DHPR"), 0), Error);
  EXPECT_THROW(innerChunk(root, 4).label(), Error);
  EXPECT_THROW(file.bytes(10, 40), Error);
  EXPECT_THROW(file[16], Error);
}

TEST_F(ChunkFileTest, WantedLabelsAndPlausibility) {
  const std::string path = write(outerFile(2, concat({chunk("DHPR", {}, 3), rawChunk("\x80XYZ", 0, {})})));
  ChunkFile file(path);
  Chunk root = file.open();
  EXPECT_EQ(file.getLbl(ChunkLbl::make("DHPR"), 12).label(), "DHPR");
  EXPECT_EQ(file.getLbl(ChunkLbl::make("DHPR", 3), 12).label(), "DHPR");
  try {
    file.getLbl(ChunkLbl::make("DHPR", 4), 12);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Bad chunk DHPR version (3 != 4)");
  }
  try {
    file.getLbl(ChunkLbl::make("FNKW"), 12);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Bad chunk label (DHPR != FNKW)");
  }
  EXPECT_TRUE(root.isValid());
  EXPECT_TRUE(innerChunk(root, 0).consistent(262144));
  Chunk high = innerChunk(root, 12);
  EXPECT_FALSE(high.isValid());
  ChunkX x;
  EXPECT_FALSE(x.valid(10));
  std::copy_n("YLPR", 4, x.id);
  x.ver = ChunkLbl::make("YLPR", 99).ver;
  EXPECT_TRUE(x.valid(0));
}

}  // namespace
}  // namespace marvolt
