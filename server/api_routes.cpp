#include "api_routes.h"

#include <charconv>
#include <chrono>
#include <ctime>
#include <nlohmann/json.hpp>
#include <vector>

#include "actors/replay_runner.h"
#include "attempt_ticket.h"
#include "net/player_name.h"
#include "screens/replay_file.h"
#include "token.h"

namespace {

using nlohmann::json;

constexpr int64_t MaxBoardPage = 100;
constexpr int64_t TopOfLevel = 10;
constexpr int64_t AroundReach = 5;

std::string dumped(const json& value) {
    // Replaces rather than throws on bytes that are not UTF-8.
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

ApiResponse reply(int status, const json& value) {
    ApiResponse response;
    response.status = status;
    response.body = dumped(value);
    return response;
}

ApiResponse error(int status, const std::string& message) {
    return reply(status, json{{"error", message}});
}

ApiResponse unavailable() {
    return error(503, "base de données indisponible, réessayez plus tard");
}

// A whole decimal number of at most 18 digits, no sign.
bool parseId(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 18) {
        return false;
    }
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc() && end == text.data() + text.size() && value >= 0;
}

// The index of a path that boardOf accepted.
int64_t levelNumber(const std::string& index) {
    int64_t number = 0;
    parseId(index, number);
    return number;
}

std::vector<std::string> pathParts(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t slash = path.find('/', at);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > at) {
            parts.push_back(path.substr(at, end - at));
        }
        at = end + 1;
    }
    return parts;
}

