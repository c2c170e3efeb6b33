#include "actors/checkpoint_rule.h"

#include "actors/body.h"
#include "actors/hero_motion.h"
#include "world/cell_code.h"

bool checkpointAllowed(const int32_t* grid, const Body& body, const HeroMotion& motion) {
    // A release in the air also says "on ground" until the body lands, so
    // the cell below decides; a standing body keeps a downward speed.
    if (grid == nullptr || motion.motionState != MotionOnGround || motion.airborneMark != 0 ||
        motion.verticalSpeed < 1.0 || body.fellOut != 0) {
        return false;
    }
    const int32_t below = body.gridRow + 1;
    if (below < 1 || below >= VisibleRows) {
        return false;
    }
    for (int32_t column = body.gridColumn; column <= body.gridColumn + CheckpointRunColumns;
         ++column) {
        const int32_t ground = cellAt(grid, column, below);
        if (!isSolid(ground) || ground == Enemy ||
            cellAt(grid, column, body.gridRow - 2) == Enemy) {
            return false;
        }
    }
    return true;
}
