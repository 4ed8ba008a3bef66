// system.h - everything the program asks of the operating system, and only
// that.
//
// Two implementations stand side by side and the build takes one:
//   system_posix.cpp   Linux (POSIX calls, and glibc's allocator tuning)
//   system_win32.cpp   Windows (Win32 calls on UTF-16 paths)
// No other file of the program includes an operating system's headers.
//
// Paths are UTF-8 here on both systems; the Windows side turns them into
// UTF-16 for the wide-character calls, so a folder named in any script opens
// alike. Failure reasons are one line of UTF-8 text in the system's own words.
//
// Depends on: the C and C++ libraries only. It is the lowest layer: the
// runtime uses it too.

#ifndef NUBRIX_PLATFORM_SYSTEM_H
#define NUBRIX_PLATFORM_SYSTEM_H

#include <cstdio>
#include <string>
#include <vector>

namespace sys {

// Start-up, before anything is allocated: keeps big freed blocks from
// staying in the process (see system_posix.cpp). Nothing where the
// allocator needs no help.
void TuneAllocator();

// True when something may answer on standard input (a pipe or a file): a
// debugger's line protocol can run there. False for a terminal or console,
// where a person would only see the program hang, and for no input at all.
bool InputMayAnswer();

// The program's own name without folder or extension ("nubrix").
std::string ProgramName();

// fopen on a UTF-8 path (a wide-character open on Windows). errno says why
// when it returns null.
FILE* OpenFile(const std::string& path, const char* mode);

bool IsFolder(const std::string& path);

// Why opening or reading `path` failed with errno `error`, in the words the
// system's other file errors use (Windows' C library calls a folder opened
// as a file "Permission denied"; its own words for that are another).
std::string ReadFailure(const std::string& path, int error);

// The working folder, UTF-8; "." when it cannot be told.
std::string WorkingFolder();

// The saves of a record file `name` in the working folder.
//
// SaveFile writes `bytes` so that a crash at any moment leaves either the
// old record or the new one: a temporary file beside it, flushed to disk,
// then moved over the record. 0 when saved; -1 when the record cannot be
// created or must not be replaced (a write-protected or read-only record is
// left as it is); -2 when not every byte could be written. On failure `file`
// is the file that could not be saved and `why` the reason. The old record
// is kept on every failure.
int SaveFile(const std::string& name, const std::vector<unsigned char>& bytes, std::string& file, std::string& why);

// Removes the temporary files that saves of processes that have ended left
// beside the record (a process killed mid-save); a running save's is kept.
void RemoveStaleSaves(const std::string& name);

}  // namespace sys

#endif
