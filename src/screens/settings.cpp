#include "screens/settings.h"

#include "util/atomic_file.h"
#include "util/keyword_text.h"

Settings parseSettingsText(std::string_view text) {
    Settings settings;
    text::LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        text::WordReader words(line);
        std::string_view keyword;
        std::string_view value;
        std::string_view extra;
        if (words.next(keyword) && keyword == "fantome" && words.next(value) &&
            !words.next(extra) && (value == "0" || value == "1")) {
            settings.ghostShown = value == "1";
        }
    }
    return settings;
}

std::string settingsText(const Settings& settings) {
    return std::string("fantome ") + (settings.ghostShown ? "1" : "0") + "\n";
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
