// One line on a terminal that shows how far a long command has got: rewritten
// in place with a carriage return and cleared when the command ends, so the
// command's own output stays as it is. It is written only to the stream given
// to progress_enable; talvena-cli's entry passes standard error when that is a
// terminal, and nothing else enables it, so commands run in-process (the
// tests) print nothing extra.
#pragma once

#include <cstdio>
#include <string>

// nullptr switches the line off again.
void progress_enable(std::FILE* stream);

// Starts the clock the line shows.
void progress_begin();

// Shows "text, 12.3 s" (time since progress_begin). Calls faster than about
// ten a second only update the text, so a tight loop costs almost nothing.
void progress_show(const std::string& text);

// Clears the line and leaves the cursor at its start.
void progress_end();

// Ctrl-C (and TERM, or Ctrl-Break on Windows) while a long command runs: the
// command asks `interrupted()` between its games and stops with what it has.
// Between interrupt_catch and interrupt_release the signals only set the flag.
void interrupt_catch();
void interrupt_release();
bool interrupted();
