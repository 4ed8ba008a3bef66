// testing.cpp - the half of testing.h that is the same on every system:
// files by UTF-8 path, records, Strings. Child processes and folders are in
// testing_posix.cpp and testing_win32.cpp.

#include "tests/support/testing.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace nubrix_test {

const std::string& Process::Output() {
    Drain(0);
    return out;
}

bool Process::WaitForOutput(const std::string& text, double timeoutSeconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        Drain(50);
        if (out.find(text) != std::string::npos) return true;
        if (std::chrono::steady_clock::now() > deadline || !Running()) {
            Drain(0);
            return out.find(text) != std::string::npos;
        }
    }
}

DataWorkingFolder::DataWorkingFolder() : folder(), linked(LinkData(folder)), working(folder.Path()) {}

std::string ReadFile(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::u8path(path), ec);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder), ec)) {
        names.push_back(entry.path().filename().u8string());
    }
    return names;
}

std::string CapturedOutput::Text() {
    Restore();
    return UnixLines(ReadFile(dir.File("out.txt")));
}

std::string NativePath(const std::string& path) {
    return std::filesystem::u8path(path).make_preferred().u8string();
}

std::string UnixLines(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n' && !out.empty() && out.back() == '\r') out.pop_back();
        out += c;
    }
    return out;
}

std::vector<std::string> Fields(const std::string& record) {
    std::vector<std::string> out(1);
    for (char c : record) {
        if (c == '|') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

std::string Narrow(const String& s) {
    std::string out;
    for (int i = 0; i < s.Length(); ++i) out.push_back(static_cast<char>(s[i]));
    return out;
}

String Widen(const std::string& s) {
    return String(reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size()));
}

}  // namespace nubrix_test
