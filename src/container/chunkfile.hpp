// The chunked container of replay files: a read-only mapping of the whole
// file, chunk views into it, and the navigation from a chunk to its
// children. Every view borrows from the mapping and never reads past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "container/endian.hpp"
#include "frontend/error.hpp"
#include "platform/platform.hpp"

namespace marvolt {

/// The first 8 bytes of every chunk header: label and version word.
struct ChunkLbl {
  char id[4] = {'\xFF', '\xFF', '\xFF', '\xFF'};
  ulittle32_t ver = {{0, 0, 0, 0}};

  /// A label constant with the given 4 label bytes and version.
  static constexpr ChunkLbl make(std::string_view label, std::uint32_t version = 0) {
    ChunkLbl l;
    for (std::size_t i = 0; i < 4; ++i) l.id[i] = label[i];
    for (std::size_t i = 0; i < 4; ++i) l.ver.bytes[i] = static_cast<std::uint8_t>(version >> (8 * i));
    return l;
  }
  /// The 4 label bytes as characters.
  std::string_view label() const { return {id, 4}; }
};
static_assert(sizeof(ChunkLbl) == 8 && alignof(ChunkLbl) == 1);

/// A full chunk header: the label and the data size before padding.
struct ChunkHdr {
  ChunkLbl lbl;
  ulittle32_t size = {{0, 0, 0, 0}};

  /// A header constant with the given label, version and size.
  static constexpr ChunkHdr make(std::string_view label, std::uint32_t size, std::uint32_t version = 0) {
    ChunkHdr h;
    h.lbl = ChunkLbl::make(label, version);
    for (std::size_t i = 0; i < 4; ++i) h.size.bytes[i] = static_cast<std::uint8_t>(size >> (8 * i));
    return h;
  }
};
static_assert(sizeof(ChunkHdr) == 12 && alignof(ChunkHdr) == 1);

/// A 24-byte raw header view used for plausibility tests.
struct ChunkX {
  char id[4] = {'\xFF', '\xFF', '\xFF', '\xFF'};
  ulittle32_t ver = {{0, 0, 0, 0}};
  ulittle32_t size = {{0, 0, 0, 0}};
  std::uint8_t rest[12] = {};

  /// True for "YLPR", else when the label is 7-bit, ver < 32 and size < max.
  bool valid(std::uint64_t max) const;
};
static_assert(sizeof(ChunkX) == 24 && alignof(ChunkX) == 1);

class ChunkFile;

/// A light view of one chunk of a mapped file; copied freely.
class Chunk {
 public:
  /// The chunk whose header lies at file offset `pos`; nothing is checked.
  Chunk(const ChunkFile& file, std::uint64_t pos);
  /// The child at relative position `rel` of `parent`'s data; nothing is checked.
  Chunk(const Chunk& parent, std::uint64_t rel);

  /// The 4 label bytes.
  std::string_view label() const;
  /// The file offset of the header.
  std::uint64_t offset() const { return offset_; }
  /// The validity flag.
  bool valid() const { return valid_; }
  /// Sets the validity flag.
  void valid(bool v) { valid_ = v; }
  /// The padded data.
  std::span<const std::uint8_t> data() const;
  /// Data bytes from `lo` up to, not including, `hi`.
  std::span<const std::uint8_t> slice(std::uint64_t lo, std::uint64_t hi) const;
  /// The data byte at `i`.
  std::uint8_t operator[](std::uint64_t i) const;
  /// The length of the data for slicing: the padded data size.
  std::uint64_t size() const { return dsize(); }
  /// The version word passed through the file's version decoder.
  std::uint32_t ver() const;
  /// The raw version word.
  std::uint32_t rawver() const;
  /// The data size before padding, as stored in the header.
  std::uint32_t rawSize() const;
  /// The data size rounded up to the alignment.
  std::uint64_t dsize() const;
  /// The header size: 12.
  std::uint32_t hdrSize() const;
  /// Header size plus padded data size.
  std::uint64_t totSize() const { return hdrSize() + dsize(); }
  /// The file offset just past the chunk's padded data.
  std::uint64_t end() const { return offset_ + totSize(); }
  /// Plausibility: "YLPR", or a 7-bit label, version < 32 and dsize < max.
  bool consistent(std::uint64_t max) const;
  /// Folds consistent(262144) into the validity flag and returns it.
  bool isValid();
  /// The file the chunk lies in.
  const ChunkFile& file() const { return *file_; }

  bool operator==(const Chunk&) const = default;

