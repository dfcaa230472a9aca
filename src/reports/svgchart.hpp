// Line charts written as inline SVG: a chart (reports/chartlayout) laid out,
// then drawn as markup: the frame and grid, tick texts and axis titles, a
// line and a marker with a hover title at every point of each series, and
// the labels of the lines with their backdrops and leaders. The classes the
// markup carries are named in reports/pagestyle, whose style sheet draws
// them; each car's class links its lines, labels and table rows for hovering.
#pragma once

#include <functional>
#include <string>

#include "reports/chartlayout.hpp"
#include "reports/palette.hpp"

namespace marvolt::svg {

/// Called between the parts of a chart (each series), where the text written
/// so far may be handed on.
using Checkpoint = std::function<void()>;

/// Appends the title of a point of a series to a text.
using TitleAppender = std::function<void(std::string& title, std::size_t series, std::size_t point)>;

/// A title writer that puts together each title in a text first: for the
/// charts of a few points, whose titles say more than numbers.
TitleWriter titleAppender(TitleAppender append);

/// Appends the chart as one `<svg>` element in its scrolling box.
void appendLineChart(std::string& out, const LineChart& chart, const Checkpoint& checkpoint = {});

/// Appends the chart as laid out in `layout` (made by layOut, or by hand):
/// its texts, colours and titles come from `chart`, every place from `layout`.
void appendLineChart(std::string& out, const LineChart& chart, const ChartLayout& layout,
                     const Checkpoint& checkpoint = {});

}  // namespace marvolt::svg
