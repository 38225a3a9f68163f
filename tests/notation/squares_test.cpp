// Squares by name and number from each corner, move texts both ways, and
// the move numbers a game gives its turns.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "notation/squares.h"

TEST(Squares, NumbersFromEachCornerCoverTheDarkSquaresOnce) {
    // Square 1, 4, 5 and 32 from each corner, by name.
    struct Case {
        int corner;
        const char* one;
        const char* four;
        const char* five;
        const char* last;
    };
    const Case cases[] = {
        {CORNER_BOTTOM_LEFT, "a1", "g1", "b2", "h8"},
        {CORNER_BOTTOM_RIGHT, "g1", "a1", "h2", "b8"},
        {CORNER_TOP_LEFT, "b8", "h8", "a7", "g1"},
        {CORNER_TOP_RIGHT, "h8", "b8", "g7", "a1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.corner);
        EXPECT_EQ(square_name(square_of_number(1, c.corner)), c.one);
        EXPECT_EQ(square_name(square_of_number(4, c.corner)), c.four);
        EXPECT_EQ(square_name(square_of_number(5, c.corner)), c.five);
        EXPECT_EQ(square_name(square_of_number(32, c.corner)), c.last);
        std::set<int32_t> seen;
        for (int n = 1; n <= 32; n++) {
            const int32_t s = square_of_number(n, c.corner);
            ASSERT_GE(s, 0);
            EXPECT_EQ((s / 8 + s % 8) % 2, 1) << n << " is a light square";
            EXPECT_EQ(number_of_square(s, c.corner), n);
            seen.insert(s);
        }
        EXPECT_EQ(seen.size(), 32u);
        EXPECT_EQ(square_of_number(0, c.corner), -1);
        EXPECT_EQ(square_of_number(33, c.corner), -1);
    }
}

TEST(Squares, ReadAsTheGameWritesThem) {
    const SquareNumbering numeric_bottom_left{true, CORNER_BOTTOM_LEFT, CORNER_BOTTOM_LEFT};
    const SquareNumbering names_top_right{false, CORNER_TOP_RIGHT, CORNER_TOP_LEFT};
    struct Case {
        std::string text;
        SquareNumbering numbering;
        int32_t square;  // -1: refused
    };
    const Case cases[] = {
        {"a1", ALGEBRAIC, 56},     {"h8", ALGEBRAIC, 7},   {"c3", ALGEBRAIC, 42},
        {"1", ALGEBRAIC, 1},       {"32", ALGEBRAIC, 62},  {"1", numeric_bottom_left, 56},
        {"a1", names_top_right, 7}, {"h8", names_top_right, 56},
        {"0", ALGEBRAIC, -1},      {"33", ALGEBRAIC, -1},  {"001", ALGEBRAIC, -1}, {"i1", ALGEBRAIC, -1},
        {"a9", ALGEBRAIC, -1},     {"A1", ALGEBRAIC, -1},  {"", ALGEBRAIC, -1},    {"a", ALGEBRAIC, -1},
        {"a1 ", ALGEBRAIC, -1},    {std::string("a\0", 2), ALGEBRAIC, -1},
    };
    for (const Case& c : cases) {
        int32_t s = -1;
        const bool read = read_square(c.text, c.numbering, s);
        EXPECT_EQ(read, c.square >= 0) << c.text;
        if (read) {
            EXPECT_EQ(s, c.square) << c.text;
        }
    }
}

TEST(MoveText, BothWays) {
    EXPECT_EQ(pdn_move_text({42, 35}, false), "c3-d4");
    EXPECT_EQ(pdn_move_text({56, 42, 28}, true), "a1xc3xe5");
    EXPECT_EQ(move_text({56, 42, 28}, true, false), "56-42-28");
    EXPECT_EQ(move_text({56, 42}, true, true), "a1xc3");

    struct Case {
        const char* word;
        std::vector<int32_t> squares;  // empty: refused
        bool capture;
    };
    const Case cases[] = {
        {"c3-d4", {42, 35}, false}, {"a1xc3xe5", {56, 42, 28}, true}, {"a1:c3", {56, 42}, true},
        {"22-18", {42, 35}, false}, {"a1x42", {}, false},            {"c3", {}, false},
        {"c3-", {}, false},          {"-d4", {}, false},               {"c3--d4", {}, false},
        {"c3d4", {}, false},         {"c3-d4x", {}, false},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> squares;
        bool capture = false;
        std::string why;
        const bool read = parse_move_squares(c.word, ALGEBRAIC, squares, capture, why);
        if (c.squares.empty()) {
            EXPECT_FALSE(read) << c.word;
            EXPECT_FALSE(why.empty()) << c.word;
            continue;
        }
        ASSERT_TRUE(read) << c.word << ": " << why;
        EXPECT_EQ(squares, c.squares) << c.word;
        EXPECT_EQ(capture, c.capture) << c.word;
    }
}

TEST(MoveText, NumbersAsTheGameCountsThem) {
    // White first: 1. 1... 2. ; Black first: 1... 2. 2...
    const char* const white_first[] = {"1.", "1...", "2.", "2...", "3."};
    const char* const black_first[] = {"1...", "2.", "2...", "3.", "3..."};
    for (size_t ply = 0; ply < 5; ply++) {
        EXPECT_EQ(move_number_label(ply, false), white_first[ply]);
        EXPECT_EQ(move_number_label(ply, true), black_first[ply]);
    }
    EXPECT_EQ(move_number(58, false), 30);  // 59 turns are numbered to 30
    EXPECT_EQ(move_number(59, true), 31);
}

TEST(Quoted, AnyBytesPrintAsOneSafeLine) {
    EXPECT_EQ(quoted("c3-d4"), "'c3-d4'");
    EXPECT_EQ(quoted(std::string("a\0\n\x1b\\\xff", 6)), "'a\\x00\\x0a\\x1b\\x5c\\xff'");
    EXPECT_LE(quoted(std::string(500, 'x')).size(), 82u);
}
