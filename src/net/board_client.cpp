#include "net/board_client.h"

#include <utility>

#include "net/player_name.h"
#include "screens/settings.h"
#include "util/atomic_file.h"
#include "util/keyword_text.h"

namespace {

constexpr const char* NoAnswer = "le serveur du classement ne répond pas";

// A level's board file: "date MS", "tableau JSON" and, when the player is
// ranked there, "autour JSON": the server's answers as they came, read
// again by the same parsers.
BoardClient::Board parseBoardFile(std::string_view contents, int32_t level) {
    BoardClient::Board read;
    text::LineReader lines(contents);
    std::string_view line;
    int64_t date = 0;
    bool hasTop = false;
    std::string reason;
    while (lines.next(line)) {
        const std::size_t space = line.find(' ');
        const std::string_view keyword = line.substr(0, space);
        const std::string_view value =
            space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
        if (keyword == "date") {
            text::parseWholeInt64(value, date);
        } else if (keyword == "tableau") {
            hasTop = parseLevelBoard(value, read.top, reason) && read.top.level == level;
        } else if (keyword == "autour") {
            read.ranked = parseBoardAround(value, read.around, reason);
        }
    }
    if (!hasTop || date <= 0) {
        return BoardClient::Board{};
    }
    read.fetchedMs = date;
    return read;
}

// An answer kept on one line of a board file.
std::string oneLine(std::string body) {
    for (char& c : body) {
        c = c == '\n' || c == '\r' ? ' ' : c;
    }
    return body;
}

}  // namespace

BoardClient::BoardClient(std::string serverUrl, std::string saveFolder, HttpTimeouts timeouts)
    : server(isServerUrl(serverUrl) ? std::move(serverUrl) : std::string()),
      folder(std::move(saveFolder)),
      accountFile(folder + "/classement.txt"),
      outboxFile(folder + "/envois.txt"),
      http(timeouts) {
    while (!server.empty() && server.back() == '/') {
        server.pop_back();
    }
    if (enabled()) {
        playerAccount = readBoardAccount(accountFile);
        waiting = readOutbox(outboxFile);
    }
}

bool BoardClient::answered(int32_t& request, HttpResponse& response) {
    if (request == 0 || !http.take(request, response)) {
        return false;
    }
    request = 0;
    return true;
}

std::string BoardClient::boardFile(int32_t level) const {
    return folder + "/tableau-" + std::to_string(level) + ".txt";
}

int32_t BoardClient::send(const char* method, const std::string& path, const std::string& body,
                          bool signedIn) {
    HttpRequest request;
    request.method = method;
    request.url = server + "/api/v1" + path;
    request.body = body;
    if (signedIn) {
        request.token = playerAccount.token;
    }
    return http.start(request);
}

void BoardClient::poll(int64_t nowMs) {
    if (!enabled()) {
        return;
    }
    http.poll();
    pollName();
    pollTicket();
    pollRun(nowMs);
    pollBoard(nowMs);
    pollDownload();
    sendDueRun(nowMs);
}

void BoardClient::createPlayer(const std::string& name) {
    if (!enabled() || nameAsked == NameState::Waiting) {
        return;
    }
    std::string normalized;
    std::string folded;
    if (!normalizePlayerName(name, normalized, folded, nameWhy)) {
        nameAsked = NameState::Refused;
        return;
    }
    nameWhy.clear();
    nameAsked = NameState::Waiting;
    nameRequest = send("POST", "/players", newPlayerRequest(normalized), false);
}

void BoardClient::pollName() {
    HttpResponse response;
    if (!answered(nameRequest, response)) {
        return;
    }
    NewPlayer made;
    if (response.status == 201 && parseNewPlayer(response.body, made, nameWhy)) {
        playerAccount = BoardAccount{made.player, made.name, made.token, false};
        nameAsked = NameState::Created;
        if (!writeBoardAccount(playerAccount, accountFile)) {
            nameWhy = "le compte n'a pas pu être enregistré dans Save/";
        }
    } else if (response.status == 201) {
        nameAsked = NameState::Failed;  // nameWhy says what was wrong with the answer
    } else if (response.status == 400 || response.status == 409) {
        nameAsked = NameState::Refused;
        nameWhy = errorMessageOf(response.body, "nom refusé par le serveur");
    } else {
        nameAsked = NameState::Failed;
        nameWhy = response.status == 0 ? response.failure : errorMessageOf(response.body, NoAnswer);
    }
}

void BoardClient::skip() {
    if (!enabled() || playerAccount.known()) {
        return;
    }
    playerAccount.skipped = true;
    writeBoardAccount(playerAccount, accountFile);
}

void BoardClient::levelStarted(int32_t level) {
    if (!enabled() || level < 0 || level > MaxBoardLevel) {
        return;
    }
    http.cancel(ticketRequest);
    tickets.erase(level);
    ticketLevel = level;
    ticketRequest = send("POST", "/attempts", attemptRequest(level), false);
}

void BoardClient::pollTicket() {
    HttpResponse response;
    if (!answered(ticketRequest, response)) {
        return;
    }
    AttemptTicket ticket;
    std::string reason;
    if (response.status == 201 && parseAttemptTicket(response.body, ticket, reason) &&
        ticket.level == ticketLevel) {
        tickets[ticket.level] = ticket.ticket;
    }
}

