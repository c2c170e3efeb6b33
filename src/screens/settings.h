#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The player's choices kept between runs, in "Save/reglages.txt", one
// keyword line each:
//
//   fantome 1        (0: no ghost, 1: the record's, 2: the world record's)
//   allure 70
//   serveur http://classement.example:8080
//
// A missing or damaged file, or line, leaves the choice as it is by default.
// Without a "serveur" line there is no world board: nothing is sent.
constexpr const char* SettingsPath = "Save/reglages.txt";

// The paces a level can be played at, in percent of the game's own: the
// rules stay the same, only the time between frames grows.
constexpr int32_t FullPace = 100;
constexpr int32_t Paces[] = {100, 90, 80, 70, 60, 50};

struct Settings {
    bool ghostShown = true;
    bool worldGhost = false;  // the world record's run is raced, not the player's
    int32_t pace = FullPace;
    std::string server;  // the world board's address, "" for none
};

// True for an address the world board can be reached at: "http://" or
// "https://" and a host, printable ASCII without blanks, at most 200
// characters.
bool isServerUrl(std::string_view url);

// The pace after `pace` in Paces, round to full pace again; full pace for
// anything that is not one of them.
int32_t nextPace(int32_t pace);
bool isPace(int32_t pace);
// What a slower pace adds to the names of its records files and record runs,
// which are kept apart from the full pace's: "" at full pace, "-70" at 70 %.
std::string paceSuffix(int32_t pace);

// Pure. Unknown lines, values other than 0 and 1 for the ghost and other
// than one of Paces for the pace, and addresses that are not isServerUrl
// are passed over.
Settings parseSettingsText(std::string_view text);
std::string settingsText(const Settings& settings);

Settings readSettings();
// Atomically; false when it could not be written (the old file then stays).
bool writeSettings(const Settings& settings);
