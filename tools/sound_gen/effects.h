// The game's short sound effects, each a mono buffer made from the voices of
// the synthesiser.
#pragma once

#include "synth.h"

AudioBuffer EffectBlock();     // soft pop: a block is picked
AudioBuffer EffectMake();      // bright chime: a sweet is served
AudioBuffer EffectMiss();      // dull buzz: a failed sweet is served
AudioBuffer EffectEat();       // munch: the customer eats
AudioBuffer EffectFever();     // rising flourish: a perfect plate
AudioBuffer EffectOrder();     // jingle: an order is complete
AudioBuffer EffectNewPlate();  // sparkle: the new-plate icon is tapped
AudioBuffer EffectPageFlip();  // paper flip: the pause menu opens or closes
