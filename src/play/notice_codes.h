// Game play: what the game loop's `notice` holds. Apart from the drawing in
// play/notices.h, so the loop's rules need no display.
#pragma once

// Values of the game loop's `notice`.
enum Notice {
    NOTICE_NONE = 0,
    NOTICE_NEXT_JUMP = 1,     // "Další skok"
    NOTICE_CAPTURE_MAN = 2,   // "Skákat kamenem"
    NOTICE_CAPTURE_KING = 3,  // "Skákat dámou"
    NOTICE_WON = 4,
    NOTICE_DRAWN = 5
};
