#pragma once

#include <cstddef>
#include <string>

// A player's secret: 128 random bits as 32 hex digits. Only its hash is
// kept, so a copy of the database names no token.
std::string newToken();

// The SHA-256 of a token, in hex.
std::string tokenHash(const std::string& token);

// Bytes as lower-case hex digits.
std::string hexText(const unsigned char* bytes, std::size_t count);

// `count` random bytes as hex: secrets and nonces.
std::string randomHex(std::size_t count);
