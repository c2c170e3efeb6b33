#ifndef __EMSCRIPTEN__

#include "net/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <map>

#include "net/board_answers.h"
#include "net/outbox.h"
#include "util/keyword_text.h"

namespace {

struct Transfer {
    CURL* handle = nullptr;
    curl_slist* headers = nullptr;
    std::string body;  // the request's, which curl reads from while it sends
    HttpResponse response;
    bool done = false;
    bool tooBig = false;
};

size_t keepBody(char* data, size_t size, size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer.response.body.size() + bytes > MaxAnswerBytes) {
        transfer.tooBig = true;
        return 0;  // stops the transfer
    }
    transfer.response.body.append(data, bytes);
    return bytes;
}

size_t keepHeader(char* data, size_t size, size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    constexpr std::string_view name = "retry-after:";
    if (line.size() > name.size()) {
        std::string lower(line.substr(0, name.size()));
        for (char& c : lower) {
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
        if (lower == name) {
            text::WordReader words(line.substr(name.size()));
            std::string_view value;
            int64_t seconds = 0;
            // A day at most: a hostile server does not put the board off for good.
            if (words.next(value) && text::parseWholeInt64(value, seconds) && seconds > 0) {
                transfer.response.retryAfterSeconds =
                    std::min<int64_t>(seconds, LongestWaitMs / 1000);
            }
        }
    }
    return size * count;
}

bool isWebUrl(const std::string& url) {
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

}  // namespace

struct HttpClient::Transfers {
    CURLM* multi = nullptr;
    HttpTimeouts timeouts;
    int32_t lastId = 0;
    std::map<int32_t, Transfer> all;

    void release(Transfer& transfer) {
        if (transfer.handle != nullptr) {
            curl_multi_remove_handle(multi, transfer.handle);
            curl_easy_cleanup(transfer.handle);
            transfer.handle = nullptr;
        }
        curl_slist_free_all(transfer.headers);
        transfer.headers = nullptr;
    }

    void finish(Transfer& transfer, CURLcode code) {
        if (code == CURLE_OK) {
            long status = 0;
            curl_easy_getinfo(transfer.handle, CURLINFO_RESPONSE_CODE, &status);
            transfer.response.status = static_cast<int32_t>(status);
        } else {
            transfer.response.body.clear();
            transfer.response.failure =
                transfer.tooBig || code == CURLE_FILESIZE_EXCEEDED
                    ? "réponse du serveur trop grande"
                : code == CURLE_OPERATION_TIMEDOUT ? "le serveur ne répond pas à temps"
                : code == CURLE_COULDNT_CONNECT    ? "serveur injoignable"
                                                   : "échec de la connexion au serveur";
        }
        transfer.done = true;
        release(transfer);
    }
};

HttpClient::HttpClient(HttpTimeouts timeouts) : transfers(std::make_unique<Transfers>()) {
    static const bool started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    transfers->timeouts = timeouts;
    transfers->multi = started ? curl_multi_init() : nullptr;
}

HttpClient::~HttpClient() {
    for (auto& [id, transfer] : transfers->all) {
        transfers->release(transfer);
    }
    if (transfers->multi != nullptr) {
        curl_multi_cleanup(transfers->multi);
    }
}

int32_t HttpClient::start(const HttpRequest& request) {
    const int32_t id = ++transfers->lastId;
    Transfer& transfer = transfers->all[id];
    CURL* handle =
        transfers->multi != nullptr && isWebUrl(request.url) ? curl_easy_init() : nullptr;
    if (handle == nullptr) {
        transfer.done = true;
        transfer.response.failure = "adresse du serveur invalide";
        return id;
    }
    transfer.handle = handle;
    transfer.body = request.body;
    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(transfers->timeouts.connectMs));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(transfers->timeouts.totalMs));
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxAnswerBytes));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, keepBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, keepHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "mosslance-hero");
    transfer.headers = curl_slist_append(transfer.headers, "Accept: application/json");
    if (request.method == "POST") {
        transfer.headers = curl_slist_append(transfer.headers, "Content-Type: application/json");
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, transfer.body.c_str());
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(transfer.body.size()));
    }
    if (!request.token.empty()) {
        transfer.headers =
            curl_slist_append(transfer.headers, ("Authorization: Bearer " + request.token).c_str());
    }
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, transfer.headers);
    curl_easy_setopt(handle, CURLOPT_PRIVATE, static_cast<void*>(&transfer));
    if (curl_multi_add_handle(transfers->multi, handle) != CURLM_OK) {
        transfers->finish(transfer, CURLE_FAILED_INIT);
    }
    return id;
}

void HttpClient::poll() {
    if (transfers->multi == nullptr) {
        return;
    }
    int running = 0;
    curl_multi_perform(transfers->multi, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(transfers->multi, &left)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        void* user = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &user);
        const CURLcode code = message->data.result;
        transfers->finish(*static_cast<Transfer*>(user), code);
    }
}

bool HttpClient::take(int32_t id, HttpResponse& response) {
    const auto found = transfers->all.find(id);
    if (found == transfers->all.end() || !found->second.done) {
        return false;
    }
    response = std::move(found->second.response);
    transfers->all.erase(found);
    return true;
}

void HttpClient::cancel(int32_t id) {
    const auto found = transfers->all.find(id);
    if (found != transfers->all.end()) {
        transfers->release(found->second);
        transfers->all.erase(found);
    }
}

int32_t HttpClient::pending() const {
    return static_cast<int32_t>(transfers->all.size());
}

#endif
