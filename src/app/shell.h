// Application shell: what main runs between start-up and shutdown.
#pragma once

// Runs the screens until the player quits or closes the window.
void run_game();
