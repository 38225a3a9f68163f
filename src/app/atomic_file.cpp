// Application shell: replacing a file so that it is never seen half written.
#include "app/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

int write_all(int fd, const unsigned char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return 1;
}

// mkstemp makes the file 0600; the replacement keeps the old file's
// permissions, or gets those a plain fopen would have given it.
mode_t mode_for(const char* path) {
    struct stat st;
    if (::stat(path, &st) == 0) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

constexpr const char TEMP_INFIX[] = ".tmp-";
constexpr size_t TEMP_SUFFIX_LENGTH = 6;  // mkstemp's XXXXXX

std::string folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Exactly a name mkstemp made from `<name>.tmp-XXXXXX`.
bool temporary_of(const std::string& entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + TEMP_SUFFIX_LENGTH || entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < entry.size(); i++)
        if (!std::isalnum(static_cast<unsigned char>(entry[i]))) return false;
    return true;
}

// The rename is durable only once the folder itself is synced.
void sync_folder(const std::string& path) {
    const std::string dir = folder_of(path);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

int write_file_atomically(const char* path, const unsigned char* bytes, size_t size) {
    const std::string target(path);
    std::string pattern = target + TEMP_INFIX + std::string(TEMP_SUFFIX_LENGTH, 'X');
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return 0;
    int ok = ::fchmod(fd, mode_for(path)) == 0;
    ok = ok && write_all(fd, bytes, size);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.data(), path) == 0;
    if (!ok) {
        ::unlink(temp.data());
        return 0;
    }
    // The new file is in place from here on; a failed folder sync cannot
    // bring the old one back, so it does not turn the answer into a failure.
    sync_folder(target);
    return 1;
}

int remove_stale_temporaries(const char* path) {
    const std::string target(path);
    const std::string dir = folder_of(target);
    const std::string prefix = name_of(target) + TEMP_INFIX;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return 0;
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* e = ::readdir(d)) {
        if (!temporary_of(e->d_name, prefix)) continue;
        const std::string entry = dir + "/" + e->d_name;
        struct stat st;
        // A clock set back makes every file look young: they stay, which is
        // the safe side.
        if (::lstat(entry.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (now - st.st_mtime < STALE_TEMPORARY_SECONDS) continue;
        removed += ::unlink(entry.c_str()) == 0;
    }
    ::closedir(d);
    return removed;
}

int read_file_prefix(const char* path, unsigned char* bytes, size_t capacity, size_t& size) {
    size = 0;
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return 0;
    while (size < capacity) {
        const size_t n = std::fread(bytes + size, 1, capacity - size, f);
        if (n == 0) break;
        size += n;
    }
    std::fclose(f);
    return 1;
}

int read_whole_file(const char* path, std::string& bytes) {
    bytes.clear();
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return errno == ENOENT ? 0 : -1;
    char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    return failed ? -1 : 1;
}
