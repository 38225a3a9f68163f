// talvena-cli slots --put into a saved-games file the game then loads (the
// pdn command's reading is with the notation's tests).
#include <gtest/gtest.h>

#include <string>

#include "app/temp_dir.h"
#include "cli/cli_run.h"
#include "ui/saved_games.h"

namespace {

TEST(CliSlots, PutWritesOneSlotAndLeavesTheOthers) {
    TempDir dir;
    const std::string path = dir.file("gamdat.tdt");

    // A missing file is made with the other four slots free.
    CliResult r = run_cli({"slots", path, "--put", "2", "B:Wc3,Ke1:Bf6,h8", "--opponent", "human"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    r = run_cli({"slots", path});
    EXPECT_EQ(r.out, "1 free\n2 used; position .......r/......../.....r../......../......../..b...../......../....B... r; "
                     "to move red; clock 00:00; opponent human (two players)\n3 free\n4 free\n5 free\n");

    // Over any bytes, only the slot put changes.
    Bytes before(SAVED_GAMES_FILE_SIZE);
    for (size_t i = 0; i < before.size(); i++) before[i] = static_cast<unsigned char>(i * 37 + 11);
    write_bytes(path, before);
    ASSERT_EQ(run_cli({"slots", path, "--put", "5", "start8", "--level", "amateur", "--computer", "blue"}).status,
              CLI_OK);
    const Bytes after = read_bytes(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 4 * SAVE_SLOT_SIZE, after.begin()));
    EXPECT_EQ(lines_of(run_cli({"slots", path}).out).back(),
              "5 used; position .r.r.r.r/r.r.r.r./......../......../......../......../.b.b.b.b/b.b.b.b. b; "
              "to move blue; clock 00:00; opponent computer, amateur, playing blue");

    // Refusals leave the file as it was.
    expect_bad_input(run_cli({"slots", path, "--put", "6", "start"}), "slot 6");
    expect_bad_input(run_cli({"slots", path, "--put", "1", "start", "--opponent", "robot"}), "opponent");
    EXPECT_EQ(read_bytes(path), after);
    expect_bad_input(run_cli({"slots", dir.path, "--put", "1", "start"}), "a folder, not a file");
}

}  // namespace
