// Application shell: replacing a file so that it is never seen half written.
#include "app/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// The rename is durable only once the folder itself is synced.
void sync_folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

int write_file_atomically(const char* path, const unsigned char* bytes, size_t size) {
    const std::string target(path);
    std::string pattern = target + ".tmp-XXXXXX";
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
