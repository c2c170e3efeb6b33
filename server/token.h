#pragma once

#include <string>

// A player's secret: 128 random bits as 32 hex digits. Only its hash is
// kept, so a copy of the database names no token.
std::string newToken();

// The SHA-256 of a token, in hex.
std::string tokenHash(const std::string& token);
