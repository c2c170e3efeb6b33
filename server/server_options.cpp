#include "server_options.h"

#include <charconv>
#include <string_view>

namespace {

bool parseNumber(std::string_view text, int low, int high, int& value) {
    int parsed = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (status != std::errc() || end != text.data() + text.size() || parsed < low ||
        parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool parseListen(std::string_view text, ServerOptions& options) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        return false;
    }
    if (!parseNumber(text.substr(colon + 1), 0, 65535, options.port)) {
        return false;
    }
    options.host = std::string(text.substr(0, colon));
    return true;
}

}  // namespace

bool parseServerOptions(int argc, const char* const* argv, ServerOptions& options,
                        std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (i + 1 >= argc) {
            error = "l'option " + std::string(option) + " attend une valeur";
            return false;
        }
        const std::string_view value = argv[++i];
        if (option == "--data") {
            options.dataDir = value;
        } else if (option == "--web") {
            options.webDir = value;
        } else if (option == "--database") {
            options.database = value;
        } else if (option == "--listen") {
            if (!parseListen(value, options)) {
                error = "--listen attend HOTE:PORT (port de 0 a 65535, 0 : un port libre), pas " +
                        std::string(value);
                return false;
            }
        } else if (option == "--workers") {
            if (!parseNumber(value, 1, 256, options.workers)) {
                error = "--workers attend un nombre de 1 a 256, pas " + std::string(value);
                return false;
            }
        } else if (int* limit = option == "--submissions-per-minute" ? &options.submissionsPerMinute
                                : option == "--players-per-minute"   ? &options.playersPerMinute
                                : option == "--reads-per-minute"     ? &options.readsPerMinute
                                : option == "--connections-per-address"
                                    ? &options.connectionsPerAddress
                                : option == "--request-seconds" ? &options.requestSeconds
                                                                : nullptr) {
            if (!parseNumber(value, 1, 10000000, *limit)) {
                error = std::string(option) + " attend un nombre de 1 a 10000000, pas " +
                        std::string(value);
                return false;
            }
        } else {
            error = "option inconnue : " + std::string(option);
            return false;
        }
    }
    return true;
}

bool isPostgresUrl(const std::string& database) {
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}
