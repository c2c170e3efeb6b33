#pragma once

#include <cstdint>

class Body;
struct HeroMotion;

// One frame of the play loop without pictures or sound, for a camera already
// moved on by the level's scrolling: the hero's update, then the cell two
// rows above the body (a bonus is worth 50, an enemy costs 100). Returns the
// score change, the frame's own point included. The grid is not changed: at
// scroll step 1 each column is under the hero in one frame only, so a bonus
// taken can never be met again.
int32_t playFrame(Body& body, HeroMotion& motion, const int32_t* grid);
