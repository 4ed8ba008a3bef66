// data.cpp - asset paths, file opening and the state file.

#include "host/data.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kStateFile = ".varnokstate";

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

// Writes all of `bytes` to a new file in the working folder and renames it
// over the state file. The new file is flushed to disk before the rename, so
// after a crash the state file holds either the old record or the new one.
int replaceStateFile(const std::vector<unsigned char>& bytes) {
    std::string temp = std::string(kStateFile) + ".new." + std::to_string(getpid());

    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return -1;

    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    bool complete = written == bytes.size() && fsync(fd) == 0;
    if (close(fd) != 0) complete = false;

    if (!complete) {
        unlink(temp.c_str());
        return -2;
    }
    if (rename(temp.c_str(), kStateFile) != 0) {
        unlink(temp.c_str());
        return -1;
    }
    return 0;
}

}  // namespace

String bb_data_FixDataPath(String path) {
    int i = path.Find(S(":/"));
    if (i != -1 && path.Find(S("/")) == i + 1) return path;
    if (path.StartsWith(S("./")) || path.StartsWith(S("/"))) return path;
    return S("varnok://data/") + path;
}

FILE* fopenFile(String path, String mode) {
    if (path.StartsWith(S("varnok://"))) {
        if (path.StartsWith(S("varnok://data/"))) {
            path = S("./data/") + path.Slice(14);
        } else if (path.StartsWith(S("varnok://internal/"))) {
            path = S("./internal/") + path.Slice(18);
        } else if (path.StartsWith(S("varnok://external/"))) {
            path = S("./external/") + path.Slice(18);
        } else {
            return nullptr;
        }
    }
    std::string file, how;
    if (!toUtf8Path(path, file) || !toUtf8Path(mode, how)) return nullptr;
    return std::fopen(file.c_str(), how.c_str());
}

int SaveStateFile(String state) {
    std::vector<unsigned char> bytes;
    state.Save(bytes);
    return replaceStateFile(bytes);
}

String LoadStateFile() {
    FILE* f = std::fopen(kStateFile, "rb");
    if (!f) return String();
    String text = String::Load(f);
    std::fclose(f);
    return text;
}

String LoadTextFile(String path) {
    FILE* f = fopenFile(path, S("rb"));
    if (!f) return String();
    String text = String::Load(f);
    std::fclose(f);
    return text;
}
