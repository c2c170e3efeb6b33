#pragma once

#include <cstdint>

class Body;
struct HeroMotion;

// Where practice may put a player back after a fall: only where a person
// coming back to it can go on. The hero stands on ground or a post (not in
// the air, not on an enemy's head), and for CheckpointRunColumns more
// columns the same ground goes on under it with no enemy at its waist, so
// that the player has time to see what comes next before a jump is due.
constexpr int32_t CheckpointRunColumns = 20;

// For the state after a frame: `body` as that frame's update left it (its
// grid cell is the one of that frame). Pure.
bool checkpointAllowed(const int32_t* grid, const Body& body, const HeroMotion& motion);
