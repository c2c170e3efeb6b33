// The leaderboard's API on any request body: every answer is JSON with a
// status the API gives, whatever the bytes. The first byte picks the request.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "api_routes.h"
#include "level_catalog.h"
#include "store.h"

namespace {

struct Site {
    Site() {
        std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-api-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        std::filesystem::create_directories(folder + "/Story");
        std::ofstream(folder + "/Story/game.story") << "0 niveau.niv\n";
        std::ofstream(folder + "/niveau.niv") << "limite 10\n#Collisions\n";
        std::string error;
        std::vector<std::string> warnings;
        if (!catalog.load(folder, error, warnings) || !store.open(":memory:", 1, catalog.fingerprints(), error)) {
            std::abort();
        }
        settings.ticketSecret = "fuzz";
        settings.submissionsPerMinute = 1 << 30;
        settings.playersPerMinute = 1 << 30;
        routes = std::make_unique<ApiRoutes>(catalog, store, settings);
        ApiRequest request{"POST", "/api/v1/players", {}, "", "fuzz", R"({"name": "Fuzz"})"};
        token = nlohmann::json::parse(routes->handle(request).body)["token"];
    }
    ~Site() { std::filesystem::remove_all(folder); }
    std::string folder;
    LevelCatalog catalog;
    Store store;
    ApiSettings settings;
    std::unique_ptr<ApiRoutes> routes;
    std::string token;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Site site;
    if (size == 0) {
        return 0;
    }
    static const char* const paths[] = {"/api/v1/runs", "/api/v1/attempts", "/api/v1/players"};
    ApiRequest request;
    request.method = "POST";
    request.path = paths[data[0] % 3];
    request.authorization = "Bearer " + site.token;
    request.address = "fuzz";
    request.body = std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1);
    const ApiResponse response = site.routes->handle(request);
    const nlohmann::json body = nlohmann::json::parse(response.body, nullptr, false);
    if (body.is_discarded() || response.status < 200 || response.status > 503 ||
        (response.status >= 400 && !body.contains("error"))) {
        std::abort();
    }
    return 0;
}
