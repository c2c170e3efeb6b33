#pragma once

#include <cstdint>
#include <memory>
#include <string>

// HTTP requests that never make the game wait: start() hands a request over
// and poll(), once a frame, moves every request on by what the network has
// ready, then returns. Answers are bounded (MaxAnswerBytes: the transfer
// stops past it), redirects are not followed, and only http:// and https://
// addresses are reached. On the desktop this is libcurl's multi interface
// (http_client.cpp); in the page, the browser's fetch (http_client_web.cpp),
// where the connection has no timeout of its own, only the total one.

struct HttpRequest {
    std::string method = "GET";  // GET or POST (a POST's body is JSON)
    std::string url;
    std::string body;
    std::string token;  // sent as "Authorization: Bearer TOKEN" when not ""
};

struct HttpResponse {
    int32_t status = 0;  // 0: no answer (refused, timed out, too big, cut short)
    std::string body;
    int64_t retryAfterSeconds = 0;  // from Retry-After, 0 when absent
    std::string failure;            // why there was no answer, in French
};

struct HttpTimeouts {
    int64_t connectMs = 5000;
    int64_t totalMs = 15000;
};

class HttpClient {
  public:
    explicit HttpClient(HttpTimeouts timeouts = HttpTimeouts{});
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Starts `request`; its number, never 0. A request that cannot start
    // (an address that is not http or https) is done already, with no answer.
    int32_t start(const HttpRequest& request);
    // Moves every request on without waiting.
    void poll();
    // True once request `id` is done: its answer is moved into `response`
    // and the request forgotten.
    bool take(int32_t id, HttpResponse& response);
    // Drops request `id`, done or not.
    void cancel(int32_t id);
    // Requests started and not taken yet.
    int32_t pending() const;

    struct Transfers;

  private:
    std::unique_ptr<Transfers> transfers;
};
