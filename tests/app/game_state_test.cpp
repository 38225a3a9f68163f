#include "app/game_state.h"

#include <gtest/gtest.h>
