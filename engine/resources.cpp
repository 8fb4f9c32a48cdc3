// Placeholder until the resource registry lands: an empty registry.
#include "engine_state.hpp"

void ORVEX_HotReload(void) {}
void release_resources(void) {}
