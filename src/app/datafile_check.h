// Application shell: the resource datafile checked before the library is
// let near it. Allegro's loader believes every count and size in the file,
// so a truncated or damaged Data/talvena.dat crashes it or makes it read and
// write out of bounds; this walk reads the same layout with every length
// bounded. It accepts whatever the loader reads safely and the game can
// index: the first RES_COUNT objects of the kinds of app/resource_ids.h, in
// any colour depth, any size, as colour or one-bit fonts, compressed one by
// one or as a whole file, with more objects or bytes after them. No Allegro
// here.
#pragma once

#include <cstddef>

// Far above the real file's two megabytes, far below what would hurt: a
// small file can unpack to any size, and the walk unpacks everything.
constexpr size_t MAX_DATAFILE_UNPACKED = 64u << 20;

// `file` is the whole file as on disk: the packfile magic ("slh!" packed,
// "slh." not), then "ALL.", the object count and the objects. Answers null
// when Allegro's load_datafile reads it safely and the game finds its
// objects; otherwise what is wrong, for people reading a test failure.
const char* datafile_fault(const unsigned char* file, size_t size);
