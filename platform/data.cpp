// data.cpp - asset paths, file opening and the state file.

#include "platform/data.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace {

const char* const kStateFile = ".varnokstate";
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

bool dataFolderPresent() { return sys::IsFolder("data"); }

// One diagnostic line on standard output, at once: the player may be
// watching a terminal while the game runs.
void say(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
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
    return sys::OpenFile(file, how.c_str());
}

int SaveStateFile(String state) {
    std::vector<unsigned char> bytes;
    state.Save(bytes);
    std::string file, why;
    const int result = sys::SaveFile(kStateFile, bytes, file, why);
    if (result != 0) say("Cannot save " + file + ": " + why);
    return result;
}

String LoadStateFile() {
    FILE* f = std::fopen(kStateFile, "rb");
    if (!f) {
        if (errno != ENOENT) say(std::string("Cannot read ") + kStateFile + ": " + sys::ReadFailure(kStateFile, errno));
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
        say(std::string("Cannot read ") + kStateFile + ": " + sys::ReadFailure(kStateFile, why));
        return String();
    }
    if (bytes.size() > kMaxStateBytes) {
        say(std::string(kStateFile) + " is larger than 1 MiB, so it is no record: the game starts with its defaults");
        return String();
    }
    if (bytes.empty()) return String();
    return String::Load(bytes.data(), static_cast<int>(bytes.size()));
}

void RemoveStaleStateFiles() { sys::RemoveStaleSaves(kStateFile); }

bool CheckDataFolder() {
    if (dataFolderPresent()) return true;
    say("No data folder in " + sys::WorkingFolder() + ": start the game from the folder that holds data/");
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
