#include "actors/play_frame.h"

#include "actors/body.h"
#include "actors/hero_motion.h"
#include "world/cell_code.h"

int32_t playFrame(Body& body, HeroMotion& motion, const int32_t* grid) {
    motion.step(body);
    const int32_t cell = cellAt(grid, body.gridColumn, body.gridRow - 2);
    if (cell == Bonus) {
        return 1 + 50;
    }
    if (cell == Enemy) {
        return 1 - 100;
    }
    return 1;
}
