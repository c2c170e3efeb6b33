#include "http_site.h"

#include <httplib.h>
#include <sys/socket.h>

#include "connection_guard.h"
#include "screens/replay_file.h"

namespace {

// A replay file at its limit, its line ends escaped into JSON, and the rest
// of the body: a body holds each worker's memory while it is handled.
constexpr std::size_t MaxBodyBytes = MaxReplayFileBytes + MaxReplayFileBytes / 4 + 4096;
constexpr int ReadTimeoutSeconds = 10;
constexpr int WriteTimeoutSeconds = 10;
constexpr int KeepAliveSeconds = 5;
// Debian's httplib listens with a backlog of 5: a burst of new connections
// then waits a second for the SYN to be sent again.
constexpr int ListenBacklog = 1024;

}  // namespace

HttpSite::HttpSite(ApiRoutes& routes, const ServerOptions& options)
    : routes(routes), options(options), server(std::make_unique<httplib::Server>()) {}

HttpSite::~HttpSite() = default;

bool HttpSite::bind(std::string& error) {
    const int workers = options.workers;
    const int perAddress = options.connectionsPerAddress;
    const int64_t requestMs = int64_t{options.requestSeconds} * 1000;
    server->new_task_queue = [workers, perAddress, requestMs] {
        return new ConnectionGuard(workers, perAddress, requestMs);
    };
    server->set_payload_max_length(MaxBodyBytes);
    server->set_read_timeout(ReadTimeoutSeconds, 0);
    server->set_write_timeout(WriteTimeoutSeconds, 0);
    server->set_keep_alive_timeout(KeepAliveSeconds);
    server->set_keep_alive_max_count(1000);
    // Answers go out at once: Nagle's wait for a delayed ACK costs 40 ms.
    server->set_tcp_nodelay(true);

    // A request without a body has been read whole once its headers have.
    server->set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
        if (!request.has_header("Content-Length") && !request.has_header("Transfer-Encoding")) {
            ConnectionGuard::requestRead();
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server->set_logger(
        [](const httplib::Request&, const httplib::Response&) { ConnectionGuard::answered(); });
    const auto api = [this](const httplib::Request& request, httplib::Response& response) {
        ConnectionGuard::requestRead();
        ApiRequest call;
        call.method = request.method;
        call.path = request.path;
        for (const auto& [name, value] : request.params) {
            call.query.emplace(name, value);  // the first of a repeated parameter counts
        }
        call.authorization = request.get_header_value("Authorization");
        call.address = request.remote_addr;
        call.body = request.body;  // a view: the request outlives the call
        const ApiResponse answer = routes.handle(call);
        response.status = answer.status;
        if (answer.retryAfter > 0) {
            response.set_header("Retry-After", std::to_string(answer.retryAfter));
        }
        response.set_content(answer.body, answer.contentType.c_str());
    };
    const std::string pattern = "/api/.*";
    server->Get(pattern, api);
    server->Post(pattern, api);
    server->Delete(pattern, api);
    server->Put(pattern, api);
    server->Patch(pattern, api);
    // httplib's own refusals (a body too large, a bad request line) in JSON too.
    server->set_error_handler([](const httplib::Request&, httplib::Response& response) {
        ConnectionGuard::requestRead();
        if (response.body.empty()) {
            const std::string message = response.status == 413   ? "requête trop grande"
                                        : response.status == 404 ? "adresse inconnue"
                                                                 : "requête refusée";
            response.set_content("{\"error\":\"" + message + "\"}", "application/json");
        }
    });
    server->set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            response.status = 500;
            response.set_content("{\"error\":\"erreur interne\"}", "application/json");
        });
    // The page's files say where the API is, so that the page tells the
    // game's server from a static host, which says nothing.
    if (!options.webDir.empty() &&
        !server->set_mount_point("/", options.webDir, {{"X-Mosslance-Board", "/api/v1/"}})) {
        error = "le dossier de la page n'existe pas : " + options.webDir;
        return false;
    }
    int listening = -1;
    server->set_socket_options([&listening](socket_t socket) {
        httplib::default_socket_options(socket);
        listening = socket;
    });
    if (options.port == 0) {
        boundPort = server->bind_to_any_port(options.host);
    } else if (server->bind_to_port(options.host, options.port)) {
        boundPort = options.port;
    }
    if (boundPort <= 0) {
        error = "impossible d'ecouter sur " + options.host + ":" + std::to_string(options.port);
        return false;
    }
    if (listening >= 0) {
        listen(listening, ListenBacklog);  // listening again only changes the backlog
    }
    return true;
}

void HttpSite::serve() {
    server->listen_after_bind();
}

void HttpSite::stop() {
    server->stop();
}
