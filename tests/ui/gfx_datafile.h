// Test helper: Allegro without a display, 16-bit colour, and the real
// datafile of the build directory in the game's `datafile`, loaded once per
// test binary.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "app/resources.h"

inline void load_datafile_without_display() {
    if (datafile != nullptr) return;
    ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, std::atexit), 0);
    set_color_depth(16);
    set_color_conversion(COLORCONV_TOTAL);
    datafile = load_datafile("Data/talvena.dat");
    ASSERT_NE(datafile, nullptr) << "Data/talvena.dat in the build directory";
}
