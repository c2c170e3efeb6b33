// level_gen: writes a whole level file from a seed and a difficulty.

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "level_generator.h"
#include "level_text.h"
#include "util/keyword_text.h"

namespace {

void printHelp() {
    std::cout << "Usage: level_gen SEEDFILE --out FILE [--blocks FILE]\n"
                 "\n"
                 "Writes a level file from a seed file: a calm start, then the building blocks\n"
                 "the seed file lists, one a line (\"gap 2\", \"posts 3 x2\"), then a calm end\n"
                 "where the ground stops. \"seed S\" varies the details, \"pictures N\" names the\n"
                 "pictures of Niveaux/niveau-N/. Blocks, each with a difficulty from 1 to 5:\n"
                 "   ";
    for (const std::string& name : levelgen::blockNames()) {
        std::cout << " " << name;
    }
    std::cout << "\n"
                 "The same seed file always gives the same level. The file has no \"limite\"\n"
                 "line: the build sets it from the player model (level_model). --blocks also\n"
                 "writes where each block lies: \"NAME DIFFICULTY FIRST LAST\" a line.";
    std::cout << std::endl;
}

bool writeFile(const std::string& path, const std::string& text) {
    // Written beside the target and renamed, so that a failed run never leaves
    // half a file for the build to pick up.
    const std::string partial = path + ".partial";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file << text;
        file.flush();
        if (!file) {
            std::cout << "level_gen: cannot write " << partial << std::endl;
            return false;
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::cout << "level_gen: cannot rename " << partial << " to " << path << std::endl;
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string seedPath;
    std::string out;
    std::string blocksOut;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if ((arg == "--out" || arg == "--blocks") && i + 1 < argc) {
            (arg == "--out" ? out : blocksOut) = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && seedPath.empty()) {
            seedPath = arg;
        } else {
            std::cout << "level_gen: unexpected argument " << arg << std::endl;
            printHelp();
            return 2;
        }
    }
    if (seedPath.empty() || out.empty()) {
        printHelp();
        return 2;
    }
    std::string seedText;
    if (!text::readWholeFile(seedPath, seedText, text::MaxDataFileBytes)) {
        std::cout << "level_gen: cannot open " << seedPath << std::endl;
        return 2;
    }
    levelgen::Settings settings;
    std::string error;
    if (!levelgen::parseSeedText(seedText, settings, error)) {
        std::cout << "level_gen: " << seedPath << ", " << error << std::endl;
        return 2;
    }

    levelgen::Summary summary;
    const std::vector<int32_t> grid = levelgen::generateGrid(settings, &summary);
    if (!writeFile(out, levelgen::levelFileText(settings, grid)) ||
        (!blocksOut.empty() && !writeFile(blocksOut, levelgen::blocksText(summary)))) {
        return 1;
    }
    std::cout << "level_gen: seed " << settings.seed << " blocks " << settings.blocks.size()
              << " columns " << summary.lastColumn + 1 << " gaps " << summary.gaps << " platforms "
              << summary.platforms << " posts " << summary.posts << " enemies " << summary.enemies
              << " bonuses " << summary.bonuses << std::endl;
    return 0;
}
