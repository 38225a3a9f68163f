// Application shell: start-up, the frame loop and shutdown.
#include "app/game_state.h"
#include "app/resources.h"

int main() {
    if (allegro_init() != 0) return 1;
    allegro_exit();
    return 0;
}
END_OF_MAIN()