std::string isoTime(int64_t milliseconds) {
    const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

json entryJson(const BoardEntry& entry) {
    return json{{"rank", entry.rank},   {"player", entry.player}, {"name", entry.name},
                {"score", entry.score}, {"frames", entry.frames}, {"at", isoTime(entry.at)},
                {"run", entry.run},     {"timed", entry.timed}};
}

json entriesJson(const std::vector<BoardEntry>& entries) {
    json list = json::array();
    for (const BoardEntry& entry : entries) {
        list.push_back(entryJson(entry));
    }
    return list;
}

// A JSON object of a request body, with only the fields in `allowed`.
bool parseBody(std::string_view body, const std::vector<std::string>& allowed, json& value,
               ApiResponse& refusal) {
    value = json::parse(body, nullptr, false);
    if (value.is_discarded() || !value.is_object()) {
        refusal = error(400, "le corps de la requête doit être un objet JSON");
        return false;
    }
    for (const auto& item : value.items()) {
        bool known = false;
        for (const std::string& name : allowed) {
            known = known || item.key() == name;
        }
        if (!known) {
            refusal = error(400, "champ inconnu : " + item.key());
            return false;
        }
    }
    return true;
}

bool isLowerHex(const std::string& text, std::size_t digits) {
    if (text.size() != digits) {
        return false;
    }
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

// The level a body's "level" field names; false with the response to give.
bool levelOf(const json& body, const LevelCatalog& catalog, int32_t& index, ApiResponse& refusal) {
    if (!body.contains("level") || !body["level"].is_number_integer()) {
        refusal = error(400, "le champ level (entier) manque");
        return false;
    }
    const json& field = body["level"];
    const bool inRange =
        field.is_number_unsigned() ? field.get<uint64_t>() <= INT32_MAX : field.get<int64_t>() >= 0;
    const CatalogLevel* level = inRange ? catalog.level(field.get<int64_t>()) : nullptr;
    if (level == nullptr || level->grid.empty()) {
        refusal = error(404, "ce niveau n'existe pas sur ce serveur");
        return false;
    }
    index = static_cast<int32_t>(field.get<int64_t>());
    return true;
}

int64_t systemMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

ApiRoutes::ApiRoutes(const LevelCatalog& catalog, Store& store, const ApiSettings& settings)
    : clock(systemMilliseconds),
      catalog(catalog),
      store(store),
      settings(settings),
      readsByAddress(settings.readsPerMinute) {}

namespace {

ApiResponse tooMany(int retryAfter) {
    ApiResponse refusal =
        error(429, "trop de requêtes, réessayez dans " + std::to_string(retryAfter) + " s");
    refusal.retryAfter = retryAfter;
    return refusal;
}

}  // namespace

bool ApiRoutes::withinLimit(RateLimiter& limiter, const std::string& key, ApiResponse& refusal) {
    int retryAfter = 0;
    if (limiter.allow(key, clock(), retryAfter)) {
        return true;
    }
    refusal = tooMany(retryAfter);
    return false;
}

bool ApiRoutes::withinSharedLimit(const std::string& key, const std::string& other, int perMinute,
                                  ApiResponse& refusal) {
    const int64_t now = clock();
    int64_t count = 0;
    if (store.countAction(key, other, now / 60000, count) != StoreStatus::Ok) {
        refusal = unavailable();
        return false;
    }
    if (count <= perMinute) {
        return true;
    }
    refusal = tooMany(static_cast<int>(60 - now / 1000 % 60));
    return false;
}

ApiResponse ApiRoutes::handle(const ApiRequest& request) {
    const std::vector<std::string> parts = pathParts(request.path);
    if (parts.size() < 3 || parts[0] != "api" || parts[1] != "v1") {
        return error(404, "adresse inconnue");
    }
    const std::string& method = request.method;
    const std::string& resource = parts[2];
    const std::size_t size = parts.size();
    ApiResponse refusal;
    if (method == "GET" && !withinLimit(readsByAddress, request.address, refusal)) {
        return refusal;
    }
    if (resource == "players" && size == 3) {
        return method == "POST" ? addPlayer(request) : error(405, "méthode non permise");
    }
    if (resource == "players" && size == 4 && parts[3] == "me") {
        return method == "DELETE" ? deletePlayer(request) : error(405, "méthode non permise");
    }
    if (resource == "attempts" && size == 3) {
        return method == "POST" ? newAttempt(request) : error(405, "méthode non permise");
    }
    if (resource == "runs" && size == 3) {
        return method == "POST" ? submitRun(request) : error(405, "méthode non permise");
    }
    if (resource == "runs" && size == 4) {
        return method == "GET" ? runText(parts[3]) : error(405, "méthode non permise");
    }
    if (resource == "levels" && size >= 4 && size <= 6) {
        if (method != "GET") {
            return error(405, "méthode non permise");
        }
        if (size == 4) {
            return level(request, parts[3]);
        }
        if (size == 5 && parts[4] == "top") {
            return top(request, parts[3]);
        }
        if (size == 6 && parts[4] == "around") {
            return around(request, parts[3], parts[5]);
        }
    }
    return error(404, "adresse inconnue");
}

bool ApiRoutes::authenticate(const ApiRequest& request, PlayerRow& player, ApiResponse& refusal) {
    const std::string prefix = "Bearer ";
    const std::string& header = request.authorization;
    const std::string token =
        header.rfind(prefix, 0) == 0 ? header.substr(prefix.size()) : std::string();
    if (!isLowerHex(token, 32)) {
        refusal = error(401, "jeton manquant ou mal formé (Authorization: Bearer JETON)");
        return false;
    }
    const StoreStatus status = store.playerByToken(tokenHash(token), player);
    if (status == StoreStatus::NotFound) {
        refusal = error(401, "jeton inconnu");
        return false;
    }
    if (status != StoreStatus::Ok) {
        refusal = unavailable();
        return false;
    }
    return true;
}

ApiResponse ApiRoutes::addPlayer(const ApiRequest& request) {
    json body;
    ApiResponse refusal;
    if (!withinSharedLimit("noms " + request.address, "", settings.playersPerMinute, refusal) ||
        !parseBody(request.body, {"name"}, body, refusal)) {
        return refusal;
    }
    if (!body.contains("name") || !body["name"].is_string()) {
        return error(400, "le champ name (texte) manque");
    }
    std::string name;
    std::string key;
    std::string reason;
    if (!normalizePlayerName(body["name"].get<std::string>(), name, key, reason)) {
        return error(400, reason);
    }
    const std::string token = newToken();
    int64_t id = 0;
    const StoreStatus status = store.addPlayer(name, key, tokenHash(token), id);
    if (status == StoreStatus::Conflict) {
        return error(409, "ce nom est déjà pris");
    }
    if (status != StoreStatus::Ok) {
        return unavailable();
    }
    return reply(201, json{{"player", id}, {"name", name}, {"token", token}});
}

ApiResponse ApiRoutes::deletePlayer(const ApiRequest& request) {
    PlayerRow player;
    ApiResponse refusal;
    if (!authenticate(request, player, refusal)) {
        return refusal;
    }
    if (store.deletePlayer(player.id) != StoreStatus::Ok) {
        return unavailable();
    }
    return reply(200, json{{"deleted", player.id}});
}

ApiResponse ApiRoutes::submitRun(const ApiRequest& request) {
    PlayerRow player;
    ApiResponse refusal;
    if (!authenticate(request, player, refusal)) {
        return refusal;
    }
    json body;
    int32_t index = 0;
    if (!withinSharedLimit("runs joueur " + std::to_string(player.id), "runs " + request.address,
                           settings.submissionsPerMinute, refusal) ||
        !parseBody(request.body, {"level", "replay", "ticket"}, body, refusal) ||
        !levelOf(body, catalog, index, refusal)) {
        return refusal;
    }
    if (!body.contains("replay") || !body["replay"].is_string()) {
        return error(400, "le champ replay (texte d'un fichier .rpl) manque");
    }
    if (body.contains("ticket") && !body["ticket"].is_string()) {
        return error(400, "le champ ticket doit être un texte");
    }
    const CatalogLevel* level = catalog.level(index);
    const std::string& text = body["replay"].get_ref<const std::string&>();
    if (text.size() > MaxReplayFileBytes) {
        return error(413, "le replay dépasse la taille d'un fichier de replay");
    }
    ReplayData replay;
    std::string reason;
    if (!parseReplayText(text, replay, reason)) {
        return error(400, "replay illisible : " + reason);
    }
    if (replay.levelFingerprint != level->fingerprint) {
        return error(409, "ce run a été joué sur une autre version du niveau " +
                              std::to_string(index) + " (empreinte " +
                              fingerprintText(replay.levelFingerprint) + ", celle du serveur est " +
                              fingerprintText(level->fingerprint) + ")");
    }
    if (!replayReplays(level->grid.data(), replay, reason)) {
        return error(422, "le run rejoué ne donne pas ce qu'il annonce : il " + reason);
    }
    bool timed = false;
    if (body.contains("ticket")) {
        int32_t ticketLevel = 0;
        int64_t issued = 0;
        if (!readTicket(settings.ticketSecret, body["ticket"].get<std::string>(), ticketLevel,
                        issued) ||
            ticketLevel != index) {
            return error(400, "ticket invalide pour le niveau " + std::to_string(index));
        }
        const int64_t elapsed = clock() - issued;
        if (!cameBackInTime(replay.frames, issued, clock())) {
            return error(422, "ce run revient " + std::to_string(elapsed) +
                                  " ms après le début du niveau, mais ses " +
                                  std::to_string(replay.frames) + " images en prennent " +
                                  std::to_string(int64_t{replay.frames} * FramePeriodMs) +
                                  " : il a été joué au ralenti");
        }
        timed = true;
    }
    RunRow run;
    run.player = player.id;
    run.level = index;
    run.fingerprint = fingerprintText(level->fingerprint);
    run.score = replay.score;
    run.frames = replay.frames;
    run.timed = timed;
    run.replay = text;
    bool improved = false;
    int64_t bestRun = 0;
    int32_t bestScore = 0;
    int64_t rank = 0;
    if (store.keepRun(run, improved, bestRun, bestScore) != StoreStatus::Ok ||
        store.rankOf(run.fingerprint, bestScore, bestRun, rank) != StoreStatus::Ok) {
        return unavailable();
    }
    return reply(200, json{{"score", replay.score},
                           {"rank", rank},
                           {"best", bestScore},
                           {"improved", improved},
                           {"run", bestRun}});
}

ApiResponse ApiRoutes::newAttempt(const ApiRequest& request) {
    json body;
    ApiResponse refusal;
    int32_t index = 0;
    if (!parseBody(request.body, {"level"}, body, refusal) ||
        !levelOf(body, catalog, index, refusal)) {
        return refusal;
    }
    return reply(201, json{{"level", index},
                           {"ticket", issueTicket(settings.ticketSecret, index, clock())}});
}

ApiResponse ApiRoutes::runText(const std::string& id) {
    int64_t run = 0;
    if (!parseId(id, run)) {
        return error(400, "numéro de run invalide");
    }
    std::string replay;
    const StoreStatus status = store.runReplay(run, replay);
    if (status == StoreStatus::NotFound) {
        return error(404, "ce run n'existe pas");
    }
    if (status != StoreStatus::Ok) {
        return unavailable();
    }
    ApiResponse response;
    response.contentType = "text/plain; charset=utf-8";
    response.body = std::move(replay);
    return response;
}

bool ApiRoutes::boardOf(const ApiRequest& request, const std::string& index,
                        std::string& fingerprint, ApiResponse& refusal) {
    int64_t number = 0;
    if (!parseId(index, number)) {
        refusal = error(400, "numéro de niveau invalide");
        return false;
    }
    const CatalogLevel* level = catalog.level(number);
    if (level == nullptr || level->grid.empty()) {
        refusal = error(404, "ce niveau n'existe pas sur ce serveur");
        return false;
    }
    fingerprint = fingerprintText(level->fingerprint);
    const auto asked = request.query.find("fingerprint");
    if (asked != request.query.end()) {
        if (!isLowerHex(asked->second, 16)) {
            refusal = error(400, "empreinte invalide (16 chiffres hexadécimaux)");
            return false;
        }
        fingerprint = asked->second;
    }
    return true;
}

ApiResponse ApiRoutes::level(const ApiRequest& request, const std::string& index) {
    std::string fingerprint;
    ApiResponse refusal;
    if (!boardOf(request, index, fingerprint, refusal)) {
        return refusal;
    }
    int64_t total = 0;
    std::vector<BoardEntry> entries;
    if (store.boardSize(fingerprint, total) != StoreStatus::Ok ||
        store.board(fingerprint, 0, TopOfLevel, entries) != StoreStatus::Ok) {
        return unavailable();
    }
    return reply(200, json{{"level", levelNumber(index)},
                           {"fingerprint", fingerprint},
                           {"players", total},
                           {"top", entriesJson(entries)}});
}

ApiResponse ApiRoutes::top(const ApiRequest& request, const std::string& index) {
    std::string fingerprint;
    ApiResponse refusal;
    if (!boardOf(request, index, fingerprint, refusal)) {
        return refusal;
    }
    int64_t offset = 0;
    int64_t limit = TopOfLevel;
    const auto offsetText = request.query.find("offset");
    const auto limitText = request.query.find("limit");
    if (offsetText != request.query.end() && !parseId(offsetText->second, offset)) {
        return error(400, "offset doit être un entier positif ou nul");
    }
    if (limitText != request.query.end() &&
        (!parseId(limitText->second, limit) || limit < 1 || limit > MaxBoardPage)) {
        return error(400, "limit doit être un entier de 1 à " + std::to_string(MaxBoardPage));
    }
    int64_t total = 0;
    std::vector<BoardEntry> entries;
    if (store.boardSize(fingerprint, total) != StoreStatus::Ok ||
        store.board(fingerprint, offset, limit, entries) != StoreStatus::Ok) {
        return unavailable();
    }
    return reply(200, json{{"entries", entriesJson(entries)}, {"total", total}});
}

ApiResponse ApiRoutes::around(const ApiRequest& request, const std::string& index,
                              const std::string& playerText) {
    std::string fingerprint;
    ApiResponse refusal;
    if (!boardOf(request, index, fingerprint, refusal)) {
        return refusal;
    }
    int64_t player = 0;
    if (!parseId(playerText, player)) {
        return error(400, "numéro de joueur invalide");
    }
    int64_t run = 0;
    int32_t score = 0;
    int64_t rank = 0;
    int64_t total = 0;
    const StoreStatus status = store.bestOf(fingerprint, player, run, score);
    if (status == StoreStatus::NotFound) {
        return error(404, "ce joueur n'est pas classé sur ce niveau");
    }
    std::vector<BoardEntry> entries;
    if (status != StoreStatus::Ok ||
        store.rankOf(fingerprint, score, run, rank) != StoreStatus::Ok ||
        store.boardSize(fingerprint, total) != StoreStatus::Ok ||
        store.around(fingerprint, score, run, rank, AroundReach, entries) != StoreStatus::Ok) {
        return unavailable();
    }
    return reply(200, json{{"player", player},
                           {"rank", rank},
                           {"total", total},
                           {"entries", entriesJson(entries)}});
}
