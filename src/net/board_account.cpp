#include "net/board_account.h"

#include "net/board_answers.h"
#include "net/player_name.h"
#include "util/atomic_file.h"
#include "util/keyword_text.h"

namespace {

// The rest of a line from `at`, without the blanks around it: a name may
// hold spaces.
std::string_view trimmedFrom(std::string_view line, std::size_t at) {
    std::string_view rest = line.substr(at);
    while (!rest.empty() && text::isSpace(rest.front())) {
        rest.remove_prefix(1);
    }
    while (!rest.empty() && text::isSpace(rest.back())) {
        rest.remove_suffix(1);
    }
    return rest;
}

}  // namespace

BoardAccount parseBoardAccountText(std::string_view contents) {
    BoardAccount read;
    text::LineReader lines(contents);
    std::string_view line;
    while (lines.next(line)) {
        text::WordReader words(line);
        std::string_view keyword;
        if (!words.next(keyword)) {
            continue;
        }
        const std::string_view value = trimmedFrom(line, words.offset());
        int64_t number = 0;
        std::string name;
        std::string folded;
        std::string reason;
        if (keyword == "joueur") {
            if (text::parseWholeInt64(value, number) && number > 0 && number <= MaxBoardId) {
                read.player = number;
            }
        } else if (keyword == "nom" && normalizePlayerName(value, name, folded, reason)) {
            read.name = name;
        } else if (keyword == "jeton" && isSafeSecret(value)) {
            read.token = std::string(value);
        } else if (keyword == "passe") {
            read.skipped = value == "1";
        }
    }
    if (!read.known() || read.name.empty()) {
        const bool skipped = read.skipped;
        read = BoardAccount{};
        read.skipped = skipped;
    }
    return read;
}

std::string boardAccountText(const BoardAccount& account) {
    if (!account.known()) {
        return account.skipped ? "passe 1\n" : "";
    }
    return "joueur " + std::to_string(account.player) + "\nnom " + account.name + "\njeton " +
           account.token + "\n";
}

BoardAccount readBoardAccount(const std::string& path) {
    std::string contents;
    if (!text::readWholeFile(path, contents, text::MaxDataFileBytes)) {
        return BoardAccount{};
    }
    return parseBoardAccountText(contents);
}

bool writeBoardAccount(const BoardAccount& account, const std::string& path) {
    return writeFileAtomically(path, boardAccountText(account));
}
