// Application shell: the resource datafile checked before the library is
// let near it. Allegro's loader believes every count and size in the file,
// so a truncated or damaged Data/talvena.dat crashes it; this walk reads the
// same layout with every length bounded, and also refuses objects of other
// kinds or sizes than the game indexes and draws. No Allegro here.
#pragma once

#include <cstddef>

// `body` is the datafile's unpacked stream ("ALL.", the object count, the
// objects). Answers null when it holds exactly the objects of
// app/resource_ids.h, each of the kind and size the game uses it at;
// otherwise what is wrong, for people reading a test failure.
const char* datafile_fault(const unsigned char* body, size_t size);
