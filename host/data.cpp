// data.cpp - asset paths, file opening and the state file.

#include "host/data.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kStateFile = ".varnokstate";
// A save writes kTempPrefix + its process number first (see replaceStateFile).
const char* const kTempPrefix = ".varnokstate.new.";
// No record is more than a few hundred bytes; a larger file is not one.
const size_t kMaxStateBytes = size_t(1) << 20;

String S(const char* z) { return String(z); }

// The UTF-8 bytes of a path; false when it holds a NUL unit, which would
// silently cut the path short at the system call. A surrogate pair is one
// character above U+FFFF and becomes one 4-byte sequence, as the file system
// spells it; a lone surrogate keeps its 3-byte form and names no real file.
bool toUtf8Path(const String& path, std::string& out) {
    out.clear();
    const int n = path.Length();
    for (int i = 0; i < n; ++i) {
        unsigned u = path[i];
        if (u == 0) return false;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (path[++i] - 0xDC00u);
            out += static_cast<char>(0xF0 | u >> 18);
            out += static_cast<char>(0x80 | (u >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | u >> 6);
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | u >> 12);
            out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return true;
}

// A "varnok://" path as a file-system path below the working folder; the
// empty String for an area this platform does not have. Other paths stay.
String dataFilePath(String path) {
    if (!path.StartsWith(S("varnok://"))) return path;
    if (path.StartsWith(S("varnok://data/"))) return S("./data/") + path.Slice(14);
    if (path.StartsWith(S("varnok://internal/"))) return S("./internal/") + path.Slice(18);
    if (path.StartsWith(S("varnok://external/"))) return S("./external/") + path.Slice(18);
    return String();
}

bool dataFolderPresent() {
    struct stat st;
    return stat("data", &st) == 0 && S_ISDIR(st.st_mode);
}

// One diagnostic line on standard output, at once: the player may be
// watching a terminal while the game runs.
void say(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int failSave(int result, const std::string& file, const char* reason) {
    say("Cannot save " + file + ": " + reason);
    return result;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// The file a save must replace: the state file, or, when that is a symbolic
// link, what the link finally names (which need not exist yet), so that the
// link itself stays. A loop of links comes back unresolved and fails later
// with the system's own word for it.
std::string stateFileTarget() {
    std::string path = kStateFile;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return path;
        std::string target(buf.data(), static_cast<size_t>(n));
        if (target[0] != '/' && path.find('/') != std::string::npos) target = folderOf(path) + "/" + target;
        path = target;
    }
    return path;
}

bool writeAll(int fd, const std::vector<unsigned char>& bytes) {
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
int rewriteInPlace(const std::string& file, const std::vector<unsigned char>& bytes) {
    int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return failSave(-1, file, std::strerror(errno));
    bool complete = writeAll(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0;
    int why = errno;
    if (close(fd) != 0 && complete) {
        complete = false;
        why = errno;
    }
    return complete ? 0 : failSave(-2, file, std::strerror(why));
}

// The new file takes the old record's mode, past the umask, and, where the
// process may, its owner; failing either still leaves a good record.
void takeOver(int fd, const struct stat& st) {
    int ignored = fchmod(fd, st.st_mode & 07777);
    if (st.st_uid != geteuid() || st.st_gid != getegid()) ignored |= fchown(fd, st.st_uid, st.st_gid);
    (void)ignored;
}

// Writes all of `bytes` to a new file beside the record and renames it over
// the record. The new file is flushed to disk before the rename, so after a
// crash the record is either the old one or the new one. The record keeps
// its mode (and, where the process may, its owner); a record the player has
// write-protected is left alone.
int replaceStateFile(const std::vector<unsigned char>& bytes) {
    const std::string target = stateFileTarget();
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return failSave(-1, target, std::strerror(errno));
    if (exists) {
        if (S_ISDIR(st.st_mode)) return failSave(-1, target, std::strerror(EISDIR));
        if (!S_ISREG(st.st_mode)) return failSave(-1, target, "not a regular file");
        // access() answers for the kernel (read-only mounts, immutable
        // files, ownership); the mode bits answer for the player, whose
        // write protection holds even for a process that could override it.
        if (access(target.c_str(), W_OK) != 0) return failSave(-1, target, std::strerror(errno));
        if ((st.st_mode & 0222) == 0) return failSave(-1, target, std::strerror(EACCES));
    }

    const std::string temp = folderOf(target) + "/" + kTempPrefix + std::to_string(getpid());
    unlink(temp.c_str());  // left by an earlier process that had our number
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? st.st_mode & 07777 : 0666);
    if (fd < 0) {
        // No new file can be made here (a read-only folder, say); the
        // record itself may still be writable.
        if (exists) return rewriteInPlace(target, bytes);
        return failSave(-1, target, std::strerror(errno));
    }
    if (exists) takeOver(fd, st);

    bool complete = writeAll(fd, bytes) && fsync(fd) == 0;
    int why = errno;
    if (close(fd) != 0 && complete) {
        complete = false;
        why = errno;
    }
    if (!complete) {
        unlink(temp.c_str());
        return failSave(-2, target, std::strerror(why));
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
        why = errno;
        unlink(temp.c_str());
        return failSave(-1, target, std::strerror(why));
    }
    return 0;
}

// The part after kTempPrefix as a process number, or 0 when the name is not
// one of our temporary files.
pid_t tempFileOwner(const char* name) {
    const size_t n = std::strlen(kTempPrefix);
    if (std::strncmp(name, kTempPrefix, n) != 0 || !name[n]) return 0;
    long long pid = 0;
    for (const char* p = name + n; *p; ++p) {
        if (*p < '0' || *p > '9' || pid > 1 << 30) return 0;
        pid = pid * 10 + (*p - '0');
    }
    return static_cast<pid_t>(pid);
}

void removeStaleTempFiles(const std::string& folder) {
    DIR* d = opendir(folder.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        pid_t pid = tempFileOwner(e->d_name);
        if (pid <= 0 || pid == getpid()) continue;
        if (kill(pid, 0) == 0 || errno != ESRCH) continue;  // its process still runs: a save in progress
        unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
}

}  // namespace

String bb_data_FixDataPath(String path) {
    int i = path.Find(S(":/"));
    if (i != -1 && path.Find(S("/")) == i + 1) return path;
    if (path.StartsWith(S("./")) || path.StartsWith(S("/"))) return path;
    return S("varnok://data/") + path;
}

FILE* fopenFile(String path, String mode) {
    path = dataFilePath(path);
    std::string file, how;
    if (path.Length() == 0 || !toUtf8Path(path, file) || !toUtf8Path(mode, how)) {
        errno = ENOENT;
        return nullptr;
    }
    return std::fopen(file.c_str(), how.c_str());
}

int SaveStateFile(String state) {
    std::vector<unsigned char> bytes;
    state.Save(bytes);
    return replaceStateFile(bytes);
}

String LoadStateFile() {
    FILE* f = std::fopen(kStateFile, "rb");
    if (!f) {
        if (errno != ENOENT) say(std::string("Cannot read ") + kStateFile + ": " + std::strerror(errno));
        return String();
    }
    // Read at most one byte past the limit: whatever the file is (huge,
    // sparse, a device that never ends), it costs no more than that.
    std::vector<unsigned char> bytes;
    unsigned char block[4096];
    size_t n;
    while (bytes.size() <= kMaxStateBytes && (n = std::fread(block, 1, sizeof block, f)) > 0) {
        bytes.insert(bytes.end(), block, block + n);
    }
    const int why = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (why) {
        say(std::string("Cannot read ") + kStateFile + ": " + std::strerror(why));
        return String();
    }
    if (bytes.size() > kMaxStateBytes) {
        say(std::string(kStateFile) + " is larger than 1 MiB, so it is no record: the game starts with its defaults");
        return String();
    }
    if (bytes.empty()) return String();
    return String::Load(bytes.data(), static_cast<int>(bytes.size()));
}

void RemoveStaleStateFiles() {
    removeStaleTempFiles(".");
    const std::string folder = folderOf(stateFileTarget());
    if (folder != ".") removeStaleTempFiles(folder);
}

bool CheckDataFolder() {
    if (dataFolderPresent()) return true;
    std::vector<char> cwd(4096);
    const char* here = getcwd(cwd.data(), cwd.size()) ? cwd.data() : ".";
    say(std::string("No data folder in ") + here + ": start the game from the folder that holds data/");
    return false;
}

void ReportLoadFailure(const char* kind, String path) {
    std::string file;
    String local = dataFilePath(path);
    if (!toUtf8Path(local.Length() ? local : path, file)) file = "?";
    // Without a data folder, the start-up line has said all there is.
    if (file.compare(0, 7, "./data/") == 0 && !dataFolderPresent()) return;
    if (file.compare(0, 2, "./") == 0) file.erase(0, 2);
    // Once per file: the game loads everything again when the window
    // changes size, and the player needs to hear of a file only once.
    static std::set<std::string> reported;
    if (!reported.insert(file).second) return;
    const char* reason = "damaged, or not a format the game reads";
    FILE* f = fopenFile(path, S("rb"));
    if (f) {
        std::fclose(f);
    } else if (errno) {
        reason = std::strerror(errno);
    }
    say(std::string("Cannot load ") + kind + " " + file + ": " + reason);
}

String LoadTextFile(String path) {
    FILE* f = fopenFile(path, S("rb"));
    if (!f) return String();
    String text = String::Load(f);
    std::fclose(f);
    return text;
}
