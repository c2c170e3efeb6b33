#include "test_support.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir() {
    previous_ = fs::current_path().string();
    std::string pattern = (fs::temp_directory_path() / "mosslance-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    if (made == nullptr) {
        ADD_FAILURE() << "mkdtemp failed";
        return;
    }
    path_ = made;
    fs::current_path(path_);
}

TempDir::~TempDir() {
    fs::current_path(previous_);
    std::error_code ignored;
    if (!path_.empty()) {
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
}

Watchdog::Watchdog(int seconds)
    : thread_([this, seconds] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!finished_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
              std::cerr << "Still blocked after " << seconds << " s: the test fails." << std::endl;
              std::_Exit(1);
          }
      }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    finished_.notify_one();
    thread_.join();
}

void writeFile(const std::string& path, const std::string& contents) {
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) {
        fs::create_directories(parent);
    }
    std::ofstream file(path, std::ios::binary);
    file << contents;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << file.rdbuf();
    return buffer.str();
}

bool fileExists(const std::string& path) {
    return fs::exists(path);
}

std::string captureStdout(const std::function<void()>& body) {
    std::ostringstream captured;
    std::streambuf* previous = std::cout.rdbuf(captured.rdbuf());
    body();
    std::cout.rdbuf(previous);
    return captured.str();
}

DummyVideo::DummyVideo() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        ADD_FAILURE() << "SDL_Init: " << SDL_GetError();
        return;
    }
    screen_ = SDL_SetVideoMode(720, 480, 32, SDL_HWSURFACE);
    if (screen_ == nullptr) {
        ADD_FAILURE() << "SDL_SetVideoMode: " << SDL_GetError();
    }
}

DummyVideo::~DummyVideo() {
    SDL_Quit();
}

uint32_t pixelAt(SDL_Surface* surface, int x, int y) {
    SDL_LockSurface(surface);
    const auto* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
    const uint32_t raw = reinterpret_cast<const uint32_t*>(row)[x];
    SDL_UnlockSurface(surface);
    Uint8 r = 0, g = 0, b = 0;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

void writeSolidImage(const std::string& path, int width, int height, uint32_t rgb) {
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) {
        fs::create_directories(parent);
    }
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xff0000, 0xff00, 0xff, 0);
    SDL_FillRect(surface, nullptr,
                 SDL_MapRGB(surface->format, (rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff));
    SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
}

static void pushKeyEvent(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void pushKey(SDLKey key, bool downOnly) {
    pushKeyEvent(SDL_KEYDOWN, key);
    if (!downOnly) {
        pushKeyEvent(SDL_KEYUP, key);
    }
}

void pushKeyUp(SDLKey key) {
    pushKeyEvent(SDL_KEYUP, key);
}

void pushButton(Uint8 button, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.type = event.type;
    event.jbutton.button = button;
    event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

void pushQuit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

// Every test runs on SDL's headless drivers unless it names others itself:
// no window opens and no sound reaches the machine's speakers.
static const bool headlessDrivers = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

std::string keysOf(const std::deque<SDL_Event>& keys) {
    static const std::pair<SDLKey, const char*> names[] = {
        {SDLK_SPACE, "space"}, {SDLK_LEFT, "left"}, {SDLK_RIGHT, "right"}, {SDLK_UP, "up"},
        {SDLK_DOWN, "down"},   {SDLK_p, "p"},       {SDLK_r, "r"},         {SDLK_ESCAPE, "escape"},
        {SDLK_e, "e"},         {SDLK_v, "v"},       {SDLK_c, "c"},         {SDLK_n, "n"}};
    std::string text;
    for (const SDL_Event& key : keys) {
        text += key.type == SDL_KEYDOWN ? " +" : " -";
        const char* name = "?";
        for (const auto& [sym, keyName] : names) {
            if (key.key.keysym.sym == sym) {
                name = keyName;
            }
        }
        text += name;
    }
    return text;
}

bool killWriterMidway(const std::function<void(const std::function<void()>& firstDone)>& writer,
                      int delayMicroseconds) {
    int written[2];
    if (pipe(written) != 0) {
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        writer([&written] {
            const char done = 1;
            (void)!write(written[1], &done, 1);
        });
        _exit(0);  // a writer that stopped by itself: not killed midway
    }
    close(written[1]);
    char done = 0;
    const bool started = read(written[0], &done, 1) == 1;
    close(written[0]);
    usleep(static_cast<useconds_t>(delayMicroseconds));
    kill(child, SIGKILL);
    int status = 0;
    return waitpid(child, &status, 0) == child && started && WIFSIGNALED(status);
}
