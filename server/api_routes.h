#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "level_catalog.h"
#include "rate_limiter.h"
#include "store.h"

// One request to the API, as the HTTP shell hands it over.
struct ApiRequest {
    std::string method;
    std::string path;
    std::map<std::string, std::string> query;  // the first value of each parameter
    std::string authorization;                 // the Authorization header
    std::string address;                       // the client's
    std::string_view body;                     // the shell's, not copied: it may be a megabyte
};

struct ApiResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    int retryAfter = 0;  // seconds, for a 429
};

struct ApiSettings {
    std::string ticketSecret;       // signs attempt tickets (Store::sharedSecret)
    int submissionsPerMinute = 30;  // a token's, and an address's
    int playersPerMinute = 10;      // names made from one address
    int readsPerMinute = 6000;      // other requests from one address, on each server
};

// The API under /api/v1/: players, runs and boards. Every run is parsed with
// the game's limits and re-played on the server's own copy of its level
// before it is ranked. Callable without a socket; safe from any worker.
class ApiRoutes {
  public:
    ApiRoutes(const LevelCatalog& catalog, Store& store, const ApiSettings& settings);

    ApiResponse handle(const ApiRequest& request);

    // Milliseconds since 1970; the tests set their own clock.
    std::function<int64_t()> clock;

  private:
    ApiResponse addPlayer(const ApiRequest& request);
    ApiResponse deletePlayer(const ApiRequest& request);
    ApiResponse submitRun(const ApiRequest& request);
    ApiResponse newAttempt(const ApiRequest& request);
    // Whether `key` may act once more under `limiter`; else the 429 to give.
    bool withinLimit(RateLimiter& limiter, const std::string& key, ApiResponse& refusal);
    // The same, counted in the database: for every server on it at once.
    // With `other`, both keys act, each under the limit.
    bool withinSharedLimit(const std::string& key, const std::string& other, int perMinute,
                           ApiResponse& refusal);
    ApiResponse runText(const std::string& id);
    ApiResponse level(const ApiRequest& request, const std::string& index);
    ApiResponse top(const ApiRequest& request, const std::string& index);
    ApiResponse around(const ApiRequest& request, const std::string& index,
                       const std::string& player);
    // The player the bearer token names; false with the response to give.
    bool authenticate(const ApiRequest& request, PlayerRow& player, ApiResponse& refusal);
    // The board a request reads: level `index`'s current fingerprint, or the
    // one its `fingerprint` parameter names (an older version's board).
    bool boardOf(const ApiRequest& request, const std::string& index, std::string& fingerprint,
                 ApiResponse& refusal);

    const LevelCatalog& catalog;
    Store& store;
    ApiSettings settings;
    RateLimiter readsByAddress;  // on this server alone: reads cost the database little
};
