// system_posix.cpp - the operating system on Linux: POSIX file and process
// calls, and glibc's allocator tuning. The Windows side is system_win32.cpp.

#include "platform/system.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sys {
namespace {

// A save writes the record's name + kTempInfix + its process number first.
const char* const kTempInfix = ".new.";

// The outcome of a failed save, filled in for the caller's line.
struct Failure {
    std::string& file;
    std::string& why;
    int Fail(int result, const std::string& target, const char* reason) {
        file = target;
        why = reason;
        return result;
    }
};

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a save must replace: the record, or, when that is a symbolic
// link, what the link finally names (which need not exist yet), so that the
// link itself stays. A loop of links comes back unresolved and fails later
// with the system's own word for it.
std::string LinkTarget(const std::string& name) {
    std::string path = name;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return path;
        std::string target(buf.data(), static_cast<size_t>(n));
        if (target[0] != '/' && path.find('/') != std::string::npos) target = FolderOf(path) + "/" + target;
        path = target;
    }
    return path;
}

bool WriteAll(int fd, const std::vector<unsigned char>& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

// Rewrites an existing file where it is: the last resort when no new file
// can be made beside it. Not crash-safe, which is why it is the last resort.
int RewriteInPlace(const std::string& file, const std::vector<unsigned char>& bytes, Failure failure) {
    int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return failure.Fail(-1, file, std::strerror(errno));
    bool complete = WriteAll(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0;
    int why = errno;
    if (close(fd) != 0 && complete) {
        complete = false;
        why = errno;
    }
    return complete ? 0 : failure.Fail(-2, file, std::strerror(why));
}

// The new file takes the old record's mode, past the umask, and, where the
// process may, its owner; failing either still leaves a good record.
void TakeOver(int fd, const struct stat& st) {
    int ignored = fchmod(fd, st.st_mode & 07777);
    if (st.st_uid != geteuid() || st.st_gid != getegid()) ignored |= fchown(fd, st.st_uid, st.st_gid);
    (void)ignored;
}

// The part after the temporary prefix as a process number, or 0 when the
// name is not one of our temporary files.
pid_t TempFileOwner(const char* entry, const std::string& prefix) {
    const size_t n = prefix.size();
    if (std::strncmp(entry, prefix.c_str(), n) != 0 || !entry[n]) return 0;
    long long pid = 0;
    for (const char* p = entry + n; *p; ++p) {
        if (*p < '0' || *p > '9' || pid > 1 << 30) return 0;
        pid = pid * 10 + (*p - '0');
    }
    return static_cast<pid_t>(pid);
}

void RemoveStaleIn(const std::string& folder, const std::string& prefix) {
    DIR* d = opendir(folder.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        pid_t pid = TempFileOwner(e->d_name, prefix);
        if (pid <= 0 || pid == getpid()) continue;
        if (kill(pid, 0) == 0 || errno != ESRCH) continue;  // its process still runs: a save in progress
        unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
}

}  // namespace

void TuneAllocator() {
    // Textures and decoded pictures are blocks of up to 16 MB, freed and made
    // again at every resize. With glibc's sliding threshold, the first such
    // free moves later ones into the heap, where a little fragmentation keeps
    // them from ever going back to the system; a fixed threshold keeps big
    // blocks in their own mappings, returned the moment they are freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

// A terminal is a person, not a debugger: nobody will answer.
bool InputMayAnswer() { return !isatty(STDIN_FILENO); }

std::string ProgramName() { return program_invocation_short_name; }

FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ReadFailure(const std::string&, int error) { return std::strerror(error); }

std::string WorkingFolder() {
    std::vector<char> cwd(4096);
    return getcwd(cwd.data(), cwd.size()) ? std::string(cwd.data()) : std::string(".");
}

// The record keeps its mode (and, where the process may, its owner); when it
// is a symbolic link, the file the link names is replaced and the link stays.
int SaveFile(const std::string& name, const std::vector<unsigned char>& bytes, std::string& file, std::string& why) {
    Failure failure{file, why};
    const std::string target = LinkTarget(name);
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return failure.Fail(-1, target, std::strerror(errno));
    if (exists) {
        if (S_ISDIR(st.st_mode)) return failure.Fail(-1, target, std::strerror(EISDIR));
        if (!S_ISREG(st.st_mode)) return failure.Fail(-1, target, "not a regular file");
        // access() answers for the kernel (read-only mounts, immutable
        // files, ownership); the mode bits answer for the player, whose
        // write protection holds even for a process that could override it.
        if (access(target.c_str(), W_OK) != 0) return failure.Fail(-1, target, std::strerror(errno));
        if ((st.st_mode & 0222) == 0) return failure.Fail(-1, target, std::strerror(EACCES));
    }

    const std::string temp = FolderOf(target) + "/" + NameOf(name) + kTempInfix + std::to_string(getpid());
    unlink(temp.c_str());  // left by an earlier process that had our number
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? st.st_mode & 07777 : 0666);
    if (fd < 0) {
        // No new file can be made here (a read-only folder, say); the
        // record itself may still be writable.
        if (exists) return RewriteInPlace(target, bytes, failure);
        return failure.Fail(-1, target, std::strerror(errno));
    }
    if (exists) TakeOver(fd, st);

    bool complete = WriteAll(fd, bytes) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && complete) {
        complete = false;
        error = errno;
    }
    if (!complete) {
        unlink(temp.c_str());
        return failure.Fail(-2, target, std::strerror(error));
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
        unlink(temp.c_str());
        return failure.Fail(-1, target, std::strerror(error));
    }
    return 0;
}

// Beside the record and beside what it links to: a save writes its
// temporary file next to the file it replaces.
void RemoveStaleSaves(const std::string& name) {
    const std::string prefix = NameOf(name) + kTempInfix;
    RemoveStaleIn(FolderOf(name), prefix);
    const std::string folder = FolderOf(LinkTarget(name));
    if (folder != FolderOf(name)) RemoveStaleIn(folder, prefix);
}

}  // namespace sys
