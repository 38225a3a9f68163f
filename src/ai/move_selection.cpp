// The computer's move: the priority list, run in order on a scratch copy of
// the live board until one rule marks a move.
#include "ai/ai.h"

const ComputerRule COMPUTER_RULES[COMPUTER_RULE_COUNT] = {
    {"king_capture_then_clean_capture", 1, king_capture_then_clean_capture, nullptr},
    {"king_capture_then_safe_capture", 1, king_capture_then_safe_capture, nullptr},
    {"king_capture_clean", 1, king_capture_clean, nullptr},
    {"king_capture_safe", 1, king_capture_safe, nullptr},
    {"king_capture_any", 0, king_capture_any, nullptr},
    {"man_jump_then_clean_capture", 1, man_jump_then_clean_capture, nullptr},
    {"man_jump_then_safe_capture", 1, man_jump_then_safe_capture, nullptr},
    {"man_jump_clean", 1, man_jump_clean, nullptr},
    {"man_jump_safe", 1, man_jump_safe, nullptr},
    {"man_jump_combination", 0, man_jump_combination, nullptr},
    {"man_jump_any", 0, man_jump_any, nullptr},
    {"man_step_king_trap", 0, nullptr, man_step_king_trap},
    {"escape_threat", 1, nullptr, escape_threat},
    {"king_slide_king_trap", 0, nullptr, king_slide_king_trap},
    {"man_step_combination", 0, nullptr, man_step_combination},
    {"king_slide_threat", 0, nullptr, king_slide_threat},
    {"man_step_threat", 1, nullptr, man_step_threat},
    {"man_run_to_crown", 1, nullptr, man_run_to_crown},
    {"block_crowning_run", 1, nullptr, block_crowning_run},
    {"random_clean_man_step", 1, nullptr, random_clean_man_step},
    {"random_safe_man_step", 0, nullptr, random_safe_man_step},
    {"random_clean_king_slide", 1, nullptr, random_clean_king_slide},
    {"first_king_slide", 0, nullptr, first_king_slide},
    {"first_man_step", 0, nullptr, first_man_step},
};

const char* choose_computer_move_explained(int32_t side) {
    ScratchBoard b;
    copy_board_to_scratch(b);
    // In a capture chain the piece that must jump again is already selected.
    const int32_t chain = source_square();
    // "mistr" falls back on the whole list when its engine cannot think.
    const int32_t professional = settings.difficulty != LEVEL_AMATEUR;
    for (const ComputerRule& rule : COMPUTER_RULES) {
        if (rule.professional_only && !professional) continue;
        const int32_t found = rule.capture != nullptr ? rule.capture(side, chain, b) : rule.quiet(side, b);
        if (found) return rule.name;
    }
    return nullptr;
}

void choose_computer_move(int32_t side) { choose_computer_move_explained(side); }
