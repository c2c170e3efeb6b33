#pragma once
// Every sound of the game, each made from nothing but the code in this folder.

#include "dsp.h"

namespace synth {

// The one-shot effects, mono, each well under a second.
Mono makeBonus();     // a bright pickup chime
Mono makeDamage();    // a hurt thud with a falling buzz
Mono makeMenuTick();  // a soft tick for moving the menu highlight
Mono makeConfirm();   // a confirm chime
Mono makeJump();      // an airy whoosh
Mono makeLanding();   // a soft thump on stone

// The background music: a whole number of bars whose end flows into its start.
Stereo makeMusic();

}  // namespace synth