bool BoardClient::recordMade(int32_t level, int32_t pace, const std::string& replay) {
    if (!enabled() || pace != FullPace) {
        return false;
    }
    PendingRun run;
    run.level = level;
    run.replay = replay;
    const auto ticket = tickets.find(level);
    if (ticket != tickets.end()) {
        run.ticket = ticket->second;
        tickets.erase(ticket);
    }
    // Read again first: another window of the game may have queued its own.
    Outbox onFile = readOutbox(outboxFile);
    if (!queueRun(onFile, std::move(run))) {
        return false;
    }
    waiting = std::move(onFile);
    return writeOutbox(waiting, outboxFile);
}

void BoardClient::sendDueRun(int64_t nowMs) {
    if (runRequest != 0 || !playerAccount.known()) {
        return;
    }
    const PendingRun* due = dueRun(waiting, nowMs);
    if (due == nullptr) {
        return;
    }
    sentRun = *due;
    runRequest = send("POST", "/runs", ::runRequest(due->level, due->replay, due->ticket), true);
}

void BoardClient::pollRun(int64_t nowMs) {
    HttpResponse response;
    if (!answered(runRequest, response)) {
        return;
    }
    SendOutcome outcome = sendOutcomeOf(response.status);
    std::string reason;
    if (response.status == 401) {
        // The server no longer knows this player (deleted, or a new
        // database): the run waits for the name the player is asked again.
        playerAccount = BoardAccount{};
        writeBoardAccount(playerAccount, accountFile);
        nameAsked = NameState::None;
    }
    if (outcome == SendOutcome::Accepted) {
        if (parseRunVerdict(response.body, verdict, reason)) {
            verdictLevel = sentRun.level;
            loadedBoard(sentRun.level).stale = true;
        } else {
            outcome = SendOutcome::Later;  // a server that says 200 and nothing sound
        }
    }
    Outbox onFile = readOutbox(outboxFile);
    if (settleRun(onFile, sentRun.level, sentRun.replay, outcome, nowMs,
                  response.retryAfterSeconds * 1000)) {
        writeOutbox(onFile, outboxFile);
    }
    waiting = std::move(onFile);
}

void BoardClient::fetchBoard(int32_t level) {
    if (!enabled() || level < 0 || level > MaxBoardLevel) {
        return;
    }
    if (boardRequest != 0) {
        http.cancel(boardRequest);
        loadedBoard(boardLevel).fetching = false;
    }
    loadedBoard(level).fetching = true;
    loadedBoard(level).stale = false;
    boardLevel = level;
    askingAround = false;
    boardRequest = send("GET", "/levels/" + std::to_string(level), "", false);
}

void BoardClient::pollBoard(int64_t nowMs) {
    HttpResponse response;
    if (!answered(boardRequest, response)) {
        return;
    }
    Board& shown = loadedBoard(boardLevel);
    std::string reason;
    if (!askingAround) {
        LevelBoard top;
        if (response.status != 200 || !parseLevelBoard(response.body, top, reason)) {
            shown.fetching = false;
            shown.message = response.status == 0     ? response.failure
                            : response.status != 200 ? errorMessageOf(response.body, NoAnswer)
                                                     : reason;
            return;
        }
        shown.top = std::move(top);
        shown.ranked = false;
        shown.fetchedMs = nowMs;
        shown.message.clear();
        topBody = oneLine(std::move(response.body));
        if (playerAccount.known()) {
            askingAround = true;
            boardRequest = send("GET",
                                "/levels/" + std::to_string(boardLevel) + "/around/" +
                                    std::to_string(playerAccount.player),
                                "", false);
            return;
        }
    } else {
        // 404: not ranked there yet, which is no failure.
        shown.ranked =
            response.status == 200 && parseBoardAround(response.body, shown.around, reason);
    }
    shown.fetching = false;
    std::string kept = "date " + std::to_string(shown.fetchedMs) + "\ntableau " + topBody + "\n";
    if (shown.ranked) {
        kept += "autour " + oneLine(std::move(response.body)) + "\n";
    }
    topBody.clear();
    writeFileAtomically(boardFile(boardLevel), kept);
}

BoardClient::Board& BoardClient::loadedBoard(int32_t level) {
    const auto found = boards.find(level);
    if (found != boards.end()) {
        return found->second;
    }
    Board& made = boards[level];
    std::string contents;
    if (enabled() && text::readWholeFile(boardFile(level), contents, 4 * MaxAnswerBytes)) {
        made = parseBoardFile(contents, level);
    }
    return made;
}

void BoardClient::fetchRun(int64_t run) {
    if (!enabled() || run <= 0 || run > MaxBoardId) {
        return;
    }
    http.cancel(downloadRequest);
    download = RunDownload{run, true, "", ""};
    downloadRequest = send("GET", "/runs/" + std::to_string(run), "", false);
}

void BoardClient::pollDownload() {
    HttpResponse response;
    if (!answered(downloadRequest, response)) {
        return;
    }
    download.fetching = false;
    if (response.status == 200) {
        download.replay = std::move(response.body);
    } else {
        download.message =
            response.status == 0 ? response.failure : errorMessageOf(response.body, NoAnswer);
    }
}
