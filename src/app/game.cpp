#include "app/game.h"
#include "net/board_client.h"
#include "screens/settings.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <iostream>

// Every start of a level frees the last level's grid and pictures (about
// 10 MB) and allocates as much again. By default the C library hands such
// large blocks back to the system and maps fresh ones, whose every page then
// faults on first touch: a quarter of a level's start. Keeping freed memory
// for reuse makes the new level land in the old one's pages; the peak in use
// stays the same.
static void keepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}

Game::Game(GameFlow flow) {
    if (!startUp()) {
        startupFailed = true;
        nextScreen = Screen::End;
        return;
    }
    if (flow == GameFlow::Run) {
        runScreenFlow();
    }
}

// Classic SDL 1.2 quietly falls back to drawing on the terminal with
// characters when it finds no display, and writes its control codes on the
// way. Unless the player names a video driver, this desktop game asks for
// the desktop's drivers alone, so that no display is a plain error: X11 on
// classic SDL 1.2; X11 and then Wayland on sdl12-compat (which reports
// 1.2.50 and later), as SDL 2 orders them itself.
//
// sdl12-compat also presents each frame through an OpenGL renderer by
// default. The game draws and scales every pixel itself, so that only adds
// an upload and, without a graphics card, a software OpenGL that took 90 MB
// and a tenth of a core here. Unless the player says otherwise, frames are
// shown as classic SDL 1.2 shows them: copied to the window as they are.
static int initVideo() {
#ifdef __EMSCRIPTEN__
    // The browser's SDL reads the pads only when asked for them at the start.
    return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK);
#endif
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    if (std::getenv("SDL_VIDEODRIVER") != nullptr) {
        return SDL_Init(SDL_INIT_VIDEO);
    }
    const SDL_version* linked = SDL_Linked_Version();
    const bool compat = linked->major == 1 && linked->minor == 2 && linked->patch >= 50;
    setenv("SDL_VIDEODRIVER", compat ? "x11,wayland" : "x11", 1);
    const int result = SDL_Init(SDL_INIT_VIDEO);
    unsetenv("SDL_VIDEODRIVER");
    return result;
}

bool Game::startUp() {
    keepFreedMemoryForReuse();
    ttfStarted = TTF_Init() == 0;
    levelCount = InitialLevelCount;
    FSOUND_Init(44100, 32, 0);
    if (initVideo() != 0) {
        std::cerr << "MOSSLANCE Hero : impossible d'initialiser SDL (" << SDL_GetError() << ")"
                  << std::endl;
        return false;
    }
    sdlStarted = true;
    gamepad.openAll();
    // The icon must be set before the window opens; SDL keeps its own copy.
    SurfacePtr icon = loadImage("Title/icone.png");
    SDL_WM_SetIcon(icon.get(), nullptr);
    SDL_WM_SetCaption("MOSSLANCE Hero", nullptr);
    if (!display.open()) {
        std::cerr << "MOSSLANCE Hero : impossible d'ouvrir la fenêtre de 720 x 480 ("
                  << SDL_GetError() << ")" << std::endl;
        return false;
    }
    screen = display.canvas();
    setDrawingSurface(screen);

    static const char* const titleFiles[TitleImageCount] = {
        "Title/ecran-titre-01.png", "Title/ecran-titre-02.png", "Title/ecran-titre-03.png",
        "Title/game-over-01.png", "Title/game-over-02.png"};
    for (int i = 0; i < TitleImageCount; ++i) {
        titleImages[i] = loadImage(titleFiles[i]);
    }
    // One level-menu picture a level slot, Title/choix-01.png to choix-10.png.
    for (int i = 0; i < LevelImageSlots; ++i) {
        char path[32];
        std::snprintf(path, sizeof path, "Title/choix-%02d.png", i + 1);
        levelImages[i] = loadImage(path);
    }
    damageImage = loadImage("Enemies/degat.png");
    titleAnimation = std::make_unique<Animation>("Title/hero.imga", 0.35);
    readyImage = loadImage("Title/ready.png");
    pauseImage = loadImage("Title/pause.png");
    titleRect.x = 0;
    titleRect.y = 0;
    selection = 1;
    endChoice = 3;
    readyRect.x = 0;
    readyRect.y = 0;
    font = openFont("shark.ttf", 65);
    smallFont = openFont("shark.ttf", 26);
    boardFont = openFont("shark.ttf", 20);

    music.reset(FSOUND_Stream_Open("Music/Fond.mp3", FSOUND_LOOP_NORMAL, 0, 0));
    FSOUND_Stream_Play(FSOUND_FREE, music.get());
    FSOUND_Stream_SetLoopCount(music.get(), -1);

    bonusSample.reset(FSOUND_Sample_Load(FSOUND_FREE, "Music/bonus.mp3", 0, 0, 0));
    damageSample.reset(FSOUND_Sample_Load(FSOUND_FREE, "Music/degat.mp3", 0, 0, 0));
    menuSample.reset(FSOUND_Sample_Load(FSOUND_FREE, "Music/menu.mp3", 0, 0, 0));
    confirmSample.reset(FSOUND_Sample_Load(FSOUND_FREE, "Music/valide.mp3", 0, 0, 0));

    recordTextSurface.reset();
    recordRect.x = 450;
    recordRect.y = 225;
    levelEnded = false;
    menuConfirmed = false;
    SDL_ShowCursor(SDL_DISABLE);
    currentLevel = 2;
    const Settings settings = readSettings();
    ghostShown = settings.ghostShown;
    worldGhostChosen = settings.worldGhost;
    pace = settings.pace;
    serverUrl = settings.server;
    startWorldBoard();
    nextScreen = Screen::LoadStory;
    return true;
}

