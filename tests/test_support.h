#pragma once

#include <SDL/SDL.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// A fresh temporary folder that the test works in: the constructor makes it
// the working folder, the destructor goes back and removes it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::string previous_;
};

// Ends the test program with a message when it is still alive `seconds`
// after the watchdog was made: a test of something that must not block then
// fails instead of hanging the test run.
class Watchdog {
  public:
    explicit Watchdog(int seconds);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

  private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread thread_;  // last: it uses the members above
};

// Writes `contents` to `path`, making its folders.
void writeFile(const std::string& path, const std::string& contents);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

// Runs `writer` in a child process, which calls its argument once its first
// write is whole and then writes on until it is killed, and kills it with
// SIGKILL `delayMicroseconds` after that: a kill that lands among the writes
// however slow the build or the disk is. True when the child died so.
bool killWriterMidway(const std::function<void(const std::function<void()>& firstDone)>& writer,
                      int delayMicroseconds);

// What `body` writes to the standard output stream (std::cout).
std::string captureStdout(const std::function<void()>& body);

// A 720 x 480 x 32 video surface on SDL's dummy driver, for the lifetime of
// the object.
class DummyVideo {
  public:
    DummyVideo();
    ~DummyVideo();
    SDL_Surface* screen() const { return screen_; }

  private:
    SDL_Surface* screen_ = nullptr;
};

// The pixel at (x, y) of a 32-bit surface, as 0xRRGGBB.
uint32_t pixelAt(SDL_Surface* surface, int x, int y);

// Writes a picture of `width` x `height` filled with one colour (0xRRGGBB),
// as a BMP whatever the name says: the game loads any format SDL_image reads.
void writeSolidImage(const std::string& path, int width, int height, uint32_t rgb);

// Pushes a key press (down, then up unless downOnly) onto SDL's event queue.
void pushKey(SDLKey key, bool downOnly = false);
void pushKeyUp(SDLKey key);
// The key events in `keys` as " +NAME" for a press and " -NAME" for a
// release (names of our own: SDL_GetKeyName needs a started video on classic
// SDL 1.2).
std::string keysOf(const std::deque<SDL_Event>& keys);
void pushQuit();
// Pushes a press or release of button `button` of the first pad.
void pushButton(Uint8 button, bool down);
