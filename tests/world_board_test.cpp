// The game's new records and the world board: a full-pace record's run
// waits in the outbox once it is saved; a slower pace's, or any run of a
// game without a server, never does.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/game.h"
#include "net/outbox.h"
#include "play_fixture.h"
#include "screens/replay_file.h"
#include "screens/settings.h"
#include "test_support.h"
#include "util/regular_file.h"

using namespace play;

namespace {

TEST(WorldBoard, OnlyAFullPaceRecordWaitsForTheServer) {
    const struct {
        const char* settings;
        int32_t pace;
        bool queued;
    } cases[] = {
        // Nothing listens on the discard port: the run stays for later.
        {"serveur http://127.0.0.1:9\n", FullPace, true},
        {"allure 70\nserveur http://127.0.0.1:9\n", 70, false},
        {"", FullPace, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        TempDir dir;
        writeFile(SettingsPath, c.settings);
        std::unique_ptr<Game> game = startedGame({levelText(400, {{70, WaistRow, FileBonus}})});
        game->startGame(0);
        game->running = true;
        // The ghost's key rewrites the settings; the server's address stays.
        pushKey(SDLK_g, true);
        while (game->pollEvent()) {
            game->handlePlayEvent();
        }
        EXPECT_EQ(readSettings().server, parseSettingsText(c.settings).server);
        drawFramesUntilLevelEnds(*game);
        pushKey(SDLK_ESCAPE);
        game->showLevelEnd();
        const std::string record = readFile(replayFileName(0, c.pace));
        ASSERT_NE(record, "");  // the record was made and saved
        EXPECT_EQ(isRegularFile(OutboxPath), c.queued);
        if (c.queued) {
            const Outbox outbox = readOutbox();
            ASSERT_EQ(outbox.runs.size(), 1u);
            EXPECT_EQ(outbox.runs[0].level, 0);
            EXPECT_EQ(outbox.runs[0].replay, record);
        }
    }
}

}  // namespace
