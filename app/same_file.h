#pragma once

#include <cstdio>

// True when name leads, under any spelling, hard link or symbolic link, to the very file that
// open_file was opened on, wherever that file has been moved or renamed since; false when it
// leads to another file or to none. The open file is identified by its open handle, never by
// looking its name up again, so the answer holds even if its name has changed. Should the open
// file be impossible to identify, the answer is true: a tape must never truncate its picture.
bool names_open_file(std::FILE* open_file, const char* name);
