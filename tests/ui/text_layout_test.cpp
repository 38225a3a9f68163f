// Word placement of the help screen's justified lines.
#include "ui/text_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct JustifyCase {
    const char* what;
    std::vector<int32_t> widths;
    std::vector<int32_t> xs;  // empty: drawn as it stands at x1
};

TEST(Justify, TheRoomRuleBetween360And760) {
    const JustifyCase cases[] = {
        {"one word", {120}, {}},
        {"one word filling the line", {400}, {}},
        {"wider than the line", {250, 200}, {}},
        {"exactly the line's width: no room", {200, 200}, {}},
        {"201 pixels of room", {100, 99}, {}},
        {"200 pixels of room", {100, 100}, {360, 660}},
        {"one pixel of room", {150, 249}, {360, 511}},
        {"even gaps", {50, 100, 70, 60}, {360, 450, 590, 700}},
        {"101 pixels over two gaps", {100, 100, 99}, {360, 510, 661}},
        {"7 pixels over four gaps", {80, 80, 80, 80, 73}, {360, 441, 523, 605, 687}},
        {"no words", {}, {}},
    };
    for (const JustifyCase& c : cases) {
        std::vector<int32_t> xs(c.widths.size(), -1);
        const int32_t justified =
            justify_words(c.widths.data(), static_cast<int32_t>(c.widths.size()), 360, 760, 200, xs.data());
        EXPECT_EQ(justified, c.xs.empty() ? 0 : 1) << c.what;
        if (!justified) continue;
        EXPECT_EQ(xs, c.xs) << c.what;
        EXPECT_EQ(xs.back() + c.widths.back(), 760) << c.what << ": the last word ends at x2";
        // The gaps differ by at most one pixel.
        int32_t smallest = 1 << 30, largest = -1;
        for (size_t i = 1; i < xs.size(); i++) {
            const int32_t gap = xs[i] - xs[i - 1] - c.widths[i - 1];
            smallest = std::min(smallest, gap);
            largest = std::max(largest, gap);
        }
        EXPECT_LE(largest - smallest, 1) << c.what;
    }
}

TEST(Justify, WordsAreCutAtBlanks) {
    const char* line = "  Hra  skončí remízou. ";
    TextWord w[2];
    ASSERT_EQ(split_words(line, w, 2), 3);  // counted in full, two stored
    EXPECT_EQ(std::string(line + w[0].start, w[0].length), "Hra");
    EXPECT_EQ(std::string(line + w[1].start, w[1].length), "skončí");
    EXPECT_EQ(split_words("", w, 2), 0);
    EXPECT_EQ(split_words("   ", w, 2), 0);
}

}  // namespace
