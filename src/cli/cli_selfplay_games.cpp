// The self-play driver: whole games of the computer against itself, every
// chosen move put to the rule a human's move must pass.
#include "cli/cli_selfplay.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "ai/ai.h"
#include "app/game_state.h"
#include "cli/cli_position.h"
#include "cli/cli_progress.h"
#include "play/hint.h"
#include "rules/rules.h"

namespace {

struct Marks {
    int sources;
    int targets;
};

Marks count_marks() {
    Marks m{0, 0};
    for (const Square& s : board) {
        m.sources += s.source_mark;
        m.targets += s.target_mark;
    }
    return m;
}

// The verdict a human's click on `to` would get with `from` picked; the
// board, marks included, is put back as it was.
MoveVerdict verdict_for(int32_t from, int32_t to, int32_t side, int32_t in_chain) {
    Square saved[SQUARE_COUNT];
    std::memcpy(saved, board, sizeof saved);
    clear_marks(1);
    clear_marks(2);
    board[from].source_mark = 1;
    const MoveVerdict v = accept_human_move(from, to, side, in_chain);
    std::memcpy(board, saved, sizeof saved);
    return v;
}

struct GameFailure {
    std::string* text;
    int64_t game;
    int64_t move;
    int32_t side;

    void operator()(const std::string& what) const {
        *text = "invariant broken in game " + std::to_string(game) + " at move " + std::to_string(move) + ": " +
                what + "\nposition: " + format_position(side) + "\n" + board_diagram();
    }
};

// One game; answers the winner (1, 2) or 0 for a draw, -1 when an invariant
// broke (then `failure` has been filled).
int32_t play_one_game(int64_t game_number, const int32_t level[3], int32_t piece_count, int64_t& moves,
                      std::vector<PdnTurn>& turns, EngineTable& table, std::string& failure) {
    settings.piece_count = piece_count;
    reset_board();
    game.game_running = 1;
    int32_t turn = BLUE;
    int32_t in_chain = 0;
    DrawBook book;
    draw_book_reset(book);
    moves = 0;
    turns.clear();
    std::vector<uint64_t> played;  // both sides' positions since a man moved or a piece was taken
    EngineAnswer plan{};
    int step = 0;
    const std::atomic<bool> never{false};
    for (;;) {
        GameFailure fail{&failure, game_number, moves + 1, turn};
        // What the game loop checks on every frame, in its order.
        const int32_t winner = game_result(turn);
        if (winner != 0) {
            game.game_running = 0;
            return winner;
        }
        if (draw_check(book.quiet_moves, book.last_piece_count, book.draw_snapshot)) {
            game.game_running = 0;
            return 0;
        }
        if (moves >= SELFPLAY_MOVE_CAP) {
            fail("no end after " + std::to_string(SELFPLAY_MOVE_CAP) + " moves");
            return -1;
        }

        const int32_t chain = source_square();
        const Marks before_marks = count_marks();
        if (before_marks.targets != 0 || before_marks.sources != (in_chain ? 1 : 0)) {
            fail("stray marks before the computer's choice");
            return -1;
        }
        int32_t pieces[SQUARE_COUNT];
        for (int i = 0; i < SQUARE_COUNT; i++) pieces[i] = board[i].piece;

        settings.difficulty = level[turn];
        if (!in_chain && book.quiet_moves == 0) played.clear();
        const char* rule = nullptr;
        if (level[turn] == LEVEL_MASTER) {
            // As the game's computer turn at "mistr": the whole turn planned
            // at its start, then marked jump by jump.
            if (!in_chain) {
                plan = think_turn(live_question(turn, -1, book.quiet_moves, played), table, never);
                step = 0;
            }
            if (plan.from >= 0 && step < plan.length) {
                board[step == 0 ? plan.from : plan.path[step - 1]].source_mark = 1;
                board[plan.path[step]].target_mark = 1;
                rule = "engine";
            }
            step++;
        } else {
            rule = choose_computer_move_explained(turn);
        }
        const int32_t from = source_square();
        const int32_t to = target_square();
        const Marks marks = count_marks();
        for (int i = 0; i < SQUARE_COUNT; i++) {
            if (board[i].piece != pieces[i]) {
                fail("the choice changed a piece on square " + std::to_string(i));
                return -1;
            }
        }
        if (rule == nullptr || from < 0 || to < 0) {
            fail("no move chosen although the side can move");
            return -1;
        }
        const std::string chosen = move_text({from, to}, false, false) + " by " + rule;
        if (marks.sources != 1 || marks.targets != 1) {
            fail(chosen + " left " + std::to_string(marks.sources) + " source and " + std::to_string(marks.targets) +
                 " target marks");
            return -1;
        }
        if (in_chain && from != chain) {
            fail(chosen + " does not continue the chain on " + std::to_string(chain));
            return -1;
        }
        if (!owns_piece(from, turn)) {
            fail(chosen + " moves a piece of the other side");
            return -1;
        }
        const MoveVerdict verdict = verdict_for(from, to, turn, in_chain);
        if (verdict != VERDICT_ACCEPTED) {
            fail(chosen + " would be refused from a human (verdict " + std::to_string(verdict) + ")");
            return -1;
        }

        if (!in_chain) played.push_back(engine_position(pieces, turn).key);
        const int32_t again = perform_move(turn);
        moves++;
        int taken = 0;
        for (int i = 0; i < SQUARE_COUNT; i++) taken += (pieces[i] != EMPTY) - (board[i].piece != EMPTY);
        if (in_chain)
            turns.back().squares.push_back(to);
        else
            turns.push_back(PdnTurn{{from, to}, taken > 0});
        const Marks after = count_marks();
        if (again) {
            if (after.sources != 1 || after.targets != 0 || source_square() != to) {
                fail(chosen + ": the chain does not continue from its landing square");
                return -1;
            }
            in_chain = 1;
        } else {
            if (after.sources != 0 || after.targets != 0) {
                fail(chosen + ": marks left after the turn passed");
                return -1;
            }
            in_chain = 0;
            turn = other_side(turn);
        }
    }
}

}  // namespace

bool run_selfplay(int64_t games, int32_t blue_level, int32_t red_level, int32_t piece_count, unsigned seed,
                  SelfplayTotals& totals, std::string& failure, const SelfplayGameFn& on_game) {
    const Settings saved_settings = settings;
    const GameState saved_game = game;
    totals = SelfplayTotals{0, 0, 0, 0, 0};
    const int32_t level[3] = {0, blue_level, red_level};
    std::srand(seed);
    bool ok = true;
    std::vector<PdnTurn> turns;
    EngineTable table;  // "master" keeps it from turn to turn, as the game does
    for (int64_t g = 1; g <= games && ok; g++) {
        int64_t moves = 0;
        const int32_t result = play_one_game(g, level, piece_count, moves, turns, table, failure);
        if (result < 0) {
            ok = false;
            break;
        }
        totals.games++;
        totals.single_moves += moves;
        progress_show("selfplay: " + std::to_string(g) + " of " + std::to_string(games) + " games");
        if (result == BLUE) totals.blue_wins++;
        if (result == RED) totals.red_wins++;
        if (result == 0) totals.draws++;
        if (on_game && !on_game(g, result, turns)) break;
    }
    settings = saved_settings;
    game = saved_game;
    return ok;
}
