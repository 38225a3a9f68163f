// The Windows file layer on a Windows file system (Wine in CI): the atomic
// writer's promises, binary reads, stale temporaries, and the player's game
// folder. No GoogleTest for MinGW here: each check counts, the last line is
// "N passed, N failed" and the exit status is the failures'.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/atomic_file.h"
#include "app/game_folder.h"

namespace fs = std::filesystem;

namespace {

int passed = 0, failed = 0;

void check(bool ok, const char* what, int line) {
    if (ok) {
        passed++;
        return;
    }
    failed++;
    std::printf("FAILED line %d: %s\n", line, what);
}
#define CHECK(x) check((x), #x, __LINE__)

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().u8string());
    std::sort(out.begin(), out.end());
    return out;
}

bool write(const fs::path& p, const std::string& bytes) {
    return write_file_atomically(p.u8string().c_str(), reinterpret_cast<const unsigned char*>(bytes.data()),
                                 bytes.size()) == 1;
}

void age(const fs::path& p, long seconds) {
    const HANDLE h = CreateFileW(p.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    t.QuadPart -= 10000000ull * static_cast<unsigned long long>(seconds);
    ft.dwLowDateTime = t.LowPart;
    ft.dwHighDateTime = t.HighPart;
    CHECK(h != INVALID_HANDLE_VALUE && SetFileTime(h, nullptr, nullptr, &ft));
    CloseHandle(h);
}

// The bytes text mode would change: CR LF, a lone LF, Ctrl-Z, NUL.
const std::string AWKWARD("a\r\nb\nc\x1a" "d\0e", 10);

void writer_cases(const fs::path& dir) {
    const fs::path file = dir / "talvdat.tdt";
    // New file, then a replacement: exact bytes, nothing left beside it.
    CHECK(write(file, AWKWARD));
    CHECK(slurp(file) == AWKWARD);
    CHECK(write(file, "second"));
    CHECK(slurp(file) == "second");
    CHECK(names_in(dir) == std::vector<std::string>{"talvdat.tdt"});

    std::string read;
    CHECK(write(file, AWKWARD));
    CHECK(read_whole_file(file.u8string().c_str(), read) == READ_DONE && read == AWKWARD);
    unsigned char prefix[4];
    size_t size = 0;
    CHECK(read_file_prefix(file.u8string().c_str(), prefix, sizeof prefix, size) == READ_DONE && size == 4 &&
          std::string(reinterpret_cast<char*>(prefix), 4) == AWKWARD.substr(0, 4));
    CHECK(read_whole_file((dir / "none.tdt").u8string().c_str(), read) == READ_MISSING);
    CHECK(read_file_prefix((dir / "none.tdt").u8string().c_str(), prefix, sizeof prefix, size) == READ_MISSING);
    // A folder in the file's place cannot be read as one.
    fs::create_directory(dir / "folder.tdt");
    CHECK(read_whole_file((dir / "folder.tdt").u8string().c_str(), read) == READ_FAILED);
    CHECK(!write(dir / "folder.tdt", "x"));
    fs::remove(dir / "folder.tdt");

    // The player made it read-only: refused, untouched.
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    CHECK(!write(file, "third"));
    CHECK(slurp(file) == AWKWARD);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A reader holding the file without letting it be replaced: the move
    // fails, the old file stays whole and the temporary goes.
    const HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(held != INVALID_HANDLE_VALUE);
    CHECK(!write(file, "fourth"));
    CloseHandle(held);
    CHECK(slurp(file) == AWKWARD);
    CHECK(names_in(dir) == std::vector<std::string>{"talvdat.tdt"});

    // No folder to write in.
    CHECK(!write(dir / "missing" / "gamdat.tdt", "x"));
    CHECK(names_in(dir) == std::vector<std::string>{"talvdat.tdt"});

    // A path that is not UTF-8 names nothing.
    CHECK(write_file_atomically((dir.u8string() + "/\xff.tdt").c_str(),
                                reinterpret_cast<const unsigned char*>("x"), 1) == 0);
}

void stale_cases(const fs::path& dir) {
    const fs::path file = dir / "gamdat.tdt";
    put(file, "games");
    put(dir / "gamdat.tdt.tmp-Ab12Cd", "old");      // stale: goes
    put(dir / "gamdat.tdt.tmp-Ef34Gh", "young");    // another copy's write in flight
    put(dir / "gamdat.tdt.tmp-Ab12C", "short");     // not a name the writer makes
    put(dir / "talvdat.tdt.tmp-Ab12Cd", "other");   // another file's
    fs::create_directory(dir / "gamdat.tdt.tmp-Zz99Zz");
    for (const char* n : {"gamdat.tdt.tmp-Ab12Cd", "gamdat.tdt.tmp-Ab12C", "talvdat.tdt.tmp-Ab12Cd"})
        age(dir / n, STALE_TEMPORARY_SECONDS + 60);
    CHECK(remove_stale_temporaries(file.u8string().c_str()) == 1);
    CHECK(names_in(dir) == (std::vector<std::string>{"gamdat.tdt", "gamdat.tdt.tmp-Ab12C", "gamdat.tdt.tmp-Ef34Gh",
                                                     "gamdat.tdt.tmp-Zz99Zz", "talvdat.tdt.tmp-Ab12Cd"}));
    CHECK(slurp(file) == "games");
}

void folder_cases(const fs::path& root) {
    // A player whose name is not ASCII: %APPDATA% holds it.
    const fs::path install = root / "Program Files" / "Talvena";
    const fs::path user = root / fs::u8path(u8"Hráč") / "Talvena";
    fs::create_directories(install / "Data");
    fs::create_directories(install / "Hudba");
    put(install / "Data" / "talvena.dat", "datafile");
    put(install / "Data" / "allegro.cfg", "[sound]\r\n");
    put(install / "Hudba" / "DreamOfYou.mp3", "dream");
    put(install / "Hudba" / "notes.txt", "not a track");
    std::string error;
    CHECK(shipped_files_list(install.u8string()) == "Data/allegro.cfg\nData/talvena.dat\nHudba/DreamOfYou.mp3\n");
    CHECK(prepare_game_folder(install.u8string(), user.u8string(), error) == 3);
    CHECK(slurp(user / "Data" / "allegro.cfg") == "[sound]\r\n");
    CHECK(slurp(user / "Hudba" / "DreamOfYou.mp3") == "dream");
    CHECK(!fs::exists(user / "Hudba" / "notes.txt"));
    // Untouched copies stay; the player's files are never touched.
    put(user / "Data" / "talvdat.tdt", "settings");
    CHECK(prepare_game_folder(install.u8string(), user.u8string(), error) == 0);
    // An upgrade: a new datafile and a new track come in, the rest stays.
    put(install / "Data" / "talvena.dat", "datafile 2");
    put(install / "Hudba" / "Spring2003.mp3", "spring");
    CHECK(prepare_game_folder(install.u8string(), user.u8string(), error) == 2);
    CHECK(slurp(user / "Data" / "talvena.dat") == "datafile 2");
    CHECK(slurp(user / "Data" / "talvdat.tdt") == "settings");
    CHECK(names_in(user / "Data") == (std::vector<std::string>{"allegro.cfg", "talvdat.tdt", "talvena.dat"}));
    // An installation without its datafile is no installation.
    fs::remove(install / "Data" / "talvena.dat");
    CHECK(prepare_game_folder(install.u8string(), user.u8string(), error) == -1 && !error.empty());
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, temp);
    const fs::path root = fs::path(temp) / ("talvena-platform-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(root);
    fs::create_directories(root / "writer");
    fs::create_directories(root / "stale");
    writer_cases(root / "writer");
    stale_cases(root / "stale");
    folder_cases(root / "folder");
    std::error_code ec;
    fs::remove_all(root, ec);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
