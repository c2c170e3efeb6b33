// Draws the native game's title menu, as its first screen shows it, once for
// every frame of the title animation, and writes each as OUT/title-N.bmp:
// the browser test compares the page's title menu with these.
//   web-title-frames GAME_DIR OUT_DIR
#include <SDL/SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "app/game.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: web-title-frames GAME_DIR OUT_DIR\n");
        return 2;
    }
    const std::string out = argv[2];
    if (chdir(argv[1]) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Game game(GameFlow::StartupOnly);
    if (game.startupFailed || !game.titleAnimation || game.titleAnimation->frameCount <= 0) {
        std::fprintf(stderr, "web-title-frames: the game or its title animation did not load\n");
        return 1;
    }
    game.selection = 0;  // as the title menu opens
    std::set<int32_t> written;
    for (int draw = 0;
         draw < 1000 && static_cast<int32_t>(written.size()) < game.titleAnimation->frameCount;
         ++draw) {
        game.fillWhite();
        game.drawTitleFrame();
        const int32_t shown = game.titleAnimation->frameIndex;
        if (written.insert(shown).second) {
            const std::string path = out + "/title-" + std::to_string(shown) + ".bmp";
            if (SDL_SaveBMP(game.screen, path.c_str()) != 0) {
                std::fprintf(stderr, "web-title-frames: cannot write %s\n", path.c_str());
                return 1;
            }
        }
    }
    return 0;
}
