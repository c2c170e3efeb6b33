#include "token.h"

#include <openssl/evp.h>
#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdlib>

namespace {

std::string hex(const unsigned char* bytes, std::size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

}  // namespace

std::string newToken() {
    std::array<unsigned char, 16> bytes{};
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t read = getrandom(bytes.data() + got, bytes.size() - got, 0);
        if (read > 0) {
            got += static_cast<std::size_t>(read);
        } else if (errno != EINTR) {
            std::abort();  // a token that is not random would be a forgeable one
        }
    }
    return hex(bytes.data(), bytes.size());
}

std::string tokenHash(const std::string& token) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    EVP_Digest(token.data(), token.size(), digest.data(), &length, EVP_sha256(), nullptr);
    return hex(digest.data(), length);
}
