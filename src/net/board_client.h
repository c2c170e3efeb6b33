#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "net/board_account.h"
#include "net/board_answers.h"
#include "net/http_client.h"
#include "net/outbox.h"

// The world board as the game and its screens see it. The game calls poll()
// once a frame; every other call only asks, and what the server says shows
// in the state below on a later frame. Nothing here ever makes a frame wait.
//
// Without a server address the client is off: it sends nothing, keeps
// nothing, and every call does nothing.
//
// Kept in the save folder: the account (BoardAccountPath), the runs waiting
// to be sent (OutboxPath) and the last board fetched of each level
// ("tableau-N.txt"), which shows when the server cannot be reached.
class BoardClient {
  public:
    enum class NameState {
        None,     // nothing asked
        Waiting,  // the server has not answered yet
        Created,  // the account is made and kept
        Refused,  // the server (or the name rule) said no: `nameMessage` says why
        Failed,   // no answer: try again later
    };

    // A level's board as last fetched, from the server or from its file.
    struct Board {
        int64_t fetchedMs = 0;  // when it came, 0: never
        LevelBoard top;
        bool ranked = false;  // the player is on it: `around` holds their neighbours
        BoardAround around;
        bool fetching = false;
        bool stale = false;   // a run of the player's was ranked since it came
        std::string message;  // why the last fetch failed, "" when it did not
    };

    // `serverUrl` as the settings give it ("" for none); `saveFolder` holds
    // the client's files.
    explicit BoardClient(std::string serverUrl, std::string saveFolder = "Save",
                         HttpTimeouts timeouts = HttpTimeouts{});

    bool enabled() const { return !server.empty(); }

    // Moves the requests on and sends a waiting run when one is due. `nowMs`
    // is the wall clock in milliseconds since 1970 (back-off outlives the game).
    void poll(int64_t nowMs);

    // The account. createPlayer asks for `name` (one request at a time);
    // skip() keeps the player's choice to play without the board.
    const BoardAccount& account() const { return playerAccount; }
    void createPlayer(const std::string& name);
    NameState nameState() const { return nameAsked; }
    const std::string& nameMessage() const { return nameWhy; }
    void skip();

    // A level starts: a ticket for its run is asked for in the background,
    // and goes with that level's next record run when it came in time.
    void levelStarted(int32_t level);
    // True once the ticket of `level`'s start came: its run will be timed.
    bool ticketReady(int32_t level) const { return tickets.count(level) > 0; }
    // A new record of `level` at `pace`, already saved: its run waits in the
    // outbox (replacing the level's older one) until the server settles it.
    // Only full-pace runs go to the board. False when it was not queued.
    bool recordMade(int32_t level, int32_t pace, const std::string& replay);
    const Outbox& outbox() const { return waiting; }
    // The server's word on the last run it ranked, and its level (-1: none yet).
    const RunVerdict& lastVerdict() const { return verdict; }
    int32_t lastVerdictLevel() const { return verdictLevel; }

    // Fetches the top of `level` and the player's neighbours there; board()
    // shows the last one fetched meanwhile (read from its file the first time).
    void fetchBoard(int32_t level);
    const Board& board(int32_t level) { return loadedBoard(level); }

    // A ranked run's replay, as the server keeps it, asked for by its id
    // (one at a time: a new ask drops the last).
    struct RunDownload {
        int64_t run = 0;  // 0: none asked
        bool fetching = false;
        std::string replay;   // once it came
        std::string message;  // why it did not come
    };
    void fetchRun(int64_t run);
    const RunDownload& runDownload() const { return download; }

    // Requests sent and not answered yet, as of the last poll.
    int32_t requestsInFlight() const { return http.pending(); }

  private:
    std::string boardFile(int32_t level) const;
    // True when `request` is answered: the answer is in `response` and
    // `request` is 0 again.
    bool answered(int32_t& request, HttpResponse& response);
    int32_t send(const char* method, const std::string& path, const std::string& body,
                 bool signedIn);
    void pollName();
    void pollTicket();
    void pollRun(int64_t nowMs);
    void pollBoard(int64_t nowMs);
    void sendDueRun(int64_t nowMs);
    void pollDownload();
    Board& loadedBoard(int32_t level);

    std::string server;
    std::string folder;
    std::string accountFile;
    std::string outboxFile;
    HttpClient http;
    BoardAccount playerAccount;
    Outbox waiting;

    int32_t nameRequest = 0;
    NameState nameAsked = NameState::None;
    std::string nameWhy;

    int32_t ticketRequest = 0;
    int32_t ticketLevel = -1;
    std::map<int32_t, std::string> tickets;

    int32_t runRequest = 0;
    PendingRun sentRun;
    RunVerdict verdict;
    int32_t verdictLevel = -1;

    int32_t boardRequest = 0;
    int32_t boardLevel = -1;
    bool askingAround = false;
    std::string topBody;  // the top's answer, kept with the neighbours'
    std::map<int32_t, Board> boards;

    int32_t downloadRequest = 0;
    RunDownload download;
};
