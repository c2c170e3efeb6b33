#ifdef __EMSCRIPTEN__

// The page has no world board yet (emscripten_fetch will carry it): every
// request ends at once with no answer, so runs wait in the outbox and the
// last board fetched on the desktop is not there either.

#include "net/http_client.h"

#include <map>

struct HttpClient::Transfers {
    int32_t lastId = 0;
    std::map<int32_t, HttpResponse> done;
};

HttpClient::HttpClient(HttpTimeouts) : transfers(std::make_unique<Transfers>()) {}

HttpClient::~HttpClient() = default;

int32_t HttpClient::start(const HttpRequest&) {
    const int32_t id = ++transfers->lastId;
    transfers->done[id].failure = "pas de classement mondial dans la page";
    return id;
}

void HttpClient::poll() {}

bool HttpClient::take(int32_t id, HttpResponse& response) {
    const auto found = transfers->done.find(id);
    if (found == transfers->done.end()) {
        return false;
    }
    response = std::move(found->second);
    transfers->done.erase(found);
    return true;
}

void HttpClient::cancel(int32_t id) {
    transfers->done.erase(id);
}

int32_t HttpClient::pending() const {
    return static_cast<int32_t>(transfers->done.size());
}

#endif
