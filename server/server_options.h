#pragma once

#include <string>

// What the command line of mosslance-server says.
struct ServerOptions {
    std::string dataDir = ".";  // the game's data tree: its story and level files
    std::string webDir;         // the page's folder, served beside the API (none when empty)
    std::string host = "127.0.0.1";
    int port = 8080;
    std::string database = "leaderboard.sqlite";  // a file, or a postgresql:// connection string
    int workers = 64;                // each keep-alive connection holds one while it lasts
    int connectionsPerAddress = 32;  // at once; behind a proxy, all come from its address
    int requestSeconds = 20;         // for a request to arrive whole
    int submissionsPerMinute = 30;   // runs a token, or an address, may send in a minute
    int playersPerMinute = 10;       // names an address may make in a minute
    int readsPerMinute = 6000;       // other requests an address may make in a minute
};

// Parses `--data DIR --web DIR --listen HOST:PORT --database DB --workers N
// --submissions-per-minute N --players-per-minute N --reads-per-minute N
// --connections-per-address N --request-seconds N`.
// False with a French message in `error` for an unknown option, a missing
// value or a port outside 1..65535. Pure.
bool parseServerOptions(int argc, const char* const* argv, ServerOptions& options,
                        std::string& error);

// Whether `database` names a PostgreSQL server rather than a SQLite file.
bool isPostgresUrl(const std::string& database);
