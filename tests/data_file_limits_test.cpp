// Every data file the game reads may be something other than a regular file:
// a device that never ends (/dev/zero) or ends at once (/dev/null), or a
// named pipe that has no writer (open would wait for one) or a writer that
// never sends (read would wait). Each reads at once as a file that cannot be
// opened, with its own message, and the game goes on; a picture, the font or
// a sound there is simply missing, and the record writer refuses such a
// file in place of its temporary one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "actors/hero.h"
#include "app/game.h"
#include "gfx/animation.h"
#include "menu_fixture.h"
#include "test_support.h"
#include "util/atomic_file.h"
#include "world/level.h"

namespace fs = std::filesystem;

namespace {

enum class Special { EndlessDevice, EmptyDevice, PipeWithoutWriter, SilentPipe };

// Turns paths into special files of one kind; a silent pipe's writer stays
// open for the object's lifetime.
class SpecialFiles {
  public:
    explicit SpecialFiles(Special kind) : kind_(kind) {}
    ~SpecialFiles() {
        for (int fd : writers_) {
            ::close(fd);
        }
    }
    void make(const std::string& path) {
        if (kind_ == Special::EndlessDevice || kind_ == Special::EmptyDevice) {
            fs::create_symlink(kind_ == Special::EndlessDevice ? "/dev/zero" : "/dev/null", path);
            return;
        }
        ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << path;
        if (kind_ == Special::SilentPipe) {
            // Read and write: Linux opens a pipe so without waiting for a reader.
            writers_.push_back(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
            ASSERT_GE(writers_.back(), 0) << path;
        }
    }

  private:
    Special kind_;
    std::vector<int> writers_;
};

std::string notFound(const std::string& what) {
    return "\n\nImpossible d'ouvrir le fichier " + what + " !! 404 Not found !\n\n";
}

void expectEveryLoadGoesOn(Special kind) {
    menu_fixture::StartedGame started;
    Game& game = started.game;
    SpecialFiles special(kind);
    for (const char* folder : {"Story", "Save", "Enemies"}) {
        fs::create_directories(folder);
    }
    for (const char* path :
         {"Story/game.story", "Save/records-0.rcd", "special.lvl", "special.imga", "special.hr",
          "Enemies/ennemi-01.imga", "special.picture-font-or-sound"}) {
        special.make(path);
    }
    EXPECT_EQ(captureStdout([&] { game.loadStory(); }), notFound("Story/game.story"));
    EXPECT_EQ(game.nextScreen, Screen::End);

    fs::remove("Story/game.story");
    writeFile("Story/game.story", "0 special.lvl\n");
    special.make("Save/save.sv");
    EXPECT_EQ(captureStdout([&] { game.loadStory(); }), "");  // ends quietly
    EXPECT_EQ(game.nextScreen, Screen::End);

    game.levelCount = 1;
    game.records[0] = 0;
    EXPECT_EQ(captureStdout([&] { game.loadRecords(); }), notFound("Save/records.rcd"));
    EXPECT_EQ(game.records[0], 0);

    Camera camera;
    std::unique_ptr<Level> level;
    EXPECT_EQ(captureStdout([&] { level = std::make_unique<Level>("special.lvl", &camera); }),
              notFound("Hero Enemies/ennemi-01.imga") + notFound("niveau  special.lvl"));
    EXPECT_EQ(level->background, nullptr);
    EXPECT_EQ(captureStdout([] { Animation("special.imga", 0.35); }),
              notFound("Hero special.imga"));
    EXPECT_EQ(captureStdout([] { Hero("special.hr", "machin"); }), notFound("Hero special.hr"));

    // A records file that is no file is replaced at once, never waited on
    // or written through (a link to /dev/zero stays where it points).
    EXPECT_TRUE(writeFileAtomically("Save/records-0.rcd", "100\n"));
    EXPECT_EQ(readFile("Save/records-0.rcd"), "100\n");

    const char* silent = "special.picture-font-or-sound";
    EXPECT_EQ(loadImage(silent), nullptr);
    EXPECT_EQ(openFont(silent, 65), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, silent, 0, 0, 0), nullptr);
}

TEST(DataFileLimits, ASpecialDataFileReadsAtOnceAsOneThatCannotBeOpened) {
    // Before the check a pipe blocked for good: this ends the run instead.
    Watchdog watchdog(20);
    const struct {
        const char* name;
        Special kind;
    } kinds[] = {{"/dev/zero", Special::EndlessDevice},
                 {"/dev/null", Special::EmptyDevice},
                 {"a pipe without a writer", Special::PipeWithoutWriter},
                 {"a pipe whose writer never sends", Special::SilentPipe}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        expectEveryLoadGoesOn(kind.kind);
    }
}

}  // namespace
