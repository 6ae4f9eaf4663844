/*
 * osd_overlay.cpp: the display is a block of one or two lines, the text
 * first and then the date and the time (UTC, like the picture's clock),
 * with a margin of one dot all round.
 */

#include "osd_overlay.h"

#include "dot_font.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const Rgb letters{255, 255, 255};
const int line_rows = glyph_rows + 1; /* one dot between lines */

std::string date_and_time(const Osd_Settings &osd, std::time_t now)
{
    std::tm utc{};
    if ((!osd.date && !osd.time) || !gmtime_r(&now, &utc))
        return "";
    const char *format = !osd.time ? "%Y-%m-%d" : !osd.date ? "%H:%M:%S" : "%Y-%m-%d %H:%M:%S";
    char stamp[32];
    return std::strftime(stamp, sizeof stamp, format, &utc) ? stamp : "";
}

/* Where a block of `size` pixels starts along an axis of `pixels`: the
   origin scaled from the logo space, moved back so the block ends inside. */
int block_start(int origin, int space, int size, int pixels)
{
    const int64_t scaled = int64_t(origin) * pixels / space;
    return static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(scaled, pixels - size)));
}

} // namespace

void draw_osd(Canvas &canvas, const Osd_Settings &osd, std::time_t now, int width, int height)
{
    const int dot = std::max(1, height / 120);
    /* Letters past the right edge never show; leaving them out keeps a
       long text as cheap as a short one. */
    const size_t fits = static_cast<size_t>(width / (glyph_advance * dot) + 1);
    std::vector<std::string> lines;
    if (!osd.text.empty())
        lines.push_back(osd.text.substr(0, fits));
    const std::string stamp = date_and_time(osd, now);
    if (!stamp.empty())
        lines.push_back(stamp);
    if (lines.empty())
        return;

    size_t longest = 0;
    for (const std::string &line : lines)
        longest = std::max(longest, line.size());
    const int block_width = text_width(longest, dot) + 2 * dot;
    const int block_height = (static_cast<int>(lines.size()) * line_rows + 1) * dot;
    const int left = block_start(osd.ox, osd_space_width, block_width, width);
    const int top = block_start(osd.oy, osd_space_height, block_height, height);
    canvas.darken(left, top, block_width, block_height);
    for (size_t i = 0; i < lines.size(); ++i)
        canvas.text(lines[i], left + dot, top + dot + static_cast<int>(i) * line_rows * dot, dot, letters);
}
