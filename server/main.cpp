// mosslance-server: the leaderboard, which re-plays every run with the game's
// own rules before it ranks it, and serves the page beside its API.

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <iostream>
#include <thread>

#include "api_routes.h"
#include "http_site.h"
#include "level_catalog.h"
#include "server_options.h"
#include "store.h"
#include "token.h"

int main(int argc, char** argv) {
    ServerOptions options;
    std::string error;
    if (!parseServerOptions(argc, argv, options, error)) {
        std::cerr << "mosslance-server : " << error << std::endl
                  << "usage : mosslance-server [--data DOSSIER] [--web DOSSIER]"
                     " [--listen HOTE:PORT] [--database FICHIER|postgresql://...]"
                     " [--workers N]\n       [--submissions-per-minute N] [--players-per-minute N]"
                     " [--reads-per-minute N]\n       [--connections-per-address N]"
                     " [--request-seconds N]"
                  << std::endl;
        return 2;
    }
    // Every thread started from here on leaves SIGTERM and SIGINT to the one
    // that waits for them, which stops the site cleanly.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    LevelCatalog catalog;
    std::vector<std::string> warnings;
    if (!catalog.load(options.dataDir, error, warnings)) {
        std::cerr << "mosslance-server : " << error << std::endl;
        return 1;
    }
    for (const std::string& warning : warnings) {
        std::cerr << "mosslance-server : " << warning << std::endl;
    }
    Store store;
    // A few connections: a query holds one for well under a millisecond.
    if (!store.open(options.database, std::min(options.workers, 8), catalog.fingerprints(),
                    error)) {
        std::cerr << "mosslance-server : " << error << std::endl;
        return 1;
    }
    ApiSettings settings;
    settings.submissionsPerMinute = options.submissionsPerMinute;
    settings.playersPerMinute = options.playersPerMinute;
    settings.readsPerMinute = options.readsPerMinute;
    if (store.sharedSecret("tickets", randomHex(32), settings.ticketSecret) != StoreStatus::Ok) {
        std::cerr << "mosslance-server : la base ne donne pas la cle des tickets" << std::endl;
        return 1;
    }
    ApiRoutes routes(catalog, store, settings);
    HttpSite site(routes, options);
    if (!site.bind(error)) {
        std::cerr << "mosslance-server : " << error << std::endl;
        return 1;
    }
    std::thread stopper([&site, &stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        site.stop();
    });
    std::cout << "mosslance-server : " << catalog.count() << " niveaux, a l'ecoute sur http://"
              << options.host << ":" << site.port() << "/" << std::endl;
    site.serve();
    pthread_kill(stopper.native_handle(), SIGTERM);  // when serve ended on its own
    stopper.join();
    std::cout << "mosslance-server : arrete" << std::endl;
    return 0;
}
