// The handler the player sends every visual message to.
#pragma once

#include <cstdint>

namespace stz {

extern "C" int32_t HandleVisualMessage(uint32_t code, void* record, void* refcon);

// 'clr ': undoes what enabling and showing created (timers, timer window,
// the lyrics view and its window procedures), so that the
// player can unload the module with no window or timer pointing into it.
void DisableVisualHandler();

}  // namespace stz
