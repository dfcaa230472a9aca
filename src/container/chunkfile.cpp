#include "container/chunkfile.hpp"

#include <cstring>
#include <utility>

#include <fmt/format.h>

namespace marvolt {

namespace {

constexpr std::uint32_t kHeaderSize = 12;
constexpr std::uint64_t kValidityLimit = 262144;

bool isOuterLabel(const char* id) { return std::memcmp(id, "YLPR", 4) == 0; }

bool isSevenBit(const char* id) {
  for (int i = 0; i < 4; ++i) {
    if (static_cast<unsigned char>(id[i]) > 0x7F) return false;
  }
  return true;
}

std::uint64_t padded(std::uint64_t size, std::uint64_t alignment) {
  const std::uint64_t rest = size % alignment;
  return rest == 0 ? size : size + alignment - rest;
}

}  // namespace

// ---------------------------------------------------------------- ChunkX

bool ChunkX::valid(std::uint64_t max) const {
  if (isOuterLabel(id)) return true;
  return isSevenBit(id) && ver < 32 && size < max;
}

// ---------------------------------------------------------------- Chunk

Chunk::Chunk(const ChunkFile& file, std::uint64_t pos)
    : file_(&file),
      offset_(pos),
      hdr_(pos <= file.length() && file.length() - pos >= sizeof(ChunkLbl) ? &file.getLbl(pos) : nullptr) {}

Chunk::Chunk(const Chunk& parent, std::uint64_t rel)
    : Chunk(*parent.file_, parent.offset_ + parent.hdrSize() + rel) {}

const ChunkHdr& Chunk::header() const {
  const auto bytes = file_->bytes(offset_, offset_ + sizeof(ChunkHdr));
  return *reinterpret_cast<const ChunkHdr*>(bytes.data());
}

std::string_view Chunk::label() const {
  if (hdr_ == nullptr) file_->throwPastEnd("chunk header", offset_);
  return hdr_->label();
}

std::span<const std::uint8_t> Chunk::data() const {
  return file_->bytes(offset_ + hdrSize(), offset_ + hdrSize() + dsize());
}

std::span<const std::uint8_t> Chunk::slice(std::uint64_t lo, std::uint64_t hi) const {
  return file_->bytes(offset_ + hdrSize() + lo, offset_ + hdrSize() + hi);
}

std::uint8_t Chunk::operator[](std::uint64_t i) const { return (*file_)[offset_ + hdrSize() + i]; }

std::uint32_t Chunk::ver() const { return file_->decodeVersion(header().lbl); }

std::uint32_t Chunk::rawver() const { return header().lbl.ver; }

std::uint32_t Chunk::rawSize() const { return header().size; }

std::uint64_t Chunk::dsize() const { return padded(rawSize(), alignment_); }

std::uint32_t Chunk::hdrSize() const { return kHeaderSize; }

bool Chunk::consistent(std::uint64_t max) const {
  const ChunkHdr& h = header();
  if (isOuterLabel(h.lbl.id)) return true;
  return isSevenBit(h.lbl.id) && h.lbl.ver < 32 && dsize() < max;
}

bool Chunk::isValid() {
  valid_ = valid_ && consistent(kValidityLimit);
  return valid_;
}

// ---------------------------------------------------------------- ChunkFile

namespace {

// The file `path` mapped whole; a failure names the file and the step that failed.
platform::MappedFile mapWhole(const std::string& path) {
  try {
    return platform::MappedFile(path);
  } catch (const platform::SystemError& e) {
    const char* step = e.operation() == platform::Operation::ReadSize ? "Could not read the size of file"
                       : e.operation() == platform::Operation::Map    ? "Could not map file"
                                                                      : "Could not open file";
    throw Error(fmt::format("{} {} ({})", step, path, e.reason()));
  }
}

}  // namespace

ChunkFile::ChunkFile(const std::string& path) {
  const platform::FileStatus status = platform::fileStatus(path);
  if (status.kind == platform::FileKind::Missing) throw FileSystemError(path + ": " + status.error);
  if (status.kind != platform::FileKind::Regular) throw Error(path + " is not a file");
  openMMfile(path);
}

ChunkFile::ChunkFile(std::span<const std::uint8_t> bytes, std::string name) : filename_(std::move(name)) {
  setBytes(bytes);
}

void ChunkFile::openMMfile(const std::string& path) {
  mmfile_ = mapWhole(path);
  filename_ = path;
  setBytes(mmfile_.bytes());
}

void ChunkFile::setBytes(std::span<const std::uint8_t> bytes) {
  bytes_ = bytes;
  flbl_ = bytes_.size() >= sizeof(ChunkLbl) ? &getLbl(bytes_, 0) : nullptr;
}

void ChunkFile::throwPastEnd(std::string_view what, std::uint64_t pos) const {
  throw Error(fmt::format("Error reading file {}: {} at offset {} reaches past the end of the file", filename_,
                          what, pos));
}

const ChunkLbl& ChunkFile::getLbl(std::span<const std::uint8_t> range, std::uint64_t pos) const {
  if (pos > range.size() || range.size() - pos < sizeof(ChunkLbl)) throwPastEnd("chunk header", pos);
  return *reinterpret_cast<const ChunkLbl*>(range.data() + pos);
}

const ChunkLbl& ChunkFile::getLbl(std::uint64_t pos) const {
  const auto bytes8 = bytes(pos, pos + sizeof(ChunkLbl));
  return *reinterpret_cast<const ChunkLbl*>(bytes8.data());
}

const ChunkLbl& ChunkFile::getLbl(const ChunkLbl& want, std::uint64_t pos) const {
  const ChunkLbl& got = getLbl(pos);
  if (got.label() != want.label()) {
    throw Error(fmt::format("Bad chunk label ({} != {})", got.label(), want.label()));
  }
  if (want.ver != 0 && got.ver != want.ver) {
    throw Error(fmt::format("Bad chunk {} version ({} != {})", got.label(), got.ver.value(), want.ver.value()));
  }
  return got;
}

Chunk ChunkFile::open(const std::string& path) {
  openMMfile(path);
  return open();
}

Chunk ChunkFile::open() {
  const Chunk outer = getChunk(0);
  if (flbl_ == nullptr) throw Error("Unknown file format reading file " + filename_);
  if (!isOuterLabel(flbl_->id)) {
    throw Error(fmt::format("Unknown file header '{}' reading file {}", flbl_->label(), filename_));
  }
  if (length() < sizeof(ChunkHdr)) throwPastEnd("chunk header", 0);
  if (outer.totSize() != length()) {
    throw Error(fmt::format("Bad file length ({} != {}) reading file {}", outer.totSize(), length(), filename_));
  }
  return outer;
}

void ChunkFile::close() {
  mmfile_ = platform::MappedFile();
  setBytes({});
}

std::span<const std::uint8_t> ChunkFile::bytes() const { return bytes_; }

std::span<const std::uint8_t> ChunkFile::bytes(std::uint64_t lo, std::uint64_t hi) const {
  if (lo > hi || hi > bytes_.size()) throwPastEnd("data", lo);
  return bytes_.subspan(lo, hi - lo);
}

std::uint8_t ChunkFile::operator[](std::uint64_t pos) const {
  if (pos >= bytes_.size()) throwPastEnd("byte", pos);
  return bytes_[pos];
}

std::uint64_t ChunkFile::length() const { return bytes_.size(); }

std::uint32_t ChunkFile::ver() const {
  if (flbl_ == nullptr) throwPastEnd("file label", 0);
  return flbl_->ver;
}

Chunk ChunkFile::getChunk(std::uint64_t pos) const { return Chunk(*this, pos); }

// ---------------------------------------------------------------- navigation

Chunk innerChunk(const Chunk& parent, std::uint64_t rel) {
  Chunk child(parent, rel);
  const std::uint64_t parentEnd = parent.end();
  // A header that does not fit in the parent overruns it whatever it says.
  if (child.offset() + kHeaderSize > parentEnd || child.offset() + kHeaderSize > parent.file().length() ||
      parentEnd < child.end()) {
    child.valid(false);
  }
  return child;
}

Chunk innerChunk(const Chunk& parent, const ChunkLbl& want, std::uint64_t rel) {
  Chunk child(parent, rel);
  const std::uint64_t parentEnd = parent.end();
  // The size test comes first: a chunk that overruns its parent is reported
  // as an overrun even when its label is wrong too. A header that does not
  // fit inside the parent overruns it, so it is never read.
  if (child.offset() + kHeaderSize > parentEnd || child.offset() + kHeaderSize > parent.file().length() ||
      parentEnd < child.end()) {
    throw Error(fmt::format("Error reading file {}: chunk label '{}' ({}) data size exceeded at offset {}",
                            parent.file().filename(), parent.label(), want.label(), child.offset()));
  }
  if (child.label() != want.label()) {
    throw Error(fmt::format("Error reading file {}: chunk label '{}' does not match requested label '{}'",
                            parent.file().filename(), child.label(), want.label()));
  }
  return child;
}

std::uint64_t innerRecord(const Chunk& parent, const ChunkLbl& want, std::size_t recordSize, const void*& dest,
                          std::uint64_t rel) {
  const Chunk child = innerChunk(parent, want, rel);
  if (child.dsize() != recordSize) {
    throw Error(fmt::format("Chunk {} size and destination type size are not equal ({} != {})", child.label(),
                            child.dsize(), recordSize));
  }
  dest = child.data().data();
  return child.totSize();
}

std::uint64_t chunkArray(const Chunk& parent, const ChunkLbl& container, const ChunkLbl& child,
                         std::vector<Chunk>& out, std::uint64_t rel) {
  const Chunk box = innerChunk(parent, container, rel);
  out.reserve(out.size() + 32);
  const std::uint64_t size = box.dsize();
  for (std::uint64_t q = 0; q < size;) {
    const Chunk element = innerChunk(box, child, q);
    q += element.totSize();
    out.push_back(element);
  }
  return box.totSize();
}

}  // namespace marvolt
