// Test helpers: a private folder under /tmp, whole-file reads and writes,
// and running a step in a child process (resource limits, another user).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct TempDir {
    std::string path;
    TempDir() {
        char name[] = "/tmp/talvena-files-XXXXXX";
        const char* made = ::mkdtemp(name);
        EXPECT_NE(made, nullptr);
        path = made ? made : "";
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
    // What the folder holds, sorted: a leftover temporary file shows here.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path)) out.push_back(e.path().filename());
        std::sort(out.begin(), out.end());
        return out;
    }
};

inline Bytes read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_bytes(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Independent of the code under test: the files are little-endian.
inline int32_t le32_at(const Bytes& b, size_t at) {
    return static_cast<int32_t>(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                                uint32_t(b[at + 3]) << 24);
}

inline void put_le32(Bytes& b, size_t at, int32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = static_cast<unsigned char>(uint32_t(v) >> (8 * i));
}

// Runs `step` in a forked child and answers its result (0..255), or -1 when
// the child did not exit normally.
inline int in_child(const std::function<int()>& step) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(step());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
