// Application shell: the game folder on Windows.
#include "app/game_folder.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool enter_game_folder(std::string& error) {
    // Long paths: the program's own path is read into a buffer that grows.
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &exe[0], static_cast<DWORD>(exe.size()));
        if (n == 0) {
            error = "cannot find the program's own folder";
            return false;
        }
        if (n < exe.size()) {
            exe.resize(n);
            break;
        }
        exe.resize(exe.size() * 2);
    }
    const fs::path install = fs::path(exe).parent_path();
    std::error_code ec;
    fs::path folder = install;
    if (fs::exists(install / INSTALLED_MARKER, ec)) {
        const wchar_t* appdata = _wgetenv(L"APPDATA");
        if (appdata == nullptr || *appdata == L'\0') {
            error = "APPDATA is not set";
            return false;
        }
        folder = fs::path(appdata) / L"Talvena";
        // The paths go on as UTF-8, the game's own text encoding.
        if (prepare_game_folder(install.u8string(), folder.u8string(), error) < 0) return false;
    }
    if (!SetCurrentDirectoryW(folder.c_str())) {
        error = "cannot enter " + folder.u8string();
        return false;
    }
    return true;
}
