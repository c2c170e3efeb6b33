#include "token.h"

#include <openssl/evp.h>
#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <vector>

std::string hexText(const unsigned char* bytes, std::size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::string randomHex(std::size_t count) {
    std::vector<unsigned char> bytes(count);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t read = getrandom(bytes.data() + got, bytes.size() - got, 0);
        if (read > 0) {
            got += static_cast<std::size_t>(read);
        } else if (errno != EINTR) {
            std::abort();  // a token that is not random would be a forgeable one
        }
    }
    return hexText(bytes.data(), bytes.size());
}

std::string newToken() {
    return randomHex(16);
}

std::string tokenHash(const std::string& token) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    EVP_Digest(token.data(), token.size(), digest.data(), &length, EVP_sha256(), nullptr);
    return hexText(digest.data(), length);
}
