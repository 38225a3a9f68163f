// Game play: the play screen. board_buffer holds the background and the
// empty board, drawn once per (re)start of the game loop; every frame copies
// it whole, adds pieces, panel and pointer feedback, and reaches the screen
// in one blit so no half-drawn frame is ever seen.
#include "play/render.h"

#include <ctime>
#include <initializer_list>

#include "app/game_state.h"
#include "app/resources.h"
#include "play/layout.h"
#include "play/loop_logic.h"
#include "play/notices.h"
#include "rules/rules.h"
#include "ui/toolkit.h"

namespace {

int colour(Rgb c) { return makecol(c.r, c.g, c.b); }

// Picture index by piece code 1..4; normal, selected, hover.
const int PIECE_PICTURE[5][3] = {
    {-1, -1, -1},
    {RES_BLUE_MAN, RES_BLUE_MAN_SELECTED, RES_BLUE_MAN_HOVER},
    {RES_RED_MAN, RES_RED_MAN_SELECTED, RES_RED_MAN_HOVER},
    {RES_BLUE_KING, RES_BLUE_KING_SELECTED, RES_BLUE_KING_HOVER},
    {RES_RED_KING, RES_RED_KING_SELECTED, RES_RED_KING_HOVER},
};
enum { PICTURE_NORMAL = 0, PICTURE_SELECTED = 1, PICTURE_HOVER = 2 };

void blit_centred(int index, int32_t square, BITMAP* target) {
    BITMAP* pic = res_bitmap(index);
    blit(pic, target, 0, 0, centred_left(square, pic->w), centred_top(square, pic->h), pic->w, pic->h);
}

// The latest turn's marks sit in the corners of their squares, which every
// piece, hover and marker picture leaves as bare square: they hide nothing.
constexpr Rgb LAST_MOVE_COLOUR = {255, 196, 40};
struct CornerMark {
    int arm;        // length along each edge
    int thickness;
    int alpha;
};
constexpr CornerMark LAST_PATH_MARK = {12, 2, 210};
constexpr CornerMark LAST_TAKEN_MARK = {8, 1, 150};

void draw_corners(int32_t square, const CornerMark& m, BITMAP* target) {
    const int x0 = BOARD_ORIGIN_X + board[square].x, y0 = BOARD_ORIGIN_Y + board[square].y;
    const int x1 = x0 + SQUARE_SIZE - 1, y1 = y0 + SQUARE_SIZE - 1;
    const int c = colour(LAST_MOVE_COLOUR), a = m.arm - 1, t = m.thickness - 1;
    set_trans_blender(0, 0, 0, m.alpha);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    for (const int x : {x0, x1})
        for (const int y : {y0, y1}) {
            const int dx = x == x0 ? 1 : -1, dy = y == y0 ? 1 : -1;
            rectfill(target, x, y, x + dx * a, y + dy * t, c);            // along the row
            rectfill(target, x, y + dy * (t + 1), x + dx * t, y + dy * a, c);  // down the column
        }
    solid_mode();
}

void draw_last_move(const uint8_t* square_marks, BITMAP* target) {
    for (int i = 0; i < SQUARE_COUNT; i++) {
        if (square_marks[i] & SQUARE_LAST_PATH)
            draw_corners(i, LAST_PATH_MARK, target);
        else if (square_marks[i] & SQUARE_LAST_TAKEN)
            draw_corners(i, LAST_TAKEN_MARK, target);
    }
}


}  // namespace

void copy_bitmap(BITMAP* source, BITMAP* target) { blit(source, target, 0, 0, 0, 0, source->w, source->h); }

void draw_board(BITMAP* target) {
    BITMAP* background = res_bitmap(RES_PLAY_BACKGROUND);
    blit(background, target, 0, 0, 0, 0, background->w, background->h);
    for (int i = 0; i < SQUARE_COUNT; i++) {
        BITMAP* tile = res_bitmap(board[i].light == 0 ? RES_SQUARE_DARK : RES_SQUARE_LIGHT);
        blit(tile, target, 0, 0, BOARD_ORIGIN_X + board[i].x, BOARD_ORIGIN_Y + board[i].y, SQUARE_SIZE,
             SQUARE_SIZE);
    }
}

void draw_pieces(BITMAP* target) {
    for (int i = 0; i < SQUARE_COUNT; i++) {
        const int32_t p = board[i].piece;
        if (p < BLUE_MAN || p > RED_KING) continue;
        blit_centred(PIECE_PICTURE[p][board[i].source_mark ? PICTURE_SELECTED : PICTURE_NORMAL], i, target);
    }
}

void draw_hover(int32_t square, int32_t side, BITMAP* target) {
    if (!owns_piece(square, side)) return;
    blit_centred(PIECE_PICTURE[board[square].piece][PICTURE_HOVER], square, target);
}

void draw_target_marker(int32_t legal, int32_t square, BITMAP* target) {
    blit_centred(legal == 1 ? RES_MARK_LEGAL : RES_MARK_ILLEGAL, square, target);
}

void wall_clock(int32_t* hours, int32_t* minutes, int32_t* seconds) {
    std::time_t now = std::time(nullptr);
    std::tm* local = std::localtime(&now);
    *hours = local->tm_hour;
    *minutes = local->tm_min;
    *seconds = local->tm_sec;
}

