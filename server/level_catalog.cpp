#include "level_catalog.h"

#include <cstdio>

#include "screens/story.h"
#include "util/fingerprint.h"
#include "util/keyword_text.h"
#include "world/cell_code.h"
#include "world/level_file.h"

bool LevelCatalog::load(const std::string& dataDir, std::string& error,
                        std::vector<std::string>& warnings) {
    const std::string root = dataDir.empty() ? std::string(".") : dataDir;
    std::string story;
    if (!text::readWholeFile(root + "/" + StoryFilePath, story, text::MaxDataFileBytes)) {
        error = "impossible de lire " + root + "/" + StoryFilePath;
        return false;
    }
    levels.clear();
    for (const std::string& path : parseStoryText(story)) {
        CatalogLevel level;
        level.path = path;
        std::string contents;
        if (text::readWholeFile(root + "/" + path, contents, MaxLevelFileBytes)) {
            level.fingerprint = fingerprintOf(contents);
            level.grid.assign(GridCells, Empty);
            LevelFileData data;
            parseLevelText(contents, data, level.grid.data());
        } else {
            warnings.push_back("niveau illisible : " + root + "/" + path);
        }
        levels.push_back(std::move(level));
    }
    if (levels.empty()) {
        error = root + "/" + StoryFilePath + " ne nomme aucun niveau";
        return false;
    }
    return true;
}

const CatalogLevel* LevelCatalog::level(int64_t index) const {
    if (index < 0 || index >= static_cast<int64_t>(levels.size())) {
        return nullptr;
    }
    return &levels[static_cast<std::size_t>(index)];
}

std::string fingerprintText(uint64_t fingerprint) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(fingerprint));
    return text;
}

std::vector<std::string> LevelCatalog::fingerprints() const {
    std::vector<std::string> boards;
    for (const CatalogLevel& level : levels) {
        if (!level.grid.empty()) {
            boards.push_back(fingerprintText(level.fingerprint));
        }
    }
    return boards;
}
