#pragma once

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "actors/body.h"
#include "actors/ghost.h"
#include "actors/hero.h"
#include "app/camera.h"
#include "app/gamepad_keys.h"
#include "app/pointer_keys.h"
#include "app/practice.h"
#include "gfx/animation.h"
#include "gfx/display.h"
#include "gfx/outlined_label.h"
#include "gfx/surface.h"
#include "screens/board_list.h"
#include "screens/name_field.h"
#include "screens/progress.h"
#include "screens/replay_file.h"
#include "screens/settings.h"
#include "screens/story.h"
#include "sound/fsound.h"
#include "world/level.h"

class BoardClient;

constexpr int MaxRecords = 10;
constexpr int LevelImageSlots = 10;
constexpr int TitleImageCount = 5;

// The screens of the game, in the order a run usually meets them. Each screen
// operation records in `nextScreen` which one follows; the dispatcher in
// runScreenFlow runs them one after another, so no screen calls the next one
// and a run of many levels uses no more stack than a run of one. The page's
// probe gives these numbers to the browser tests, so new screens go last.
enum class Screen {
    LoadStory,
    LoadRecords,
    TitleMenu,
    LevelMenu,
    StartGame,  // with nextLevelIndex
    PlayLevel,
    LevelEnd,
    End,
    WatchRecord,  // with nextLevelIndex and watchedRun
    WorldBoard,   // with boardLevel
    NameEntry,    // then nameThen
};

// How the Game's construction goes on once start-up is done.
enum class GameFlow {
    Run,          // enter the screen flow and return when the player has left
    StartupOnly,  // stop after start-up (tests drive the screens themselves)
};

// The application: every screen, the play loop, the start of a game and the
// end of a level are its operations and share its fields.
class Game {
  public:
    explicit Game(GameFlow flow = GameFlow::Run);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Runs the screens from `nextScreen` until the game ends.
    void runScreenFlow();
    // Runs one screen (the one `nextScreen` names) and returns.
    void runNextScreen();

    // The screens and steps of the flow.
    void loadStory();
    void loadRecords();
    void showTitleMenu();
    void showLevelMenu();
    void startGame(int32_t levelIndex);
    void playLevel();
    void watchRecord();
    void showLevelEnd();

    // Their event handling and frame drawing, one member each so that tests
    // can drive a screen without waiting for its clock.
    void handleTitleEvent();
    void drawTitleFrame();
    void handleLevelMenuEvent();
    void drawLevelMenuFrame();
    void handlePlayEvent();
    void drawPlayFrame();
    // Starts level `levelIndex` for watching watchedRun; false when it cannot.
    bool beginWatch(int32_t levelIndex);
    void handleWatchEvent();
    void drawWatchFrame();
    bool paused() const { return pausedByKey || pausedByFocusLoss; }
    void handleLevelEndEvent();
    void drawLevelEndFrame();

    // The poll-and-pace loop every screen runs until `running` is false:
    // drain every waiting event, then draw a frame (white fill, the screen's
    // drawing, flip) once more than 30 ms have passed, else sleep the rest.
    // With oneEventPerPass, each pass handles at most one event and then
    // always makes the frame step.
    template <class HandleEvent, class DrawFrame>
    void runScreenLoop(HandleEvent handleEvent, DrawFrame drawFrame, bool oneEventPerPass = false);
    void fillWhite();
    // Takes the next event into `event`, as SDL_PollEvent does, with the
    // events of a pad, the mouse and the fingers turned into the keys they
    // stand for; false when none is waiting.
    bool pollEvent();
    // F11 and Alt+Enter, on every screen.
    void toggleFullScreen();

    // True when SDL or the window could not be opened: the game did not run
    // and the program exits with status 1.
    bool startupFailed = false;
    Screen nextScreen = Screen::LoadStory;
    int32_t nextLevelIndex = 0;

