// data.h - asset paths, file opening and the state file.
//
// Assets are named relative to the data folder ("common/dpad.png");
// bb_data_FixDataPath turns such a name into "varnok://data/...", which
// fopenFile opens as "./data/...". All paths are relative to the working
// folder, so the game runs with its own folder as the working folder.
//
// The state file ".varnokstate" in the working folder holds one text (UTF-8,
// no byte-order mark). A save writes a temporary file beside it
// (".varnokstate.new." and the process number) and renames it over the old
// one, so a failed or interrupted save leaves the previous record intact.
// When the state file is a symbolic link, the file it names is replaced and
// the link stays.
//
// Failures the player should know of are told in one line on standard
// output, as every diagnostic of the program is.
//
// Depends on: runtime/string.h, platform/system.h (files and saves).

#ifndef NUBRIX_PLATFORM_DATA_H
#define NUBRIX_PLATFORM_DATA_H

#include <cstdio>

#include "runtime/string.h"

String bb_data_FixDataPath(String path);

// Opens a "varnok://data/", "varnok://internal/" or "varnok://external/"
// path, or a plain file-system path; null when the file cannot be opened or
// the path names an area this platform does not have. Paths are UTF-8 on
// disk.
FILE* fopenFile(String path, String mode);

// The state file. SaveStateFile returns 0 when saved, -1 when the file
// cannot be created or must not be replaced, -2 when not every byte could be
// written; a failure prints one line with the reason. The record keeps its
// mode; one the player cannot write (say mode 0444) is refused with -1 and
// left as it is. In a folder where no new file can be made, an existing,
// writable record is rewritten in place. Except for that last resort,
// a failed save leaves the previous file unchanged.
int SaveStateFile(String state);

// The state file's text; the empty String when there is none. A file larger
// than 1 MiB (no record is) or one that cannot be read is taken as no record
// with a line saying so, and stays on disk as it is until the next save.
String LoadStateFile();

// Start-up: removes the temporary files of saves whose process has ended
// (killed mid-save), beside the state file and beside what it links to; a
// running process's file is left alone.
void RemoveStaleStateFiles();

// Start-up: true when the working folder has a data/ folder; otherwise
// prints one line naming the folder looked in and returns false.
bool CheckDataFolder();

// Prints the line for an image or sound (`kind`) that did not load: the
// file as a path below the working folder, and why, as far as can be told.
// Once per file and process; nothing for a file of a data folder that is
// missing altogether (CheckDataFolder has said so).
void ReportLoadFailure(const char* kind, String path);

// The whole file decoded as text (String::Load), or the empty String.
String LoadTextFile(String path);

#endif
