#include "screens/settings.h"

#include "util/atomic_file.h"
#include "util/keyword_text.h"

bool isPace(int32_t pace) {
    for (const int32_t known : Paces) {
        if (pace == known) {
            return true;
        }
    }
    return false;
}

std::string paceSuffix(int32_t pace) {
    return pace == FullPace || !isPace(pace) ? std::string() : "-" + std::to_string(pace);
}

int32_t nextPace(int32_t pace) {
    constexpr int32_t count = sizeof Paces / sizeof Paces[0];
    for (int32_t i = 0; i + 1 < count; ++i) {
        if (Paces[i] == pace) {
            return Paces[i + 1];
        }
    }
    return FullPace;
}

bool isServerUrl(std::string_view url) {
    constexpr std::size_t MaxServerUrlLength = 200;
    std::string_view rest = url;
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (rest.substr(0, scheme.size()) == scheme) {
            rest.remove_prefix(scheme.size());
            break;
        }
    }
    if (rest.size() == url.size() || rest.empty() || rest.front() == '/' ||
        url.size() > MaxServerUrlLength) {
        return false;
    }
    for (const char c : url) {
        if (c <= ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

Settings parseSettingsText(std::string_view text) {
    Settings settings;
    text::LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        text::WordReader words(line);
        std::string_view keyword;
        std::string_view value;
        std::string_view extra;
        if (!words.next(keyword) || !words.next(value) || words.next(extra)) {
            continue;
        }
        int32_t number = 0;
        if (keyword == "fantome" && (value == "0" || value == "1" || value == "2")) {
            settings.ghostShown = value != "0";
            settings.worldGhost = value == "2";
        } else if (keyword == "allure" && text::parseWholeInt32(value, number) && isPace(number)) {
            settings.pace = number;
        } else if (keyword == "serveur" && isServerUrl(value)) {
            settings.server = std::string(value);
        }
    }
    return settings;
}

std::string settingsText(const Settings& settings) {
    const char* ghost = !settings.ghostShown ? "0" : settings.worldGhost ? "2" : "1";
    std::string written =
        std::string("fantome ") + ghost + "\nallure " + std::to_string(settings.pace) + "\n";
    if (!settings.server.empty()) {
        written += "serveur " + settings.server + "\n";
    }
    return written;
}

Settings readSettings() {
    std::string contents;
    if (!text::readWholeFile(SettingsPath, contents, text::MaxDataFileBytes)) {
        return Settings{};
    }
    return parseSettingsText(contents);
}

bool writeSettings(const Settings& settings) {
    return writeFileAtomically(SettingsPath, settingsText(settings));
}