 private:
  const ChunkHdr& header() const;
  const ChunkFile* file_;
  std::uint64_t offset_;
  const ChunkLbl* hdr_;
  bool valid_ = true;
  std::uint8_t alignment_ = 4;
};

/// A chunked container file: the mapping plus views into it.
class ChunkFile {
 public:
  using VersionFn = std::function<std::uint32_t(const ChunkLbl&)>;
  using ExtendedFn = std::function<bool(const ChunkLbl&)>;

  /// Checks that `path` is a regular file and maps it; does not validate it.
  explicit ChunkFile(const std::string& path);
  /// Reads the caller's bytes in place, under the file name `name` (used in
  /// messages); the bytes must outlive the object. Does not validate them.
  ChunkFile(std::span<const std::uint8_t> bytes, std::string name);
  virtual ~ChunkFile() = default;
  ChunkFile(const ChunkFile&) = delete;
  ChunkFile& operator=(const ChunkFile&) = delete;

  /// The label of `range` at `pos`; throws when pos + 8 exceeds the range.
  virtual const ChunkLbl& getLbl(std::span<const std::uint8_t> range, std::uint64_t pos) const;
  /// The label at file offset `pos`.
  virtual const ChunkLbl& getLbl(std::uint64_t pos) const;
  /// The label at `pos` after checking its id and (when want's ver is not 0) its version.
  virtual const ChunkLbl& getLbl(const ChunkLbl& want, std::uint64_t pos) const;
  /// Maps another file and validates it.
  virtual Chunk open(const std::string& path);
  /// Validates the file as one outer "YLPR" chunk and returns that chunk.
  virtual Chunk open();
  /// Releases the mapping.
  virtual void close();
  /// The whole mapped file.
  virtual std::span<const std::uint8_t> bytes() const;
  /// File bytes from `lo` up to, not including, `hi`; throws past the end.
  virtual std::span<const std::uint8_t> bytes(std::uint64_t lo, std::uint64_t hi) const;
  /// The byte at file offset `pos`.
  virtual std::uint8_t operator[](std::uint64_t pos) const;
  /// The file length in bytes.
  virtual std::uint64_t length() const;
  /// The raw version word of the file label.
  virtual std::uint32_t ver() const;
  /// The chunk whose header lies at `pos`; no check is made.
  virtual Chunk getChunk(std::uint64_t pos) const;

  /// The path as given.
  const std::string& filename() const { return filename_; }
  /// The file label, or null when the file is shorter than 8 bytes.
  const ChunkLbl* flbl() const { return flbl_; }
  /// A chunk version passed through the version decoder hook.
  std::uint32_t decodeVersion(const ChunkLbl& lbl) const { return verFn(lbl); }
  /// Whether a label announces an extended header (never, in this system).
  bool extendedHeader(const ChunkLbl& lbl) const { return extFn(lbl); }
  /// Throws the error for a read of `what` at `pos` that leaves the file.
  [[noreturn]] void throwPastEnd(std::string_view what, std::uint64_t pos) const;

 protected:
  VersionFn verFn = [](const ChunkLbl& lbl) -> std::uint32_t { return lbl.ver; };
  ExtendedFn extFn = [](const ChunkLbl&) { return false; };

 private:
  void openMMfile(const std::string& path);
  void setBytes(std::span<const std::uint8_t> bytes);
  platform::MappedFile mmfile_;
  std::span<const std::uint8_t> bytes_;   ///< the mapping, or the caller's bytes
  std::string filename_;
  const ChunkLbl* flbl_ = nullptr;
};

/// The child at `rel` of `parent`; clears its validity when it overruns.
Chunk innerChunk(const Chunk& parent, std::uint64_t rel);

/// The child at `rel` of `parent`, which must lie inside it and carry `want`.
Chunk innerChunk(const Chunk& parent, const ChunkLbl& want, std::uint64_t rel);

/// Views a record chunk's data as a `T`; the padded size must be sizeof(T).
/// Returns the chunk's total size.
std::uint64_t innerRecord(const Chunk& parent, const ChunkLbl& want, std::size_t recordSize,
                          const void*& dest, std::uint64_t rel);

/// Typed form of innerRecord.
template <typename T>
std::uint64_t innerChunk(const Chunk& parent, const ChunkLbl& want, const T*& dest, std::uint64_t rel) {
  const void* raw = nullptr;
  const std::uint64_t size = innerRecord(parent, want, sizeof(T), raw, rel);
  dest = static_cast<const T*>(raw);
  return size;
}

/// Appends every child of the container `container` at `rel` to `out`; each
/// child must carry `child`. Returns the container's total size.
std::uint64_t chunkArray(const Chunk& parent, const ChunkLbl& container, const ChunkLbl& child,
                         std::vector<Chunk>& out, std::uint64_t rel);

}  // namespace marvolt