Game::~Game() {
    confirmSample.reset();
    menuSample.reset();
    bonusSample.reset();
    damageSample.reset();
    music.reset();
    FSOUND_Close();
    font.reset();
    smallFont.reset();
    boardFont.reset();
    if (ttfStarted) {
        TTF_Quit();
    }
    for (SurfacePtr& image : titleImages) {
        image.reset();
    }
    for (SurfacePtr& image : levelImages) {
        image.reset();
    }
    readyImage.reset();
    pauseImage.reset();
    pausedFrame.reset();
    damageImage.reset();
    recordTextSurface.reset();
    watchLabel.clear();
    practiceLabel.clear();
    finishedLabel.clear();
    for (OutlinedLabel& line : menuLines) {
        line.clear();
    }
    for (OutlinedLabel& line : endLines) {
        line.clear();
    }
    const auto clearAll = [](auto& labels) {
        for (OutlinedLabel& label : labels) {
            label.clear();
        }
    };
    clearAll(menuBoardLines);
    clearAll(boardRowLabels);
    clearAll(boardLines);
    clearAll(nameLines);
    practiceFrame.reset();
    titleAnimation.reset();
    endAnimation.reset();
    ghost.clear();
    worldGhost.clear();
    level.reset();
    hero.reset();
    body.reset();
    gamepad.closeAll();
    display.close();
    screen = nullptr;
    SDL_Quit();
    for (std::string& name : levelFiles) {
        name.clear();
    }
}

void Game::runScreenFlow() {
    while (nextScreen != Screen::End) {
        runNextScreen();
    }
}

void Game::runNextScreen() {
    switch (nextScreen) {
        case Screen::LoadStory:
            loadStory();
            break;
        case Screen::LoadRecords:
            loadRecords();
            break;
        case Screen::TitleMenu:
            showTitleMenu();
            break;
        case Screen::LevelMenu:
            showLevelMenu();
            break;
        case Screen::StartGame:
            startGame(nextLevelIndex);
            break;
        case Screen::PlayLevel:
            playLevel();
            break;
        case Screen::WatchRecord:
            watchRecord();
            break;
        case Screen::LevelEnd:
            showLevelEnd();
            break;
        case Screen::WorldBoard:
            showWorldBoard();
            break;
        case Screen::NameEntry:
            showNameEntry();
            break;
        case Screen::End:
            break;
    }
}

bool Game::pollEvent() {
    for (;;) {
        pointer.tick(SDL_GetTicks(), standInKeys);
        if (!standInKeys.empty()) {
            event = standInKeys.front();
            standInKeys.pop_front();
            return true;
        }
        if (SDL_PollEvent(&event) == 0) {
            return false;
        }
        if (event.type == SDL_KEYDOWN &&
            (event.key.keysym.sym == SDLK_F11 ||
             (event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT) != 0))) {
            toggleFullScreen();
            continue;
        }
        // Start is Space in the menus and pauses a level; in the level menu
        // Y watches the record run, X practises the level and a shoulder
        // opens the world board, where a shoulder asks for a name.
        const bool levelMenu = nextScreen == Screen::LevelMenu;
        const SDLKey startKey = nextScreen == Screen::PlayLevel ? SDLK_p : SDLK_SPACE;
        const SDLKey yKey = levelMenu ? SDLK_r : SDLK_SPACE;
        const SDLKey xKey = levelMenu ? SDLK_e : SDLK_SPACE;
        const SDLKey shoulderKey = levelMenu                          ? SDLK_c
                                   : nextScreen == Screen::WorldBoard ? SDLK_n
                                                                      : SDLK_UNKNOWN;
        if (!gamepad.translate(event, startKey, standInKeys, yKey, xKey, shoulderKey) &&
            !pointer.translate(event, pointerTarget(), standInKeys)) {
            return true;
        }
    }
}

PointerKeys::Target Game::pointerTarget() const {
    PointerKeys::Target target;
    switch (nextScreen) {
        case Screen::TitleMenu:
            target.screen = PointerKeys::Screen::TitleMenu;
            break;
        case Screen::LevelMenu:
            target.screen = PointerKeys::Screen::LevelMenu;
            break;
        case Screen::PlayLevel:
        case Screen::WatchRecord:  // a tap is Space, which ends the watch
            target.screen = PointerKeys::Screen::PlayLevel;
            break;
        case Screen::LevelEnd:
            target.screen = PointerKeys::Screen::LevelEnd;
            break;
        case Screen::WorldBoard:
            target.screen = PointerKeys::Screen::WorldBoard;
            break;
        case Screen::NameEntry:
            target.screen = PointerKeys::Screen::NameEntry;
            break;
        default:
            break;
    }
    target.selection = nextScreen == Screen::WorldBoard
                           ? boardList.highlight() - boardList.firstShown()
                           : selection;
    target.worldBoard = worldBoard != nullptr;
    target.paused = paused();
    target.practising = practising && nextScreen == Screen::PlayLevel;
    target.place = display.place();
    target.now = SDL_GetTicks();
    return target;
}

void Game::toggleFullScreen() {
    // Refused or not, the canvas may be another surface now, or none.
    display.toggleFullScreen();
    screen = display.canvas();
    setDrawingSurface(screen);
    if (screen == nullptr) {
        std::cerr << "MOSSLANCE Hero : impossible de rouvrir la fenêtre de 720 x 480 ("
                  << SDL_GetError() << ")" << std::endl;
        std::exit(EXIT_FAILURE);
    }
}

void Game::fillWhite() {
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
}
