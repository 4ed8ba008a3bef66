// testing_posix.cpp - the POSIX half of testing.h: child processes by
// fork and exec, folders, links.

#include "tests/support/testing.h"

#include <fcntl.h>
#include <pty.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace nubrix_test {

namespace {

double now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Feeds `input` to the child, collects its two outputs until both close or
// the time runs out, then reaps it.
ChildResult collect(pid_t pid, int inFd, int outFd, int errFd, const std::string& input, double timeout) {
    ChildResult result;
    size_t fed = 0;
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    fcntl(outFd, F_SETFL, O_NONBLOCK);
    fcntl(errFd, F_SETFL, O_NONBLOCK);
    if (inFd >= 0) fcntl(inFd, F_SETFL, O_NONBLOCK);

    double deadline = now() + timeout;
    while (outFd >= 0 || errFd >= 0) {
        pollfd fds[3];
        int n = 0;
        if (outFd >= 0) fds[n++] = {outFd, POLLIN, 0};
        if (errFd >= 0) fds[n++] = {errFd, POLLIN, 0};
        if (inFd >= 0) fds[n++] = {inFd, POLLOUT, 0};
        double left = deadline - now();
        if (left <= 0) {
            kill(pid, SIGKILL);
            result.timedOut = true;
            break;
        }
        if (poll(fds, n, static_cast<int>(left * 1000) + 1) < 0 && errno != EINTR) break;
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == inFd) {
                ssize_t w = write(inFd, input.data() + fed, input.size() - fed);
                if (w > 0) fed += static_cast<size_t>(w);
                if (w < 0 || fed == input.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buf[4096];
            ssize_t r = read(fds[i].fd, buf, sizeof buf);
            if (r > 0) {
                (fds[i].fd == outFd ? result.out : result.err).append(buf, static_cast<size_t>(r));
            } else if (r == 0 || errno != EAGAIN) {
                close(fds[i].fd);
                if (fds[i].fd == outFd) outFd = -1; else errFd = -1;
            }
        }
    }
    if (inFd >= 0) close(inFd);
    if (outFd >= 0) close(outFd);
    if (errFd >= 0) close(errFd);

    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

struct Pipes {
    int in[2], out[2], err[2];
    Pipes() {
        if (pipe(in) || pipe(out) || pipe(err)) std::abort();
    }
    void becomeChild() {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    }
    void becomeParent() {
        close(in[0]);
        close(out[1]);
        close(err[1]);
    }
};

// In a forked child: applies the environment changes, moves to the folder
// and becomes the program. Never returns.
[[noreturn]] void execInChild(const std::vector<std::string>& args, const std::vector<std::string>& env,
                              const std::string& workingFolder) {
    for (const std::string& e : env) {
        size_t eq = e.find('=');
        std::string name = e.substr(0, eq);
        if (eq == std::string::npos || eq + 1 == e.size()) {
            unsetenv(name.c_str());
        } else {
            setenv(name.c_str(), e.c_str() + eq + 1, 1);
        }
    }
    if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

ChildResult RunInChild(const std::function<void()>& body, const std::string& input, double timeoutSeconds) {
    std::fflush(nullptr);
    Pipes p;
    pid_t pid = fork();
    if (pid == 0) {
        p.becomeChild();
        signal(SIGPIPE, SIG_DFL);
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    p.becomeParent();
    return collect(pid, p.in[1], p.out[0], p.err[0], input, timeoutSeconds);
}

ChildResult RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                       const std::string& input, double timeoutSeconds, const std::string& workingFolder) {
    std::fflush(nullptr);
    Pipes p;
    pid_t pid = fork();
    if (pid == 0) {
        p.becomeChild();
        execInChild(args, env, workingFolder);
    }
    p.becomeParent();
    return collect(pid, p.in[1], p.out[0], p.err[0], input, timeoutSeconds);
}

ChildResult RunInReadOnlyFolder(const std::string& folder, const std::function<void()>& body) {
    ChildResult child = RunInChild([&] {
        if (chdir(folder.c_str()) != 0) _exit(3);
        chmod(folder.c_str(), 0555);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(4);
        body();
    });
    chmod(folder.c_str(), 0755);
    return child;
}

Process::Process(const std::vector<std::string>& args, const std::vector<std::string>& env,
                 const std::string& workingFolder) {
    std::fflush(nullptr);
    int fds[2];
    if (pipe(fds) != 0) std::abort();
    pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, 0);
        execInChild(args, env, workingFolder);
    }
    close(fds[1]);
    outFd = fds[0];
    fcntl(outFd, F_SETFL, O_NONBLOCK);
}

Process::~Process() {
    if (Running()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (outFd >= 0) close(outFd);
}

void Process::Drain(int timeoutMs) {
    if (outFd < 0) return;
    pollfd p = {outFd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return;
    char buf[4096];
    for (;;) {
        ssize_t r = read(outFd, buf, sizeof buf);
        if (r > 0) {
            // Lines end in \n whichever system's program wrote them.
            for (ssize_t i = 0; i < r; ++i) {
                if (buf[i] == '\n' && !out.empty() && out.back() == '\r') out.pop_back();
                out += buf[i];
            }
            continue;
        }
        if (r == 0) {
            close(outFd);
            outFd = -1;
        }
        return;
    }
}

bool Process::Running() {
    if (exited) return false;
    int st = 0;
    if (waitpid(pid, &st, WNOHANG) == pid) {
        exited = true;
        status = st;
        return false;
    }
    return true;
}

int Process::WaitForExit(double timeoutSeconds) {
    double deadline = now() + timeoutSeconds;
    while (Running()) {
        Drain(50);
        if (now() > deadline) return -1;
    }
    Drain(0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/nubrix-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) std::abort();
    path = buf.data();
}

TempDir::~TempDir() {
    std::string command = "chmod -R u+rwx '" + path + "' 2>/dev/null; rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", path.c_str());
}

ScopedWorkingFolder::ScopedWorkingFolder(const std::string& folder) {
    char buf[PATH_MAX];
    if (!getcwd(buf, sizeof buf)) std::abort();
    previous = buf;
    if (chdir(folder.c_str()) != 0) std::abort();
}

ScopedWorkingFolder::~ScopedWorkingFolder() {
    if (chdir(previous.c_str()) != 0) std::abort();
}

bool LinkData(const TempDir& folder) {
    if (symlink(NUBRIX_SOURCE_DIR "/data", folder.File("data").c_str()) == 0) return true;
    std::perror("symlink");
    return false;
}

void SetEnvironment(const std::string& name, const std::string& value) {
    if (value.empty()) {
        unsetenv(name.c_str());
    } else {
        setenv(name.c_str(), value.c_str(), 1);
    }
}

std::string FolderReason() { return std::strerror(EISDIR); }

void InputFromFile(const std::string& path) {
    if (!std::freopen(path.c_str(), "r", stdin)) std::exit(3);
}

void InputFromNobody() {
    int terminal = 0, other = 0;
    if (openpty(&terminal, &other, nullptr, nullptr, nullptr) != 0) std::exit(3);
    dup2(other, 0);
}

CapturedOutput::CapturedOutput() {
    std::fflush(stdout);
    saved = dup(1);
    FILE* f = std::fopen(dir.File("out.txt").c_str(), "w");
    dup2(fileno(f), 1);
    std::fclose(f);
}

void CapturedOutput::Restore() {
    if (saved < 0) return;
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    saved = -1;
}

}  // namespace nubrix_test
