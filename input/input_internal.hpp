// Private to the input module and its tests: the action table itself, and a way back to the
// empty table so that each test starts from program start.
#pragma once

#include <orvex/input.hpp>

extern InputAction input[INPUT_MAX_ACTIONS];
extern int32_t nb_actions;

void input_reset(void);  // forget every action, as at program start