void draw_side_panel(int32_t piece_picked, int32_t side_to_move, BITMAP* target, int32_t seconds,
                     int32_t minutes) {
    FONT* clock_font = res_font(RES_FONT_CLOCK);
    FONT* panel_font = res_font(RES_FONT_PANEL);
    const int clock_grey = colour(PANEL_GREY_CLOCK);
    const int grey = colour(PANEL_GREY_TEXT);

    int32_t h, m, s;
    wall_clock(&h, &m, &s);
    textprintf_ex(target, clock_font, 54, 40, clock_grey, -1, "%s%d:%s%d:%s%d", pad_zero(h), h, pad_zero(m), m,
                  pad_zero(s), s);
    textprintf_ex(target, clock_font, game_clock_x(minutes), 66, clock_grey, -1, "%s%d:%s%d", pad_zero(minutes),
                  minutes, pad_zero(seconds), seconds);

    textprintf_ex(target, panel_font, PANEL_LEFT_X, 106, grey, -1, "%s", "Obtížnost");
    const char* level = settings.opponent != OPPONENT_COMPUTER ? "Dvojhra"
                        : settings.difficulty == LEVEL_AMATEUR ? "Amatér"
                        : settings.difficulty == LEVEL_MASTER  ? "Mistr"
                                                               : "Profesionál";
    textprintf_right_ex(target, panel_font, PANEL_RIGHT_X, 124, grey, -1, "%s", level);

    int32_t name[2][NAME_LEN];
    side_names(name[0], name[1]);
    const char* NAME_FORMAT = "%c%c%c%c%c%c%c%c%c%c";
#define NAME_ARGS(n) n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9]
    textprintf_ex(target, panel_font, PANEL_LEFT_X, 405, grey, -1, NAME_FORMAT, NAME_ARGS(name[1]));
    textprintf_right_ex(target, panel_font, PANEL_RIGHT_X, 423, grey, -1, NAME_FORMAT, NAME_ARGS(name[0]));

    textprintf_ex(target, panel_font, PANEL_LEFT_X, 463, grey, -1, "%s", "Nyní hraje");
    if (game.game_running == 1) {
        const int32_t* mover = side_to_move == BLUE ? name[0] : name[1];
        textprintf_right_ex(target, panel_font, PANEL_RIGHT_X, 481, grey, -1, NAME_FORMAT, NAME_ARGS(mover));
    } else {
        textprintf_right_ex(target, panel_font, PANEL_RIGHT_X, 481, grey, -1, "%s", "Konec hry");
    }
#undef NAME_ARGS

    textprintf_ex(target, panel_font, PANEL_LEFT_X, 521, grey, -1, "%s", "Stav tahu");
    const char* state = game.game_running != 1 ? "Konec hry" : piece_picked ? "Ukončení tahu" : "Zahájení tahu";
    textprintf_right_ex(target, panel_font, PANEL_RIGHT_X, 539, grey, -1, "%s", state);
}

void compose_frame_into(BITMAP* frame, BITMAP* background, int32_t pointer_square, int32_t piece_picked,
                        int32_t side_to_move, int32_t notice, int32_t seconds, int32_t minutes,
                        int32_t hint_piece, int32_t hint_target, int32_t pointer_legal,
                        const uint8_t* square_marks) {
    copy_bitmap(background, frame);
    draw_pieces(frame);
    if (hint_piece >= 0 && hint_piece < SQUARE_COUNT && board[hint_piece].piece >= BLUE_MAN &&
        board[hint_piece].piece <= RED_KING)
        blit_centred(PIECE_PICTURE[board[hint_piece].piece][PICTURE_SELECTED], hint_piece, frame);
    if (hint_target >= 0 && hint_target < SQUARE_COUNT) draw_target_marker(1, hint_target, frame);
    draw_side_panel(piece_picked, side_to_move, frame, seconds, minutes);
    switch (notice) {
        case NOTICE_NONE:
            if (!piece_picked) {
                draw_hover(pointer_square, side_to_move, frame);
            } else if (pointer_square >= 0 && pointer_square < SQUARE_COUNT &&
                       board[pointer_square].piece == EMPTY && board[pointer_square].light == 0) {
                draw_target_marker(pointer_legal, pointer_square, frame);
            }
            break;
        case NOTICE_CAPTURE_MAN:
        case NOTICE_CAPTURE_KING:
            // The pieces that must take look as they would under the pointer.
            for (int i = 0; square_marks != nullptr && i < SQUARE_COUNT; i++)
                if (square_marks[i] & SQUARE_MUST_CAPTURE) draw_hover(i, side_to_move, frame);
            break;
        default: break;
    }
    if (square_marks != nullptr) draw_last_move(square_marks, frame);
    switch (notice) {
        case NOTICE_NEXT_JUMP: notice_box("Další skok", frame); break;
        case NOTICE_CAPTURE_MAN: notice_box("Skákat kamenem", frame); break;
        case NOTICE_CAPTURE_KING: notice_box("Skákat dámou", frame); break;
        case NOTICE_WON: win_message(game_result(game.turn), game.final_minutes, game.final_seconds, frame); break;
        case NOTICE_DRAWN: draw_message(game.final_minutes, game.final_seconds, frame); break;
        default: break;
    }
}

int32_t compose_frame(int32_t pointer_square, int32_t piece_picked, int32_t side_to_move, int32_t notice,
                      int32_t seconds, int32_t minutes, int32_t hint_piece, int32_t hint_target,
                      int32_t pointer_legal, const uint8_t* square_marks) {
    acquire_bitmap(frame_buffer);
    compose_frame_into(frame_buffer, board_buffer, pointer_square, piece_picked, side_to_move, notice, seconds,
                       minutes, hint_piece, hint_target, pointer_legal, square_marks);
    release_bitmap(frame_buffer);
    // The pointer is part of the frame only while a human is to move and no
    // notice stands; during the computer's move the screen has no pointer.
    return notice == NOTICE_NONE && human_to_move(game.turn) ? 1 : 0;
}
