#ifdef __EMSCRIPTEN__

// The page's requests go through the browser's fetch: start() hands one to
// the page's script, which reads the answer as it comes (stopping past
// MaxAnswerBytes), and poll() only looks at what has ended. Redirects are
// refused, as on the desktop, and a request that outlasts the total timeout
// is aborted. Nothing here waits.

#include <emscripten.h>

#include <map>
#include <set>

#include "net/board_answers.h"
#include "net/http_client.h"

namespace {

// Why a request ended without an answer, as the page's script tells it.
enum class PageFailure { None, Network, Timeout, TooBig, Redirect };

const char* failureText(int code) {
    switch (static_cast<PageFailure>(code)) {
        case PageFailure::Timeout:
            return "le serveur ne répond pas à temps";
        case PageFailure::TooBig:
            return "réponse du serveur trop grande";
        case PageFailure::Redirect:
            return "redirection refusée";
        case PageFailure::Network:
        case PageFailure::None:
            break;
    }
    return "serveur injoignable";
}

// clang-format off
// The page keeps each request in Module.boardFetches under its number until
// it is forgotten: done, its status, its body's bytes, its Retry-After in
// seconds and its PageFailure code.
EM_JS(void, pageFetchStart, (int id, const char* method, const char* url, const char* body,
                             const char* token, int totalMs, int maxBytes), {
    const fetches = Module.boardFetches || (Module.boardFetches = new Map());
    const controller = new AbortController();
    const entry = { done: false, status: 0, bytes: new Uint8Array(0), retryAfter: 0, failure: 0,
                    controller };
    fetches.set(id, entry);
    const timer = setTimeout(() => {
        entry.failure = entry.failure || 2;
        controller.abort();
    }, totalMs);
    const verb = UTF8ToString(method);
    const headers = {};
    const secret = UTF8ToString(token);
    if (secret) headers["Authorization"] = "Bearer " + secret;
    const init = { method: verb, headers, redirect: "manual", cache: "no-store",
                   credentials: "omit", signal: controller.signal };
    if (verb == "POST") {
        headers["Content-Type"] = "application/json";
        init.body = UTF8ToString(body);
    }
    (async () => {
        const response = await fetch(UTF8ToString(url), init);
        if (response.type == "opaqueredirect") {
            entry.failure = 4;
            return;
        }
        const parts = [];
        let size = 0;
        const reader = response.body ? response.body.getReader() : null;
        while (reader) {
            const part = await reader.read();
            if (part.done) break;
            size += part.value.length;
            if (size > maxBytes) {
                entry.failure = 3;
                controller.abort();
                return;
            }
            parts.push(part.value);
        }
        const bytes = new Uint8Array(size);
        let at = 0;
        for (const part of parts) {
            bytes.set(part, at);
            at += part.length;
        }
        const wait = Number(response.headers.get("Retry-After"));
        entry.retryAfter = Number.isInteger(wait) && wait > 0 ? Math.min(wait, 86400) : 0;
        entry.status = response.status;
        entry.bytes = bytes;
    })().catch(() => {
        entry.failure = entry.failure || 1;
    }).finally(() => {
        clearTimeout(timer);
        if (entry.failure) {
            entry.status = 0;
            entry.bytes = new Uint8Array(0);
        }
        entry.done = true;
    });
});

// -1 while request `id` runs, then the length of its body.
EM_JS(int, pageFetchLength, (int id), {
    const entry = Module.boardFetches && Module.boardFetches.get(id);
    return entry && entry.done ? entry.bytes.length : -1;
});

// Copies the body of ended request `id` to `into` and gives its status,
// Retry-After and failure.
EM_JS(int, pageFetchTake, (int id, char* into, int* retryAfter, int* failure), {
    const entry = Module.boardFetches.get(id);
    HEAPU8.set(entry.bytes, into);
    HEAP32[retryAfter >> 2] = entry.retryAfter;
    HEAP32[failure >> 2] = entry.failure;
    return entry.status;
});

EM_JS(void, pageFetchForget, (int id), {
    const entry = Module.boardFetches && Module.boardFetches.get(id);
    if (!entry) return;
    if (!entry.done) entry.controller.abort();
    Module.boardFetches.delete(id);
});

// clang-format on

bool isWebUrl(const std::string& url) {
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

}  // namespace

struct HttpClient::Transfers {
    HttpTimeouts timeouts;
    int32_t lastId = 0;
    std::set<int32_t> running;                // started in the page, not taken yet
    std::map<int32_t, HttpResponse> refused;  // never started: a bad address
};

HttpClient::HttpClient(HttpTimeouts timeouts) : transfers(std::make_unique<Transfers>()) {
    transfers->timeouts = timeouts;
}

HttpClient::~HttpClient() {
    for (const int32_t id : transfers->running) {
        pageFetchForget(id);
    }
}

int32_t HttpClient::start(const HttpRequest& request) {
    const int32_t id = ++transfers->lastId;
    if (!isWebUrl(request.url)) {
        transfers->refused[id].failure = "adresse du serveur invalide";
        return id;
    }
    transfers->running.insert(id);
    pageFetchStart(id, request.method.c_str(), request.url.c_str(), request.body.c_str(),
                   request.token.c_str(), static_cast<int>(transfers->timeouts.totalMs),
                   static_cast<int>(MaxAnswerBytes));
    return id;
}

void HttpClient::poll() {}

bool HttpClient::take(int32_t id, HttpResponse& response) {
    const auto refused = transfers->refused.find(id);
    if (refused != transfers->refused.end()) {
        response = std::move(refused->second);
        transfers->refused.erase(refused);
        return true;
    }
    if (transfers->running.count(id) == 0) {
        return false;
    }
    const int length = pageFetchLength(id);
    if (length < 0) {
        return false;
    }
    response = HttpResponse{};
    response.body.resize(static_cast<std::size_t>(length));
    int retryAfter = 0;
    int failure = 0;
    response.status = pageFetchTake(id, response.body.data(), &retryAfter, &failure);
    response.retryAfterSeconds = retryAfter;
    if (failure != 0) {
        response.failure = failureText(failure);
    }
    pageFetchForget(id);
    transfers->running.erase(id);
    return true;
}

void HttpClient::cancel(int32_t id) {
    if (transfers->running.erase(id) > 0) {
        pageFetchForget(id);
    }
    transfers->refused.erase(id);
}

int32_t HttpClient::pending() const {
    return static_cast<int32_t>(transfers->running.size() + transfers->refused.size());
}

#endif
