#include "level_text.h"

#include <algorithm>
#include <sstream>

#include "world/cell_code.h"

namespace levelgen {

bool parseSeedText(const std::string& text, Settings& settings, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int32_t number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::size_t hash = line.find('#');
        std::istringstream words(line.substr(0, hash));
        std::string name;
        if (!(words >> name)) {
            continue;
        }
        long long value = 0;
        std::string extra;
        const bool hasValue = static_cast<bool>(words >> value);
        if (!hasValue || value < 0 || value > 1000000) {
            error = "line " + std::to_string(number) + ": \"" + name + "\" wants a whole number";
            return false;
        }
        int32_t times = 1;
        if (words >> extra) {
            if (extra.size() < 2 || extra[0] != 'x' ||
                extra.find_first_not_of("0123456789", 1) != std::string::npos || extra.size() > 5) {
                error = "line " + std::to_string(number) + ": \"" + extra + "\" is not xCOUNT";
                return false;
            }
            times = std::stoi(extra.substr(1));
        }
        if (name == "seed") {
            settings.seed = static_cast<uint64_t>(value);
        } else if (name == "pictures") {
            settings.number = static_cast<int32_t>(value);
        } else if (std::find(blockNames().begin(), blockNames().end(), name) !=
                   blockNames().end()) {
            if (value < 1 || value > 5) {
                error = "line " + std::to_string(number) + ": difficulty 1 to 5";
                return false;
            }
            for (int32_t i = 0; i < times; ++i) {
                settings.blocks.push_back(PlannedBlock{name, static_cast<int32_t>(value)});
            }
        } else {
            error = "line " + std::to_string(number) + ": unknown block \"" + name + "\"";
            return false;
        }
    }
    return true;
}

std::string blocksText(const Summary& summary) {
    std::string text;
    for (const BlockSpan& block : summary.blocks) {
        text += block.name + " " + std::to_string(block.difficulty) + " " +
                std::to_string(block.first) + " " + std::to_string(block.last) + "\n";
    }
    return text;
}

std::string levelFileText(const Settings& settings, const std::vector<int32_t>& grid) {
    const std::string folder = "Niveaux/niveau-" + std::to_string(settings.number) + "/";
    std::string text;
    text.reserve(static_cast<std::size_t>(GridCells) * 2 + 512);
    text += "img 1 " + folder + "fond.png\n";
    text += "img 2 " + folder + "decor.png\n";
    text += "img 3 " + folder + "extra.png\n";
    text += "tile 0 " + folder + "tile0.png\n";
    text += "tile 1 " + folder + "tile1.png\n";
    text += "hero Player/hero.hr\n";
    text += "#Collisions\n";
    for (int32_t column = 0; column < GridColumns; ++column) {
        for (int32_t row = 0; row < GridRows; ++row) {
            const int32_t code = cellAt(grid.data(), column, row);
            char number = '0';
            switch (code) {
                case Tile0:
                    number = '1';
                    break;
                case Bonus:
                    number = '2';
                    break;
                case Enemy:
                    number = '3';
                    break;
                case Tile1:
                    number = '4';
                    break;
                default:
                    number = '0';
                    break;
            }
            text += number;
            text += row + 1 < GridRows ? ' ' : '\n';
        }
    }
    return text;
}

}  // namespace levelgen
