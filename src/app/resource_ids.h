// Application shell: positions of the objects in Data/talvena.dat. The game
// addresses its resources only by these indices; the asset generator writes
// the objects in exactly this order.
#pragma once

enum ResourceId {
    RES_POINTER = 0,
    RES_FONT_PANEL = 1,
    RES_FONT_NOTICE = 2,
    RES_FONT_CLOCK = 3,
    RES_FONT_MENU = 4,
    RES_MARK_LEGAL = 5,
    RES_MARK_ILLEGAL = 6,
    RES_SQUARE_LIGHT = 7,
    RES_SQUARE_DARK = 8,
    RES_PLAY_BACKGROUND = 9,
    RES_MENU_BACKGROUND = 10,
    RES_BLUE_KING = 11,
    RES_BLUE_KING_HOVER = 12,
    RES_BLUE_KING_SELECTED = 13,
    RES_RED_KING = 14,
    RES_RED_KING_HOVER = 15,
    RES_RED_KING_SELECTED = 16,
    RES_BLUE_MAN = 17,
    RES_BLUE_MAN_HOVER = 18,
    RES_BLUE_MAN_SELECTED = 19,
    RES_RED_MAN = 20,
    RES_RED_MAN_HOVER = 21,
    RES_RED_MAN_SELECTED = 22,
    RES_SND_PICK = 23,
    RES_SND_MOVE = 24,  // 24, 25 and 26: three move sounds
    RES_COUNT = 27
};
