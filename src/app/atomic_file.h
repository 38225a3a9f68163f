// Application shell: the one way the game replaces a file it owns. The new
// bytes go to a temporary file beside the old one, are flushed and synced,
// and only then renamed over it, so a crash, a full disk or a power cut
// leaves either the old file or the new one, whole. No Allegro here.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

// Writes `size` bytes to `path`. Answers 1 when the new file is in place;
// 0 on any failure, with the old file (if any) untouched and no temporary
// file left behind. A symbolic link is written through: its final target is
// replaced and the link stays. The new file keeps the old one's mode, and an
// old file without any write permission is never replaced (answer 0): the
// player made it read-only.
int write_file_atomically(const char* path, const unsigned char* bytes, size_t size);

// A write killed between its temporary file's creation and the rename
// leaves `<path>.tmp-` and six characters behind (beside the final target
// when `path` is a link). Removes those that are
// regular files older than STALE_TEMPORARY_SECONDS; a younger one may be
// another running copy's write in flight. Answers how many were removed.
constexpr long STALE_TEMPORARY_SECONDS = 60;
int remove_stale_temporaries(const char* path);

// What read_file_prefix found.
constexpr int READ_MISSING = 0;  // no such file
constexpr int READ_DONE = 1;     // read up to its end or to `capacity`
constexpr int READ_FAILED = -1;  // there, but could not be opened or read whole

// Reads at most `capacity` bytes of `path` into `bytes`; `size` gets how many
// were read (a short file gives fewer). A read error is not the end of the
// file: the bytes before it are kept in `bytes`, but the answer is
// READ_FAILED, and the caller must not write the file back from them.
int read_file_prefix(const char* path, unsigned char* bytes, size_t capacity, size_t& size);

// Every read of read_file_prefix goes through this; tests put one in that
// fails part-way.
extern ssize_t (*read_file_bytes)(int fd, void* buffer, size_t length);

// Reads all of `path` into `bytes`, with read_file_prefix's answers: a file
// that is READ_FAILED must not be rewritten from what was read.
int read_whole_file(const char* path, std::string& bytes);
