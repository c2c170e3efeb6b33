#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The levels of a data tree, as the game plays them: each level file of the
// story, read once, with its fingerprint and its grid as the file has it.
struct CatalogLevel {
    std::string path;  // as the story names it
    uint64_t fingerprint = 0;
    std::vector<int32_t> grid;  // GridCells cells; empty when the file could not be read
};

class LevelCatalog {
  public:
    // Reads "Story/game.story" under `dataDir` and every level file it names.
    // False with a French message in `error` when the story cannot be read or
    // names no level; a level file that cannot be read leaves its level
    // without a grid (runs on it are refused), and is named in `warnings`.
    bool load(const std::string& dataDir, std::string& error, std::vector<std::string>& warnings);

    // The level of index `index` (as in "Save/replay-N.rpl"), or null.
    const CatalogLevel* level(int64_t index) const;
    int32_t count() const { return static_cast<int32_t>(levels.size()); }
    // The fingerprints of the levels that could be read: today's boards.
    std::vector<std::string> fingerprints() const;

  private:
    std::vector<CatalogLevel> levels;
};

// A fingerprint as the replay file writes it: 16 lower-case hex digits.
std::string fingerprintText(uint64_t fingerprint);
