#pragma once

#include <memory>
#include <string>

#include "api_routes.h"
#include "server_options.h"

namespace httplib {
class Server;
}

// The whole site on one address: the API, and the page's files beside it.
// Keep-alive connections, a fixed pool of workers, bounded bodies and read
// and write timeouts, from cpp-httplib.
class HttpSite {
  public:
    HttpSite(ApiRoutes& routes, const ServerOptions& options);
    ~HttpSite();

    // Binds the address; false with a French message in `error`. Port 0
    // takes a free one, which port() then gives.
    bool bind(std::string& error);
    int port() const { return boundPort; }
    // Serves until stop() (from any thread) ends it; in-flight requests end first.
    void serve();
    void stop();

  private:
    ApiRoutes& routes;
    ServerOptions options;
    std::unique_ptr<httplib::Server> server;
    int boundPort = 0;
};
