#include "attempt_ticket.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <array>
#include <charconv>

#include "token.h"

namespace {

std::string mac(const std::string& secret, const std::string& text) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
         reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest.data(), &length);
    return hexText(digest.data(), length);
}

template <typename Number>
bool parseWhole(const std::string& text, Number& value) {
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && status == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string issueTicket(const std::string& secret, int32_t level, int64_t issuedMs) {
    const std::string signedPart =
        std::to_string(level) + "." + std::to_string(issuedMs) + "." + randomHex(8);
    return signedPart + "." + mac(secret, signedPart);
}

bool readTicket(const std::string& secret, const std::string& ticket, int32_t& level,
                int64_t& issuedMs) {
    const std::size_t last = ticket.rfind('.');
    if (ticket.size() > 200 || last == std::string::npos) {
        return false;
    }
    const std::string signedPart = ticket.substr(0, last);
    const std::string expected = mac(secret, signedPart);
    const std::string given = ticket.substr(last + 1);
    if (given.size() != expected.size() ||
        CRYPTO_memcmp(given.data(), expected.data(), expected.size()) != 0) {
        return false;
    }
    const std::size_t first = signedPart.find('.');
    const std::size_t second = signedPart.find('.', first + 1);
    return first != std::string::npos && second != std::string::npos &&
           parseWhole(signedPart.substr(0, first), level) &&
           parseWhole(signedPart.substr(first + 1, second - first - 1), issuedMs);
}

bool cameBackInTime(int32_t frames, int64_t issuedMs, int64_t nowMs) {
    const int64_t fastest = int64_t{frames} * FramePeriodMs * (100 - TimingTolerancePercent) / 100;
    return nowMs - issuedMs >= fastest;
}