    SDL_Event event{};
    Display display;
    SDL_Surface* screen = nullptr;  // the display's 720 x 480 canvas
    bool running = false;
    double nowTicks = 0;
    double lastFrameTicks = 0;
    StreamPtr music;
    std::unique_ptr<Level> level;
    Camera camera;
    std::unique_ptr<Hero> hero;
    std::unique_ptr<Body> body;  // the hero's body
    int32_t selection = 1;
    std::array<SurfacePtr, TitleImageCount> titleImages;
    SDL_Rect titleRect{0, 0, 0, 0};
    std::array<SurfacePtr, LevelImageSlots> levelImages;
    int32_t endChoice = 3;
    std::unique_ptr<Animation> titleAnimation;
    std::unique_ptr<Animation> endAnimation;
    SurfacePtr readyImage;
    SDL_Rect readyRect{0, 0, 0, 0};
    SamplePtr bonusSample;
    SamplePtr damageSample;
    SurfacePtr damageImage;
    SDL_Rect damageRect{0, 0, 0, 0};
    SamplePtr menuSample;
    std::array<std::string, MaxLevelFiles> levelFiles;
    int32_t levelCount = InitialLevelCount;
    int32_t currentLevel = 2;
    SamplePtr confirmSample;
    bool levelEnded = false;
    bool menuConfirmed = false;
    std::array<int32_t, MaxRecords> records{};
    char recordText[100] = {};
    FontPtr font;
    SurfacePtr recordTextSurface;
    SDL_Rect recordRect{450, 225, 0, 0};
    // The record of an earlier version of the level, shown apart below it.
    int32_t oldVersionRecord = 0;
    SurfacePtr oldVersionSurface;

    // A level stops where it is while P holds it or the window has lost the
    // focus; it shows the last frame under "Title/pause.png" meanwhile.
    bool pausedByKey = false;
    bool pausedByFocusLoss = false;
    SurfacePtr pauseImage;
    SurfacePtr pausedFrame;       // the frame on the screen when the pause began
    bool spaceDown = false;       // as the keyboard (or pad) has it now
    bool heroHoldsSpace = false;  // as the hero last heard, when the pause began

    // The run being played, kept as a replay when it makes a record: the
    // space bar as the hero heard it, each event with the frame it came
    // before, which is all a replay needs to be exact.
    std::vector<ReplayEvent> runEvents;
    int32_t playedFrames = 0;
    bool runRecorded = true;  // false once the run holds more events than a replay may

    // The level's record run raced as a ghost; G shows or hides it, and the
    // choice is kept in the settings file.
    Ghost ghost;
    bool ghostShown = true;
    // With a world board, G goes round three: the record's ghost, the world
    // record's (world_ghost.cpp: fetched from the level menu, checked, and
    // kept in Save/ for a game without the network), none.
    Ghost worldGhost;
    bool worldGhostChosen = false;
    std::array<int64_t, MaxRecords> worldGhostRuns{};  // the run kept for each level, 0: none
    int32_t worldGhostFetchLevel = -1;
    int64_t worldGhostFetchRun = 0;
    void keepWorldGhost(int32_t levelIndex);
    void startWorldGhost(int32_t levelIndex);

    // The record run R plays from the level menu: its keys are given to the
    // hero at their frames while the level plays as it did.
    ReplayData watchedRun;
    std::size_t watchedEvent = 0;
    OutlinedLabel watchLabel;             // "Record", in the score's font
    int32_t levelMenuFirstSelection = 0;  // the level highlighted on entering the menu

    // A practised level plays as ever, but a fall puts the hero back at the
    // last checkpoint, and nothing of it is kept: no record, no record run,
    // no attempt.
    bool practising = false;
    Practice practice;
    std::vector<int32_t> takenBonuses;  // the cells of the bonuses taken, in order
    SurfacePtr practiceFrame;           // the frame shown still after a fall or the end
    OutlinedLabel practiceLabel;        // "Entraînement"
    OutlinedLabel finishedLabel;        // "Niveau terminé"

    // The pace levels are played at, in percent: only the time between
    // frames changes (31 ms at full pace), and a slower pace keeps records
    // of its own. A screen loop draws a frame once more than frameWaitMs
    // have passed.
    int32_t pace = FullPace;
    double frameWaitMs = 30.0;

    // How far the player got: the attempts and best share of each level,
    // and the share of the level the run being played reached.
    ProgressData progress{};
    int32_t finishFrame = 1;  // of the level being played (levelFinishFrame)
    int32_t runPercent = 0;
    FontPtr smallFont;                       // the menus' lines of text
    std::array<OutlinedLabel, 5> menuLines;  // the level menu's: attempts, best, pace, keys
    std::array<OutlinedLabel, 2> endLines;   // the end of a level's: share and pace, a failed save
    bool recordUnsaved = false;              // a new record that could not be written

