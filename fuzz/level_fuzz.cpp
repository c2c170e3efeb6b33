// The level file parser on any text: every write stays inside the grid and
// every cell holds a code the file can give.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "world/cell_code.h"
#include "world/level_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    // Exactly GridCells on the heap, so that a write one cell past the end
    // lands in AddressSanitizer's red zone. The grid never steers the
    // parser, so it need not be cleared between inputs.
    static const std::unique_ptr<int32_t[]> grid(new int32_t[GridCells]());
    LevelFileData data;
    parseLevelText(std::string_view(reinterpret_cast<const char*>(bytes), size), data, grid.get());
    for (int32_t i = 0; i < GridCells; i += 997) {
        const int32_t cell = grid[i];
        if (cell != Empty && cell != Tile0 && cell != Bonus && cell != Enemy && cell != Tile1) {
            std::abort();
        }
    }
    if (!data.hasLimit && data.limit != 0) {
        std::abort();
    }
    return 0;
}
