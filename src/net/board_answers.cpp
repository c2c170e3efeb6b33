#include "net/board_answers.h"

#include <limits>
#include <nlohmann/json.hpp>

#include "net/player_name.h"

namespace {

using nlohmann::json;

constexpr std::size_t MaxSecretLength = 512;
constexpr std::size_t MaxShownErrorBytes = 200;
constexpr int32_t MaxScore = std::numeric_limits<int32_t>::max();

// Reads the fields of one JSON object; the first fault stays in `reason`
// and every later read is false, so a parser checks once at its end.
class FieldReader {
  public:
    FieldReader(const json& object, std::string& reason, const char* what)
        : object_(object), reason_(reason), what_(what) {
        if (!object_.is_object()) {
            fail("n'est pas un objet JSON");
        }
    }

    bool ok() const { return ok_; }

    bool number(const char* key, int64_t min, int64_t max, int64_t& value) {
        const json* field = find(key);
        if (field == nullptr) {
            return false;
        }
        if (field->is_number_unsigned()) {
            const uint64_t raw = field->get<uint64_t>();
            if (raw > static_cast<uint64_t>(max)) {
                return fail(std::string(key) + " hors limites");
            }
            value = static_cast<int64_t>(raw);
        } else if (field->is_number_integer()) {
            value = field->get<int64_t>();
        } else {
            return fail(std::string(key) + " n'est pas un entier");
        }
        if (value < min || value > max) {
            return fail(std::string(key) + " hors limites");
        }
        return true;
    }

    bool number32(const char* key, int32_t min, int32_t max, int32_t& value) {
        int64_t wide = 0;
        if (!number(key, min, max, wide)) {
            return false;
        }
        value = static_cast<int32_t>(wide);
        return true;
    }

    bool boolean(const char* key, bool& value) {
        const json* field = find(key);
        if (field == nullptr) {
            return false;
        }
        if (!field->is_boolean()) {
            return fail(std::string(key) + " n'est pas un booléen");
        }
        value = field->get<bool>();
        return true;
    }

    const std::string* text(const char* key) {
        const json* field = find(key);
        if (field == nullptr) {
            return nullptr;
        }
        if (!field->is_string()) {
            fail(std::string(key) + " n'est pas un texte");
            return nullptr;
        }
        return field->get_ptr<const json::string_t*>();
    }

    bool secret(const char* key, std::string& value) {
        const std::string* field = text(key);
        if (field == nullptr) {
            return false;
        }
        if (!isSafeSecret(*field)) {
            return fail(std::string(key) + " mal formé");
        }
        value = *field;
        return true;
    }

    bool name(const char* key, std::string& value) {
        const std::string* field = text(key);
        if (field == nullptr) {
            return false;
        }
        std::string normalized;
        std::string folded;
        std::string why;
        if (!normalizePlayerName(*field, normalized, folded, why) || normalized != *field) {
            return fail("nom de joueur invalide");
        }
        value = normalized;
        return true;
    }

    const json* list(const char* key) {
        const json* field = find(key);
        if (field == nullptr) {
            return nullptr;
        }
        if (!field->is_array()) {
            fail(std::string(key) + " n'est pas une liste");
            return nullptr;
        }
        if (field->size() > MaxBoardEntries) {
            fail(std::string(key) + " a plus de " + std::to_string(MaxBoardEntries) + " lignes");
            return nullptr;
        }
        return field;
    }

    bool fail(const std::string& fault) {
        if (ok_) {
            reason_ = std::string(what_) + " : " + fault;
            ok_ = false;
        }
        return false;
    }

  private:
    const json* find(const char* key) {
        if (!ok_) {
            return nullptr;
        }
        const auto found = object_.find(key);
        if (found == object_.end()) {
            fail(std::string("champ ") + key + " absent");
            return nullptr;
        }
        return &*found;
    }

