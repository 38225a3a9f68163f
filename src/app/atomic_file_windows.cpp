// Application shell: replacing a file so that it is never seen half written,
// on Windows. The same promises as atomic_file.cpp: the bytes go to a
// temporary file beside the target, are flushed to the disk
// (FlushFileBuffers), and MoveFileEx replaces the target in one step, asked
// to return only once the move is on the disk. Paths are UTF-8.
#include "app/atomic_file.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <string>
#include <vector>

namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                      nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

// A link is written through: the file it finally names is the one
// replaced. A path that is no link, or names nothing yet, is its own target.
bool final_target(const std::wstring& path, std::wstring& target) {
    target = path;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    const HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::wstring name(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, &name[0], static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    CloseHandle(h);
    if (n == 0 || n >= name.size()) return false;
    name.resize(n);
    target = name;
    return true;
}

constexpr const wchar_t TEMP_INFIX[] = L".tmp-";
constexpr size_t TEMP_SUFFIX_LENGTH = 6;

size_t last_separator(const std::wstring& path) { return path.find_last_of(L"/\\"); }

std::wstring folder_of(const std::wstring& path) {
    const size_t at = last_separator(path);
    return at == std::wstring::npos ? L"." : path.substr(0, at);
}

std::wstring name_of(const std::wstring& path) {
    const size_t at = last_separator(path);
    return at == std::wstring::npos ? path : path.substr(at + 1);
}

// Six letters and digits, as mkstemp makes them, so both systems leave (and
// clean up) temporaries of the same shape.
std::wstring random_suffix(unsigned& state) {
    static const wchar_t ALPHABET[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring s;
    for (size_t i = 0; i < TEMP_SUFFIX_LENGTH; i++) {
        state = state * 1103515245u + 12345u;
        s += ALPHABET[(state >> 16) % 62];
    }
    return s;
}

bool temporary_of(const std::wstring& entry, const std::wstring& prefix) {
    if (entry.size() != prefix.size() + TEMP_SUFFIX_LENGTH || entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < entry.size(); i++)
        if (entry[i] > 127 || !std::isalnum(static_cast<unsigned char>(entry[i]))) return false;
    return true;
}

bool write_all(HANDLE h, const unsigned char* bytes, size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(h, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

// Stale means written more than `seconds` ago by the file system's clock.
bool older_than(const FILETIME& written, long seconds) {
    FILETIME now_ft;
    GetSystemTimeAsFileTime(&now_ft);
    ULARGE_INTEGER now, then;
    now.LowPart = now_ft.dwLowDateTime;
    now.HighPart = now_ft.dwHighDateTime;
    then.LowPart = written.dwLowDateTime;
    then.HighPart = written.dwHighDateTime;
    // A clock set back makes every file look young: they stay.
    return now.QuadPart > then.QuadPart && now.QuadPart - then.QuadPart >= 10000000ull * static_cast<unsigned long long>(seconds);
}

}  // namespace

int write_file_atomically(const char* path, const unsigned char* bytes, size_t size) {
    const std::wstring wpath = wide(path);
    std::wstring target;
    if (wpath.empty() || !final_target(wpath, target)) return 0;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    // The player made it read-only; a folder is no file to replace.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return 0;
    unsigned state = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
    std::wstring temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; attempt++) {
        temp = target + TEMP_INFIX + random_suffix(state);
        h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return 0;
    }
    if (h == INVALID_HANDLE_VALUE) return 0;
    bool ok = write_all(h, bytes, size);
    ok = ok && FlushFileBuffers(h);
    ok = CloseHandle(h) && ok;
    ok = ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileW(temp.c_str());
        return 0;
    }
    return 1;
}

int remove_stale_temporaries(const char* path) {
    const std::wstring wpath = wide(path);
    std::wstring target;
    if (wpath.empty() || !final_target(wpath, target)) return 0;
    const std::wstring dir = folder_of(target);
    const std::wstring prefix = name_of(target) + TEMP_INFIX;
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((dir + L"\\" + prefix + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        if (!temporary_of(found.cFileName, prefix)) continue;
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (!older_than(found.ftLastWriteTime, STALE_TEMPORARY_SECONDS)) continue;
        removed += DeleteFileW((dir + L"\\" + found.cFileName).c_str()) ? 1 : 0;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return removed;
}

namespace {

ssize_t read_chunk(int fd, void* buffer, size_t length) {
    return ::_read(fd, buffer, length > INT_MAX ? INT_MAX : static_cast<unsigned>(length));
}

// Binary mode: the C runtime's text mode would turn the files' 0x0D 0x0A
// into 0x0A and stop at 0x1A.
int open_for_reading(const char* path, bool& missing) {
    const std::wstring wpath = wide(path);
    const int fd = wpath.empty() ? -1 : ::_wopen(wpath.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    missing = fd < 0 && errno == ENOENT;
    return fd;
}

// Fills bytes[size, capacity) from `fd`, stopping early at the file's end.
int read_into(int fd, unsigned char* bytes, size_t capacity, size_t& size) {
    while (size < capacity) {
        const ssize_t n = read_file_bytes(fd, bytes + size, capacity - size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return READ_FAILED;
        if (n == 0) break;
        size += static_cast<size_t>(n);
    }
    return READ_DONE;
}

}  // namespace

ssize_t (*read_file_bytes)(int fd, void* buffer, size_t length) = read_chunk;

int read_file_prefix(const char* path, unsigned char* bytes, size_t capacity, size_t& size) {
    size = 0;
    bool missing = false;
    const int fd = open_for_reading(path, missing);
    if (fd < 0) return missing ? READ_MISSING : READ_FAILED;
    const int answer = read_into(fd, bytes, capacity, size);
    ::_close(fd);
    return answer;
}

int read_whole_file(const char* path, std::string& bytes) {
    bytes.clear();
    bool missing = false;
    const int fd = open_for_reading(path, missing);
    if (fd < 0) return missing ? READ_MISSING : READ_FAILED;
    size_t size = 0;
    int answer;
    do {
        bytes.resize(size + 65536);
        answer = read_into(fd, reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size(), size);
    } while (answer == READ_DONE && size == bytes.size());
    ::_close(fd);
    bytes.resize(size);
    return answer;
}
