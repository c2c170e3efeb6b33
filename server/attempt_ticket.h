#pragma once

#include <cstdint>
#include <string>

// A signed note of when an attempt at a level began, asked for when the
// level starts and sent back with its run: a run that comes back sooner than
// its frames take at the game's pace was played on a clock slowed down.
//
//   LEVEL.ISSUED_MS.NONCE.MAC    (MAC: HMAC-SHA256 of the rest, in hex)
//
// The secret is the database's, so every server behind one address reads
// every server's tickets.

constexpr int32_t FramePeriodMs = 31;
// Room for clocks and rounding: a run may arrive 5 % sooner than its frames.
constexpr int32_t TimingTolerancePercent = 5;

std::string issueTicket(const std::string& secret, int32_t level, int64_t issuedMs);

// True when `ticket` was signed with `secret`; sets the level and the time.
bool readTicket(const std::string& secret, const std::string& ticket, int32_t& level,
                int64_t& issuedMs);

// Whether a run of `frames` frames, begun at `issuedMs`, can be over by `nowMs`.
bool cameBackInTime(int32_t frames, int64_t issuedMs, int64_t nowMs);