    const json& object_;
    std::string& reason_;
    const char* what_;
    bool ok_ = true;
};

bool parseBody(std::string_view body, json& value, std::string& reason) {
    if (body.size() > MaxAnswerBytes) {
        reason = "réponse du serveur trop grande";
        return false;
    }
    value = json::parse(body.begin(), body.end(), nullptr, false);
    if (value.is_discarded()) {
        reason = "réponse du serveur illisible (JSON invalide)";
        return false;
    }
    return true;
}

bool isTimeText(const std::string& text) {
    // "YYYY-MM-DDTHH:MM:SSZ"
    static constexpr std::string_view shape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (shape[i] == 'd' ? !digit : text[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

bool isFingerprint(const std::string& text) {
    if (text.size() != 16) {
        return false;
    }
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

bool readRows(FieldReader& fields, const char* key, std::vector<BoardRow>& rows,
              std::string& reason) {
    const json* list = fields.list(key);
    if (list == nullptr) {
        return false;
    }
    rows.clear();
    for (const json& item : *list) {
        FieldReader row(item, reason, "ligne du classement");
        BoardRow read;
        row.number("rank", 1, MaxBoardId, read.rank);
        row.number("player", 1, MaxBoardId, read.player);
        row.name("name", read.name);
        row.number32("score", 0, MaxScore, read.score);
        row.number32("frames", 0, MaxScore, read.frames);
        const std::string* at = row.text("at");
        if (at != nullptr && !isTimeText(*at)) {
            row.fail("date mal formée");
        }
        row.number("run", 1, MaxBoardId, read.run);
        row.boolean("timed", read.timed);
        if (!row.ok()) {
            return false;
        }
        read.at = *at;
        rows.push_back(std::move(read));
    }
    return true;
}

// One answer: the body parsed within its bounds, then its fields read by
// `readFields` into a fresh value, which replaces `answer` only when whole.
template <class Answer, class ReadFields>
bool parseAnswer(std::string_view body, Answer& answer, std::string& reason, const char* what,
                 ReadFields readFields) {
    json value;
    if (!parseBody(body, value, reason)) {
        return false;
    }
    FieldReader fields(value, reason, what);
    Answer read;
    if (!readFields(fields, read, reason)) {
        return false;
    }
    answer = std::move(read);
    return true;
}

}  // namespace

bool isSafeSecret(std::string_view text) {
    if (text.empty() || text.size() > MaxSecretLength) {
        return false;
    }
    for (const char c : text) {
        if (c <= ' ' || c > '~' || c == '"' || c == '\\') {
            return false;
        }
    }
    return true;
}

bool parseNewPlayer(std::string_view body, NewPlayer& answer, std::string& reason) {
    return parseAnswer(body, answer, reason, "réponse à la création du joueur",
                       [](FieldReader& fields, NewPlayer& read, std::string&) {
                           fields.number("player", 1, MaxBoardId, read.player);
                           fields.name("name", read.name);
                           fields.secret("token", read.token);
                           return fields.ok();
                       });
}

bool parseAttemptTicket(std::string_view body, AttemptTicket& answer, std::string& reason) {
    return parseAnswer(body, answer, reason, "réponse au début de niveau",
                       [](FieldReader& fields, AttemptTicket& read, std::string&) {
                           fields.number32("level", 0, MaxBoardLevel, read.level);
                           fields.secret("ticket", read.ticket);
                           return fields.ok();
                       });
}

bool parseRunVerdict(std::string_view body, RunVerdict& answer, std::string& reason) {
    return parseAnswer(body, answer, reason, "réponse à l'envoi de la course",
                       [](FieldReader& fields, RunVerdict& read, std::string&) {
                           fields.number32("score", 0, MaxScore, read.score);
                           fields.number("rank", 1, MaxBoardId, read.rank);
                           fields.number32("best", 0, MaxScore, read.best);
                           fields.boolean("improved", read.improved);
                           fields.number("run", 1, MaxBoardId, read.run);
                           return fields.ok();
                       });
}

bool parseLevelBoard(std::string_view body, LevelBoard& answer, std::string& reason) {
    return parseAnswer(body, answer, reason, "classement du niveau",
                       [](FieldReader& fields, LevelBoard& read, std::string& why) {
                           fields.number32("level", 0, MaxBoardLevel, read.level);
                           const std::string* fingerprint = fields.text("fingerprint");
                           if (fingerprint != nullptr && !isFingerprint(*fingerprint)) {
                               fields.fail("empreinte mal formée");
                           }
                           fields.number("players", 0, MaxBoardId, read.players);
                           if (!fields.ok() || !readRows(fields, "top", read.top, why)) {
                               return false;
                           }
                           read.fingerprint = *fingerprint;
                           return true;
                       });
}

bool parseBoardPage(std::string_view body, BoardPage& answer, std::string& reason) {
    return parseAnswer(body, answer, reason, "page du classement",
                       [](FieldReader& fields, BoardPage& read, std::string& why) {
                           fields.number("total", 0, MaxBoardId, read.total);
                           return fields.ok() && readRows(fields, "entries", read.entries, why);
                       });
}

bool parseBoardAround(std::string_view body, BoardAround& answer, std::string& reason) {
    return parseAnswer(body, answer, reason, "classement autour du joueur",
                       [](FieldReader& fields, BoardAround& read, std::string& why) {
                           fields.number("player", 1, MaxBoardId, read.player);
                           fields.number("rank", 1, MaxBoardId, read.rank);
                           fields.number("total", 1, MaxBoardId, read.total);
                           return fields.ok() && readRows(fields, "entries", read.entries, why);
                       });
}

std::string newPlayerRequest(const std::string& name) {
    // Replaced rather than refused: the server says what is wrong with a name.
    return json{{"name", name}}.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string attemptRequest(int32_t level) {
    return json{{"level", level}}.dump();
}

std::string runRequest(int32_t level, const std::string& replay, const std::string& ticket) {
    json body{{"level", level}, {"replay", replay}};
    if (!ticket.empty()) {
        body["ticket"] = ticket;
    }
    return body.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string errorMessageOf(std::string_view body, const std::string& fallback) {
    json value;
    std::string reason;
    if (!parseBody(body, value, reason) || !value.is_object()) {
        return fallback;
    }
    const auto found = value.find("error");
    if (found == value.end() || !found->is_string()) {
        return fallback;
    }
    std::string shown;
    for (const char c : found->get_ref<const json::string_t&>()) {
        if (static_cast<unsigned char>(c) >= ' ' && c != '\x7f') {
            shown += c;
        }
    }
    if (shown.size() > MaxShownErrorBytes) {
        // Cut before a UTF-8 continuation byte never splits a character.
        std::size_t cut = MaxShownErrorBytes;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        shown.resize(cut);
    }
    return shown.empty() ? fallback : shown;
}
