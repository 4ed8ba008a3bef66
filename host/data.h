// data.h - asset paths, file opening and the state file.
//
// Assets are named relative to the data folder ("common/dpad.png");
// bb_data_FixDataPath turns such a name into "varnok://data/...", which
// fopenFile opens as "./data/...". All paths are relative to the working
// folder, so the game runs with its own folder as the working folder.
//
// The state file ".varnokstate" in the working folder holds one text (UTF-8,
// no byte-order mark). A save writes a temporary file beside it and renames
// it over the old one, so a failed or interrupted save leaves the previous
// record intact.
//
// Depends on: runtime/string.h, the C library and POSIX file calls.

#ifndef NUBRIX_HOST_DATA_H
#define NUBRIX_HOST_DATA_H

#include <cstdio>

#include "runtime/string.h"

String bb_data_FixDataPath(String path);

// Opens a "varnok://data/", "varnok://internal/" or "varnok://external/"
// path, or a plain file-system path; null when the file cannot be opened or
// the path names an area this platform does not have. Paths are UTF-8 on
// disk.
FILE* fopenFile(String path, String mode);

// The state file. SaveStateFile returns 0 when saved, -1 when the file
// cannot be created, -2 when not every byte could be written; in both
// failure cases the previous file is unchanged. LoadStateFile returns the
// empty String when there is no state file.
int SaveStateFile(String state);
String LoadStateFile();

// The whole file decoded as text (String::Load), or the empty String.
String LoadTextFile(String path);

#endif
