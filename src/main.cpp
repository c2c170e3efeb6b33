#include "app/game.h"

int main(int, char**) {
    bool failed = false;
    {
        Game game;
        failed = game.startupFailed;
    }
    return failed ? 1 : 0;
}
