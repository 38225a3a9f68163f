// Positions as text live with the rest of the notation; this older include
// path stays for the commands that name it.
#pragma once

#include "notation/position.h"
