#pragma once

#include <string>
#include <string_view>

// The player's choices kept between runs, in "Save/reglages.txt", one
// keyword line each:
//
//   fantome 1
//
// A missing or damaged file, or line, leaves the choice as it is by default.
constexpr const char* SettingsPath = "Save/reglages.txt";

struct Settings {
    bool ghostShown = true;
};

// Pure. Unknown lines and values other than 0 and 1 are passed over.
Settings parseSettingsText(std::string_view text);
std::string settingsText(const Settings& settings);

Settings readSettings();
// Atomically; false when it could not be written (the old file then stays).
bool writeSettings(const Settings& settings);
