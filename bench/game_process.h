// What the benchmarks that run the real game share: child processes, their
// CPU time and memory, a display of their own, the renderer string, the load
// average, and the saved 2560 x 1920 game of about 4000 pieces they open.
#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

constexpr int kBigPicW = 2560, kBigPicH = 1920;

class Child {
public:
    // outFd / errFd: where its standard output and error go (-1: inherited).
    explicit Child(const std::vector<std::string>& args, int outFd = -1, int errFd = -1);
    ~Child();  // SIGTERM, then waits
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

double CpuMs(pid_t pid);  // CPU time of a process so far, all threads, ms
double RssMb(pid_t pid);  // resident memory of a process, MB
// Where a process's resident memory lies, MB, from /proc/PID/smaps:
// anonymous (the heap and every other private anonymous mapping: our data,
// and the GL textures and buffers Mesa keeps for us), the software
// renderer's code (libLLVM, the DRI driver and the GL libraries), the other
// shared libraries and the binary, shared memory (the X server's images)
// and the rest (mapped files, stacks).
struct TRssSplit {
    double anonMb = 0, glCodeMb = 0, libsMb = 0, shmMb = 0, otherMb = 0;
};
TRssSplit RssSplit(pid_t pid);
std::string LoadAverage();
std::string SelfDir();    // the folder of the running binary
// An Xvfb of screen WxH (e.g. "1920x1080") for the run; *display its name
// (":N"), also put into DISPLAY. Null when none started.
Child* StartXvfb(const std::string& screen, std::string* display);
// The GL renderer and version the game gets on DISPLAY.
std::string Renderer(int argc, char** argv);
// A saved game of the 2560 x 1920 photo-like picture cut at the finest level
// into dir/big.svm; *pieces its piece count.
bool MakeBigGame(const std::string& dir, std::string* path, int* pieces);

// What a run of the real game starts from: a per-user folder of its own
// (/tmp/zivra-TAG-XXXXXX, put into XDG_DATA_HOME) holding the big game, and
// a display of screen WxH. False, having said why on standard error, when
// any of it could not be made.
struct TBigGameRun {
    std::string dir, game, display;
    int pieces = 0;
    std::unique_ptr<Child> xvfb;
};
bool StartBigGameRun(const std::string& tag, const std::string& screen, TBigGameRun* run);
