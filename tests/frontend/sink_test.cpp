// The sink the writers append to: what it hands on, and where it cuts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/sink.hpp"
#include "model/loading.hpp"
#include "reports/report.hpp"

namespace {

using marvolt::OutputSink;

// A sink with a small bound that keeps each piece it hands on.
class Recorder final : public OutputSink {
 public:
  explicit Recorder(std::size_t bound) : OutputSink(bound) {}
  std::vector<std::string> pieces;

 private:
  void deliver(std::string_view bytes) override { pieces.emplace_back(bytes); }
};

TEST(Sink, CutsOnlyAfterWholeCharacters) {
  for (const auto& [text, whole] : std::vector<std::pair<std::string, std::size_t>>{
           {"", 0}, {"abc", 3}, {"a\xC3", 1}, {"a\xC3\xA9", 3}, {"\xE2\x82", 0}, {"\xE2\x82\xAC", 3},
           {"x\xF0\x9F\x8F", 1}, {"x\xF0\x9F\x8F\x81", 5}, {"\x80\x80\x80\x80", 4}}) {
    EXPECT_EQ(marvolt::wholeCharacters(text), whole) << text;
  }
}

// Every format of the sample with its lap dump, through a sink that hands
// on every few hundred bytes: the same bytes as the whole text, in pieces
// that each end on a whole character and stay near the bound.
TEST(Sink, ReportsPassInPiecesOfWholeCharacters) {
  const marvolt::LoadedReplay replay =
      marvolt::loadReplay(MARVOLT_SOURCE_DIR "/examples/sample.rpy", marvolt::carsetSettings("", false, false));
  const marvolt::Sections sections = marvolt::Sections().set(marvolt::Flag::LAPTIMES, true);
  using Format = marvolt::Report::Format;
  for (const Format format : {Format::TXT, Format::SEMIKV, Format::JSON, Format::HTML}) {
    const marvolt::ReportModel model = marvolt::Report(*replay.data, format, sections).model();
    Recorder sink(256);
    marvolt::renderReport(sink, model, format);
    sink.finish();
    std::string joined;
    for (const std::string& piece : sink.pieces) {
      EXPECT_EQ(marvolt::wholeCharacters(piece), piece.size());
      EXPECT_LT(piece.size(), 16384u);
      joined += piece;
    }
    EXPECT_GT(sink.pieces.size(), 10u);
    EXPECT_EQ(joined, marvolt::renderReport(model, format));
  }
}

}  // namespace
