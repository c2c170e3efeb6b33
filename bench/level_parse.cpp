// Time to parse a full level file, beside the same numbers read one formatted
// stream extraction at a time.
//
//   bench-level_parse [level file]
//
// Without an argument it builds a level like the generator's in memory.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "util/keyword_text.h"
#include "world/cell_code.h"
#include "world/level_file.h"

namespace {

// Ground with gaps, platforms, bonuses and enemies: about 1.6 MB, one column a
// line, as a real level is laid out.
std::string makeLevelText() {
    std::string out =
        "img 1 Niveaux/fond-01.png\nimg 2 Niveaux/avant-01.png\ntile 0 Niveaux/sol-01.png\n"
        "tile 1 Niveaux/plateforme-01.png\nhero 240\nlimite 9000\n#Collisions\n";
    out.reserve(out.size() + 2 * GridCells);
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    bool gap = false;
    for (int32_t column = 0; column < GridColumns; ++column) {
        if (column % 40 == 0) {
            gap = column > 80 && next() % 4 == 0;
        }
        const int32_t platformRow = next() % 3 == 0 ? 30 + static_cast<int32_t>(next() % 8) : -1;
        for (int32_t row = 0; row < GridRows; ++row) {
            char number = '0';
            if (row >= 44 && !gap) {
                number = '1';
            } else if (row == platformRow) {
                number = '4';
            } else if (row == 41 && next() % 17 == 0) {
                number = '2';
            } else if (row == 43 && !gap && next() % 29 == 0) {
                number = '3';
            }
            out += number;
            out += row + 1 == GridRows ? '\n' : ' ';
        }
    }
    return out;
}

template <typename Body>
double medianMs(int runs, Body body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::string contents;
    if (argc > 1) {
        if (!text::readWholeFile(argv[1], contents, MaxLevelFileBytes)) {
            std::printf("cannot read %s\n", argv[1]);
            return 1;
        }
    } else {
        contents = makeLevelText();
    }
    constexpr int Runs = 21;
    std::vector<int32_t> grid(GridCells, Empty);
    int64_t checksum = 0;

    const double parseMs = medianMs(Runs, [&] {
        LevelFileData data;
        parseLevelText(contents, data, grid.data());
        checksum += grid[GridCells / 2] + data.limit;
    });

    const double streamMs = medianMs(Runs, [&] {
        std::istringstream stream(contents);
        std::string line;
        while (std::getline(stream, line) && line.rfind("#Collisions", 0) != 0) {
        }
        int number = 0;
        for (int32_t i = 0; i < GridCells && stream >> number; ++i) {
            checksum += number;
        }
    });

    std::printf("level_bytes %zu\n", contents.size());
    std::printf("level_parse_ms %.3f ms\n", parseMs);
    std::printf("level_parse_stream_ms %.3f ms\n", streamMs);
    std::fprintf(stderr, "checksum %lld\n", static_cast<long long>(checksum));
    return 0;
}
