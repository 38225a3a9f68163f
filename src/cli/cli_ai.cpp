// talvena-cli commands for the computer opponent: move and selfplay.
#include "cli/cli_ai.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ai/ai.h"
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_position.h"
#include "cli/cli_progress.h"
#include "rules/rules.h"

namespace {

// Digits only, checked against the bound before they can overflow.
bool parse_number(const char* text, uint64_t max, uint64_t& value) {
    if (text == nullptr || text[0] == '\0') return false;
    uint64_t v = 0;
    for (const char* c = text; *c; c++) {
        if (*c < '0' || *c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(*c - '0');
        if (v > max) return false;
    }
    value = v;
    return true;
}

bool parse_level(const char* text, int32_t& level) {
    if (std::strcmp(text, "amateur") == 0) {
        level = LEVEL_AMATEUR;
        return true;
    }
    if (std::strcmp(text, "professional") == 0) {
        level = LEVEL_PROFESSIONAL;
        return true;
    }
    return false;
}

const char* level_name(int32_t level) { return level == LEVEL_AMATEUR ? "amateur" : "professional"; }

std::string level_error(const char* text) {
    return "level must be amateur or professional, got " + cli_quote(text);
}

// Options after the positional words: "--name VALUE" or a bare flag.
struct Options {
    std::vector<const char*> positional;
    const char* seed = nullptr;
    const char* chain = nullptr;
    const char* pieces = nullptr;
    const char* pdn = nullptr;
    bool explain = false;
    bool algebraic = false;
};

// `allowed` lists the options this command takes, e.g. "--seed --chain".
bool parse_options(int argc, const char* const* argv, const char* allowed, Options& o, std::string& error) {
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        if (std::strncmp(a, "--", 2) != 0) {
            o.positional.push_back(a);
            continue;
        }
        const std::string name(a);
        if ((" " + std::string(allowed) + " ").find(" " + name + " ") == std::string::npos) {
            error = "unknown option " + cli_quote(a);
            return false;
        }
        if (name == "--explain" || name == "--algebraic") {
            (name == "--explain" ? o.explain : o.algebraic) = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "option " + name + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (name == "--seed") o.seed = value;
        if (name == "--chain") o.chain = value;
        if (name == "--pieces") o.pieces = value;
        if (name == "--pdn") o.pdn = value;
    }
    return true;
}

bool parse_seed(const Options& o, unsigned& seed, std::string& error) {
    seed = 1;
    if (o.seed == nullptr) return true;
    uint64_t v = 0;
    if (!parse_number(o.seed, 0xffffffffu, v)) {
        error = "seed must be a whole number from 0 to 4294967295, got " + cli_quote(o.seed);
        return false;
    }
    seed = static_cast<unsigned>(v);
    return true;
}

// --- self-play ------------------------------------------------------------

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
                      std::vector<PdnTurn>& turns, std::string& failure) {
    settings.piece_count = piece_count;
    reset_board();
    game.game_running = 1;
    int32_t turn = BLUE;
    int32_t in_chain = 0;
    DrawBook book;
    draw_book_reset(book);
    moves = 0;
    turns.clear();
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
        const char* rule = choose_computer_move_explained(turn);
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

// The --pdn file of selfplay: every game as it ends, so a long run holds
// only one game in memory.
struct PdnFile {
    std::FILE* file = nullptr;
    std::string path;
    PdnGame game;

    bool open(const char* name, int32_t piece_count, int32_t blue_level, int32_t red_level, std::string& error) {
        path = name;
        file = std::fopen(name, "w");
        if (file == nullptr) {
            error = "cannot write the PDN file " + cli_quote(name) + ": " + std::strerror(errno);
            return false;
        }
        game.event = "Talvena self-play";
        game.site = "talvena-cli";
        game.date = pdn_today();
        game.white = std::string("Talvena ") + level_name(blue_level);
        game.black = std::string("Talvena ") + level_name(red_level);
        // The opening with 12 men is the standard one; any other needs its FEN.
        if (piece_count != 12) {
            int32_t side = BLUE;
            std::string unused;
            parse_position("start8", side, unused);
            game.fen = format_fen(side);
        }
        return true;
    }

    // Answers false once the file has refused a write, which ends the run.
    bool write(int64_t number, int32_t winner, const std::vector<PdnTurn>& turns) {
        game.round = std::to_string(number);
        game.result = pdn_result(winner);
        game.turns = turns;
        const std::string text = pdn_text(game);
        return std::fwrite(text.data(), 1, text.size(), file) == text.size();
    }

    bool close(std::string& error) {
        if (file == nullptr) return true;
        const bool written = std::ferror(file) == 0;
        const bool closed = std::fclose(file) == 0;
        file = nullptr;
        if (written && closed) return true;
        error = "writing the PDN file " + cli_quote(path.c_str()) + " failed";
        return false;
    }
};

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
    for (int64_t g = 1; g <= games && ok; g++) {
        int64_t moves = 0;
        const int32_t result = play_one_game(g, level, piece_count, moves, turns, failure);
        if (result < 0) {
            ok = false;
            break;
        }
        if (on_game && !on_game(g, result, turns)) break;
        totals.games++;
        totals.single_moves += moves;
        progress_show("selfplay: " + std::to_string(g) + " of " + std::to_string(games) + " games");
        if (result == BLUE) totals.blue_wins++;
        if (result == RED) totals.red_wins++;
        if (result == 0) totals.draws++;
    }
    settings = saved_settings;
    game = saved_game;
    return ok;
}

int cli_move(int argc, const char* const* argv, std::string& out, std::string& err) {
    Options o;
    std::string why;
    if (!parse_options(argc, argv, "--chain --seed --explain --algebraic", o, why)) return cli_fail(err, why);
    if (o.positional.size() != 2)
        return cli_fail(err, "move needs a level and a position: move LEVEL POSITION [--chain SQUARE] [--seed N] "
                             "[--explain] [--algebraic]");
    int32_t level = 0;
    if (!parse_level(o.positional[0], level)) return cli_fail(err, level_error(o.positional[0]));
    unsigned seed = 1;
    if (!parse_seed(o, seed, why)) return cli_fail(err, why);
    int32_t side = BLUE;
    if (!parse_position(o.positional[1], side, why)) return cli_fail(err, why);
    if (o.chain != nullptr) {
        int32_t c = -1;
        if (!parse_square(o.chain, c))
            return cli_fail(err, "chain square must be a1..h8 or a number from 0 to 63, got " + cli_quote(o.chain));
        const std::string named = std::to_string(c) + " (" + square_name(c) + ")";
        if (!owns_piece(c, side)) return cli_fail(err, "chain square " + named + " holds no piece of the side to move");
        if (!can_capture_from(c, side))
            return cli_fail(err, "the piece on chain square " + named + " has no capture to go on with");
        board[c].source_mark = 1;
    }

    const Settings saved = settings;
    settings.difficulty = level;
    std::srand(seed);
    const char* rule = choose_computer_move_explained(side);
    const int32_t from = source_square();
    const int32_t to = target_square();
    const bool capture = rule != nullptr && is_capture(from, to, side) == 1;
    settings = saved;
    clear_marks(1);
    clear_marks(2);

    out = rule != nullptr ? move_text({from, to}, capture, o.algebraic) + "\n" : "none\n";
    if (o.explain) out += std::string("rule ") + (rule != nullptr ? rule : "none") + "\n";
    return CLI_OK;
}

int cli_selfplay(int argc, const char* const* argv, std::string& out, std::string& err) {
    Options o;
    std::string why;
    if (!parse_options(argc, argv, "--seed --pieces --pdn", o, why)) return cli_fail(err, why);
    if (o.positional.size() != 3)
        return cli_fail(err, "selfplay needs a number of games and two levels: selfplay GAMES BLUE_LEVEL RED_LEVEL "
                             "[--seed N] [--pieces 12|8] [--pdn FILE]");
    uint64_t games = 0;
    if (!parse_number(o.positional[0], 1000000, games) || games == 0)
        return cli_fail(err, "games must be a whole number from 1 to 1000000, got " + cli_quote(o.positional[0]));
    int32_t blue_level = 0;
    int32_t red_level = 0;
    if (!parse_level(o.positional[1], blue_level)) return cli_fail(err, level_error(o.positional[1]));
    if (!parse_level(o.positional[2], red_level)) return cli_fail(err, level_error(o.positional[2]));
    unsigned seed = 1;
    if (!parse_seed(o, seed, why)) return cli_fail(err, why);
    int32_t pieces = 12;
    if (o.pieces != nullptr) {
        if (std::strcmp(o.pieces, "12") != 0 && std::strcmp(o.pieces, "8") != 0)
            return cli_fail(err, "pieces must be 12 or 8, got " + cli_quote(o.pieces));
        pieces = o.pieces[0] == '8' ? 8 : 12;
    }

    PdnFile pdn;
    if (o.pdn != nullptr && !pdn.open(o.pdn, pieces, blue_level, red_level, why)) return cli_fail(err, why);
    SelfplayGameFn on_game = nullptr;
    if (pdn.file != nullptr)
        on_game = [&pdn](int64_t g, int32_t winner, const std::vector<PdnTurn>& turns) {
            return pdn.write(g, winner, turns);
        };

    SelfplayTotals t;
    std::string failure;
    progress_begin();
    const bool held = run_selfplay(static_cast<int64_t>(games), blue_level, red_level, pieces, seed, t, failure,
                                   on_game);
    progress_end();
    // The games written so far stay in the file either way.
    if (!pdn.close(why)) return cli_fail(err, why);
    if (!held) {
        err = failure;
        return CLI_INVARIANT_BROKEN;
    }
    char avg[32];
    std::snprintf(avg, sizeof avg, "%.1f", static_cast<double>(t.single_moves) / static_cast<double>(t.games));
    out = "blue_wins " + std::to_string(t.blue_wins) + "\nred_wins " + std::to_string(t.red_wins) + "\ndraws " +
          std::to_string(t.draws) + "\navg_moves " + avg + "\n";
    return CLI_OK;
}
