#include "report/watch_block.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr size_t columnCount = 8;
constexpr size_t textColumns = 3;  // left-aligned; the figures after them right-aligned

std::array<std::string, columnCount> cells(const WatchRow& row) {
    const ClassFigures& f = row.figures;
    return {row.interface.empty() ? "-" : row.interface,
            row.direction.empty() ? "-" : row.direction,
            row.path,
            figureText(f.offeredBits),
            figureText(f.offeredPackets),
            figureText(f.sentBits),
            figureText(f.droppedPackets),
            figureText(f.dropPercent, 1)};
}

}  // namespace

bool writeWatchBlock(FILE* out, std::chrono::system_clock::time_point time,
                     const std::string& status, std::span<const WatchRow> rows) {
    std::vector<std::array<std::string, columnCount>> lines;
    std::array<size_t, columnCount> widths{};
    for (const WatchRow& row : rows) {
        if (row.isClass) {
            lines.push_back(cells(row));
            for (size_t c = 0; c < columnCount; ++c) {
                widths[c] = std::max(widths[c], lines.back()[c].size());
            }
        }
    }
    std::string block = utcTimestamp(time) + "\n";
    if (!status.empty()) {
        block += "# " + status + "\n";
    }
    for (const auto& line : lines) {
        for (size_t c = 0; c < columnCount; ++c) {
            const std::string padding(widths[c] - line[c].size(), ' ');
            block += c == 0 ? "" : "  ";
            if (c < textColumns) {
                block += line[c] + (c + 1 < columnCount ? padding : "");
            } else {
                block += padding + line[c];
            }
        }
        block += '\n';
    }
    block += '\n';
    return std::fwrite(block.data(), 1, block.size(), out) == block.size() && std::fflush(out) == 0;
}
