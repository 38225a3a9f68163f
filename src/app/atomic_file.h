// Application shell: the one way the game replaces a file it owns. The new
// bytes go to a temporary file beside the old one, are flushed and synced,
// and only then renamed over it, so a crash, a full disk or a power cut
// leaves either the old file or the new one, whole. No Allegro here.
#pragma once

#include <cstddef>
#include <string>

// Writes `size` bytes to `path`. Answers 1 when the new file is in place;
// 0 on any failure, with the old file (if any) untouched and no temporary
// file left behind.
int write_file_atomically(const char* path, const unsigned char* bytes, size_t size);

// A write killed between its temporary file's creation and the rename
// leaves `<path>.tmp-` and six characters behind. Removes those that are
// regular files older than STALE_TEMPORARY_SECONDS; a younger one may be
// another running copy's write in flight. Answers how many were removed.
constexpr long STALE_TEMPORARY_SECONDS = 60;
int remove_stale_temporaries(const char* path);

// Reads at most `capacity` bytes of `path` into `bytes`; `size` gets how many
// were read (a short file gives fewer). Answers 1 when the file opened.
int read_file_prefix(const char* path, unsigned char* bytes, size_t capacity, size_t& size);

// Reads all of `path` into `bytes`. Answers 1 when read to its end, 0 when
// there is no such file (bytes empty), -1 when it exists but could not be
// read whole: a file in that state must not be rewritten from what was read.
int read_whole_file(const char* path, std::string& bytes);