    // The world board (world_board.cpp), when the settings name its server:
    // the game's new full-pace records are sent there in the background.
    std::string serverUrl;
    std::unique_ptr<BoardClient> worldBoard;
    void startWorldBoard();
    void pollWorldBoard();  // once a frame, from runScreenLoop
    void tellBoardOfStart(int32_t levelIndex);
    void tellBoardOfRecord(int32_t levelIndex, const ReplayData& run);

    // The world board's screens (board_screen.cpp, name_entry.cpp): a
    // level's board, opened with C from the level menu, whose runs can be
    // watched, and the name the player is known by there.
    void showWorldBoard();
    void handleBoardEvent();
    void drawBoardFrame();
    void showNameEntry();
    void handleNameEvent();
    void drawNameFrame();
    // A server, and a player who has neither an account nor said no.
    bool wantsName() const;
    FontPtr boardFont;                                // the board's rows and the menu's world lines
    std::array<OutlinedLabel, 2> menuBoardLines;      // the world record, the key and rank
    std::array<uint32_t, MaxRecords> boardAskedAt{};  // ticks of each level's last fetch, 0: none
    bool boardOpened = false;                         // C in the level menu
    int32_t boardLevel = 0;
    BoardList boardList;
    int64_t boardListedMs = -1;  // the fetch the list shows
    bool boardListedRanked = false;
    int64_t boardWatchRun = 0;  // the run being fetched for watching, 0: none
    std::string boardNote;      // what became of it
    bool nameAsked = false;     // N on the board screen
    std::array<OutlinedLabel, BoardList::VisibleRows * 4> boardRowLabels;
    std::array<OutlinedLabel, 5> boardLines;  // title, legend, state, keys, name
    // The watch of a run shows `watchTitle` and goes back to `watchReturn`.
    std::string watchTitle = "Record";
    Screen watchReturn = Screen::LevelMenu;
    NameField nameField;
    Screen nameThen = Screen::LevelMenu;
    bool nameSent = false;  // the name was sent during this visit
    std::array<OutlinedLabel, 4> nameLines;

    GamepadKeys gamepad;
    PointerKeys pointer;  // the mouse and the fingers
    // Keys a pad, mouse or finger event stood for, not handled yet.
    std::deque<SDL_Event> standInKeys;

  private:
    PointerKeys::Target pointerTarget() const;
    bool handlePauseEvent();
    void beginPause();
    void endPause();
    void recordSpace(bool press);
    void toggleGhost();
    void saveSettings();
    // Practice: the checkpoints, the pause after a fall and the end.
    PlayCheckpoint takeCheckpoint() const;
    void restoreCheckpoint(const PlayCheckpoint& checkpoint);
    bool drawPracticeStill();  // true while the frame stands still
    void stepPractice();
    void drawPracticeOverlay();
    void drawMenuLines();
    void drawMenuBoardLines();
    void askBoardOf(int32_t levelIndex, bool now);
    void listBoard();
    void takeWatchedDownload();
    void drawBoardRows();
    void drawPanel();
    void drawEndLines();
    ReplayData recordRun(int32_t score) const;
    void showOldVersionRecord();
    bool startUp();  // false when SDL or the window cannot be opened
    bool ttfStarted = false;
    bool sdlStarted = false;
};

template <class HandleEvent, class DrawFrame>
void Game::runScreenLoop(HandleEvent handleEvent, DrawFrame drawFrame, bool oneEventPerPass) {
    for (;;) {
        const bool gotEvent = pollEvent();
        if (gotEvent) {
            handleEvent();
            if (!oneEventPerPass) {
                continue;
            }
        }
        nowTicks = static_cast<double>(SDL_GetTicks());
        const double elapsed = nowTicks - lastFrameTicks;
        if (elapsed > frameWaitMs) {
            fillWhite();
            drawFrame();
            display.present();
            lastFrameTicks = nowTicks;
            pollWorldBoard();
#ifdef __EMSCRIPTEN__
            // A page shows nothing and hears no key until the program gives
            // the browser its turn; a frame that ran late must not keep it.
            SDL_Delay(0);
            // A browser shows a pad to the page only once one of its
            // buttons is pressed there, long after the game started.
            gamepad.openNew(standInKeys);
#endif
        } else {
            // A clock that went backwards (SDL's ticks wrap after 49 days)
            // still waits no more than one frame period.
            SDL_Delay(static_cast<Uint32>(frameWaitMs - (elapsed < 0.0 ? 0.0 : elapsed)));
        }
        if (!running) {
            return;
        }
    }
}
