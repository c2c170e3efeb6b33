#include "server_fixture.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "actors/replay_runner.h"
#include "app/game.h"
#include "play_fixture.h"
#include "server_options.h"
#include "test_support.h"

namespace server_test {

namespace {

using namespace play;

// Bonuses within a jump's reach, a platform and an enemy, so that a run's
// score depends on its keys; level 1 differs from level 0 by one bonus.
std::string levelFile(int level) {
    std::vector<FileCell> cells = {{70, WaistRow, FileBonus},
                                   {90, WaistRow - 8, FileBonus},
                                   {200, WaistRow, FileEnemy},
                                   {230, WaistRow - 6, FileBonus}};
    if (level == 1) {
        cells.push_back({300, WaistRow - 8, FileBonus});
    }
    for (int column = 120; column < 140; ++column) {
        cells.push_back({column, FloorRow - 5, FileTile});
    }
    return levelText(400, cells);
}

// Plays `level` through the game's event queue, jumping at the given passes
// of the play loop, and leaves the end-of-level screen, which keeps the run.
void playLevel(Game& game, int level, const std::vector<int>& pressTicks) {
    game.startGame(level);
    game.running = true;
    game.levelEnded = false;
    for (int tick = 1; !game.levelEnded && tick < 2000; ++tick) {
        for (const int press : pressTicks) {
            if (press == tick) {
                pushKey(SDLK_SPACE, true);
            } else if (press + 9 == tick) {
                pushKeyUp(SDLK_SPACE);
            }
        }
        while (game.pollEvent()) {
            game.handlePlayEvent();
        }
        game.fillWhite();
        game.drawPlayFrame();
    }
    pushKey(SDLK_SPACE);
    game.showLevelEnd();
}

struct Tree {
    ~Tree() {
        if (!kept) {
            std::filesystem::remove_all(path);
        }
    }
    std::string path;
    bool kept = false;
    std::vector<std::string> runs;
};

const Tree& tree() {
    static const Tree made = [] {
        Tree result;
        // The server's process tests serve the tree made here.
        const char* keep = std::getenv("MOSSLANCE_TEST_TREE");
        std::string pattern =
            (std::filesystem::temp_directory_path() / "mosslance-server-XXXXXX").string();
        result.kept = keep != nullptr;
        result.path = result.kept ? std::string(keep) : std::string(mkdtemp(pattern.data()));
        std::filesystem::create_directories(result.path);
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(result.path);
        {
            std::unique_ptr<Game> game = startedGame({levelFile(0), levelFile(1)});
            // Two jumps that take both high bonuses: a better run than none.
            playLevel(*game, 0, {10, 148});
            playLevel(*game, 1, {10, 148});
        }
        result.runs = {readFile("Save/replay-0.rpl"), readFile("Save/replay-1.rpl")};
        std::filesystem::current_path(previous);
        return result;
    }();
    return made;
}

}  // namespace

const std::string& dataTree() {
    return tree().path;
}

const std::string& gameRun(int level) {
    return tree().runs.at(static_cast<std::size_t>(level));
}

std::string freshDatabase(const std::string& sqliteFile) {
    const char* configured = std::getenv("MOSSLANCE_TEST_DATABASE");
    if (configured != nullptr && isPostgresUrl(configured)) {
        PGconn* connection = PQconnectdb(configured);
        PGresult* result = PQexec(connection,
                                  "SET client_min_messages = warning;"
                                  " DROP SCHEMA public CASCADE; CREATE SCHEMA public");
        EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(connection);
        PQclear(result);
        PQfinish(connection);
        return configured;
    }
    std::filesystem::remove(sqliteFile);
    std::filesystem::remove(sqliteFile + "-wal");
    std::filesystem::remove(sqliteFile + "-shm");
    return sqliteFile;
}

void ServerTest::SetUp() {
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(catalog.load(dataTree(), error, warnings)) << error;
    ASSERT_EQ(catalog.count(), 2);
    const std::string database = freshDatabase(dataTree() + "/test.sqlite");
    ASSERT_TRUE(store.open(database, 2, catalog.fingerprints(), error)) << error;
    ApiSettings settings;
    ASSERT_EQ(store.sharedSecret("tickets", "test secret", settings.ticketSecret), StoreStatus::Ok);
    routes = std::make_unique<ApiRoutes>(catalog, store, settings);
    routes->clock = [this] { return now; };
}

Answer ServerTest::call(const std::string& method, const std::string& path, const std::string& body,
                        const std::string& token) {
    ApiRequest request;
    request.method = method;
    const std::size_t question = path.find('?');
    request.path = path.substr(0, question);
    if (question != std::string::npos) {
        std::string rest = path.substr(question + 1);
        while (!rest.empty()) {
            const std::size_t amp = rest.find('&');
            const std::string pair = rest.substr(0, amp);
            const std::size_t equal = pair.find('=');
            request.query.emplace(pair.substr(0, equal),
                                  equal == std::string::npos ? "" : pair.substr(equal + 1));
            rest = amp == std::string::npos ? "" : rest.substr(amp + 1);
        }
    }
    if (!token.empty()) {
        request.authorization = "Bearer " + token;
    }
    request.body = body;
    request.address = address;
    const ApiResponse response = routes->handle(request);
    Answer answer;
    answer.status = response.status;
    answer.text = response.body;
    if (response.contentType == "application/json") {
        answer.body = json::parse(response.body, nullptr, false);
        EXPECT_FALSE(answer.body.is_discarded()) << response.body;
        if (response.status >= 400) {
            EXPECT_TRUE(answer.body.contains("error")) << response.body;
        }
    }
    return answer;
}

Player ServerTest::newPlayer(const std::string& name) {
    const Answer answer = post("/api/v1/players", json{{"name", name}});
    EXPECT_EQ(answer.status, 201) << answer.text;
    Player player;
    if (answer.status == 201) {
        player.id = answer.body["player"].get<int64_t>();
        player.token = answer.body["token"].get<std::string>();
    }
    return player;
}

std::string ServerTest::madeRun(int level, const std::vector<ReplayEvent>& events) {
    const CatalogLevel* played = catalog.level(level);
    ReplayData replay;
    replay.levelFingerprint = played->fingerprint;
    replay.frames = MaxReplayFrames;
    replay.events = events;
    ReplayRunner runner(played->grid.data(), &replay);
    while (runner.step()) {
    }
    replay.frames = runner.frame;
    replay.score = runner.score;
    return replayText(replay);
}

}  // namespace server_test
