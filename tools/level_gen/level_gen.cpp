// level_gen: writes a whole level file from a seed and a difficulty.

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "level_generator.h"
#include "util/keyword_text.h"

namespace {

void printHelp() {
    std::cout << "Usage: level_gen --seed S --difficulty D [--number N] --out FILE\n"
                 "\n"
                 "Writes a 10000 x 80 level file: ground with gaps, raised platforms and\n"
                 "posts, bonuses and enemies, from seed S (a whole number) at difficulty D\n"
                 "(1 gentle, 2 medium, 3 demanding). The pictures it names are those of\n"
                 "Niveaux/niveau-N/ (N is D unless given). The same arguments always give the\n"
                 "same file. The file has no \"limite\" line: level_check finds the best score.";
    std::cout << std::endl;
}

bool parseNumber(const char* text, int32_t& value) {
    std::size_t used = 0;
    return text::parseInt32(text, value, &used) && used == std::strlen(text);
}

}  // namespace

int main(int argc, char** argv) {
    levelgen::Settings settings;
    bool haveSeed = false;
    bool haveNumber = false;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        int32_t value = 0;
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (i + 1 >= argc) {
            std::cout << "level_gen: " << arg << " wants a value" << std::endl;
            return 2;
        }
        const char* next = argv[++i];
        if (arg == "--out") {
            out = next;
        } else if (arg == "--seed" && parseNumber(next, value) && value >= 0) {
            settings.seed = static_cast<uint64_t>(value);
            haveSeed = true;
        } else if (arg == "--difficulty" && parseNumber(next, value) && value >= 1 && value <= 3) {
            settings.difficulty = value;
        } else if (arg == "--number" && parseNumber(next, value) && value >= 0) {
            settings.number = value;
            haveNumber = true;
        } else {
            std::cout << "level_gen: bad argument " << arg << " " << next << std::endl;
            printHelp();
            return 2;
        }
    }
    if (!haveSeed || out.empty()) {
        printHelp();
        return 2;
    }
    if (!haveNumber) {
        settings.number = settings.difficulty;
    }

    levelgen::Summary summary;
    const std::string text =
        levelgen::levelFileText(settings, levelgen::generateGrid(settings, &summary));
    // Written beside the target and renamed, so that a failed run never leaves
    // half a level for the build to pick up.
    const std::string partial = out + ".partial";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file << text;
        file.flush();
        if (!file) {
            std::cout << "level_gen: cannot write " << partial << std::endl;
            return 1;
        }
    }
    if (std::rename(partial.c_str(), out.c_str()) != 0) {
        std::cout << "level_gen: cannot rename " << partial << " to " << out << std::endl;
        return 1;
    }
    std::cout << "level_gen: seed " << settings.seed << " difficulty " << settings.difficulty
              << " gaps " << summary.gaps << " platforms " << summary.platforms << " posts "
              << summary.posts << " enemies " << summary.enemies << " bonuses " << summary.bonuses
              << std::endl;
    return 0;
}
