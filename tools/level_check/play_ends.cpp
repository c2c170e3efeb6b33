#include "play_ends.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "util/keyword_text.h"
#include "world/cell_code.h"

int32_t endColumn(const PlayResult& result) {
    return result.finished ? -1 : result.lastStanding + HeroColumnOffset;
}

PlayEnds playEnds(const std::vector<PlayResult>& results, int32_t columns) {
    PlayEnds ends;
    ends.plays = static_cast<int32_t>(results.size());
    columns = std::clamp(columns, 1, GridColumns);
    ends.bins.assign(
        static_cast<std::size_t>((columns + PlayEnds::BinColumns - 1) / PlayEnds::BinColumns), 0);
    std::vector<int32_t> perColumn(static_cast<std::size_t>(columns), 0);
    for (const PlayResult& result : results) {
        const int32_t column = endColumn(result);
        if (column < 0) {
            continue;
        }
        const int32_t at = std::min(column, columns - 1);
        ++perColumn[static_cast<std::size_t>(at)];
        ++ends.bins[static_cast<std::size_t>(at / PlayEnds::BinColumns)];
    }
    // The widest count over any 100 consecutive columns, the first such.
    int32_t inWindow = 0;
    for (int32_t column = 0; column < columns; ++column) {
        inWindow += perColumn[static_cast<std::size_t>(column)];
        const int32_t first = column - PlayEnds::StretchColumns + 1;
        if (first > 0) {
            inWindow -= perColumn[static_cast<std::size_t>(first - 1)];
        }
        if (inWindow > ends.wallPlays) {
            ends.wallPlays = inWindow;
            ends.wallFirst = std::max(0, first);
        }
    }
    return ends;
}

std::string playEndsText(const PlayEnds& ends) {
    std::string text;
    char line[120];
    for (std::size_t i = 0; i < ends.bins.size(); ++i) {
        const int32_t first = static_cast<int32_t>(i) * PlayEnds::BinColumns;
        std::snprintf(line, sizeof line, "ends %d-%d %d\n", first, first + PlayEnds::BinColumns - 1,
                      ends.bins[i]);
        text += line;
    }
    std::snprintf(line, sizeof line, "wall_share %.3f columns %d-%d\n", ends.wallShare(),
                  ends.wallFirst, ends.wallFirst + PlayEnds::StretchColumns - 1);
    return text + line;
}

namespace {

// "FIRST-LAST" with both in the grid.
bool parseSpan(std::string_view word, int32_t& first, int32_t& last) {
    const std::size_t dash = word.find('-');
    std::size_t used = 0;
    if (dash == std::string_view::npos || !text::parseInt32(word.substr(0, dash), first, &used) ||
        used != dash) {
        return false;
    }
    const std::string_view rest = word.substr(dash + 1);
    return text::parseInt32(rest, last, &used) && used == rest.size() && first >= 0 &&
           last >= first && last < GridColumns;
}

bool wholeNumber(std::string_view word, int32_t& value) {
    std::size_t used = 0;
    return text::parseInt32(word, value, &used) && used == word.size() && value >= 0;
}

}  // namespace

bool parsePlayEnds(std::string_view report, PlayEnds& ends) {
    ends = PlayEnds{};
    text::LineReader lines(report);
    std::string_view line;
    double wallShare = 0.0;
    while (lines.next(line)) {
        text::WordReader words(line);
        std::array<std::string_view, 4> word;
        std::size_t count = 0;
        while (count < word.size() && words.next(word[count])) {
            ++count;
        }
        int32_t first = 0;
        int32_t last = 0;
        int32_t number = 0;
        if (count == 2 && word[0] == "plays" && wholeNumber(word[1], number)) {
            ends.plays = number;
        } else if (count == 3 && word[0] == "ends" && parseSpan(word[1], first, last) &&
                   first % PlayEnds::BinColumns == 0 && wholeNumber(word[2], number)) {
            const std::size_t bin = static_cast<std::size_t>(first / PlayEnds::BinColumns);
            if (ends.bins.size() <= bin) {
                ends.bins.resize(bin + 1, 0);
            }
            ends.bins[bin] = number;
        } else if (count == 4 && word[0] == "wall_share" && word[2] == "columns" &&
                   parseSpan(word[3], first, last)) {
            wallShare = std::clamp(std::strtod(std::string(word[1]).c_str(), nullptr), 0.0, 1.0);
            ends.wallFirst = first;
        }
    }
    ends.wallPlays = static_cast<int32_t>(wallShare * ends.plays + 0.5);
    return !ends.bins.empty();
}
