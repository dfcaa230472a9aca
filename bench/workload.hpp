// The benchmark workloads: a full race weekend built with the replay
// builder, scaled in the size of its field, followed by any amount of
// recorded frame data (the part of a replay that marvolt never reads).
#pragma once

#include <cstdint>
#include <string>

#include "support/replay_builder.hpp"

namespace benchsupport {

/// Entries of the unscaled weekend.
inline constexpr int kBaseEntries = 40;
/// Cars of the unscaled testing session.
inline constexpr int kBaseTestingCars = 12;
/// Crossings per car in the testing session.
inline constexpr int kTestingCrossings = 20;
/// Crossings per car in each of the two practices.
inline constexpr int kPracticeCrossings = 150;
/// Race distance in laps.
inline constexpr int kRaceLaps = 100;
/// Payload bytes of one frame-data chunk.
inline constexpr std::uint64_t kFrameChunkBytes = 16u << 20;
/// The label of the frame-data chunks.
inline constexpr const char* kFrameLabel = "FRMS";

/// The "full weekend": `scale` times 40 entries, a testing session, two
/// practices of 150 crossings per car and a 100-lap race with retirements,
/// lapped cars and flagged laps. The crossings grow linearly with `scale`.
testsupport::ReplayBuilder fullWeekend(int scale);

/// The number of line crossings in the lap tables of `replay`.
std::uint64_t crossings(const testsupport::ReplayBuilder& replay);

/// Writes `replay` followed by `frameBytes` of frame data (in "FRMS" chunks
/// of at most 16 MiB, rounded up to whole 4-byte words). With `sparse` the
/// frame payload is left as holes, so the file takes almost no disk space.
/// Throws std::runtime_error when the outer chunk would not fit its 32-bit
/// size field or the file cannot be written. Returns the file length.
std::uint64_t writeWorkload(const std::string& path, const testsupport::ReplayBuilder& replay,
                            std::uint64_t frameBytes, bool sparse);

}  // namespace benchsupport
