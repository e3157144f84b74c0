#include "game_process.h"

#include "support.h"

#include "cutting/cutting.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/memory_field.h"
#include "model/puzzle.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

Child::Child(const std::vector<std::string>& args, int outFd, int errFd)
{
    pid_ = fork();
    if (pid_ == 0) {
        if (outFd >= 0)
            dup2(outFd, 1);
        if (errFd >= 0)
            dup2(errFd, 2);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
}

Child::~Child()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

// CPU time of a process so far, all threads, in milliseconds.
double CpuMs(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = s.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream rest(s.substr(close + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::atof(field.c_str());
        if (i == 15)
            stime = std::atof(field.c_str());
    }
    return (utime + stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// Resident memory of a process, MB.
double RssMb(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    double kb = 0;
    while (in >> key) {
        if (key == "VmRSS:") {
            in >> kb;
            break;
        }
        in.ignore(4096, '\n');
    }
    return kb / 1024.0;
}

TRssSplit RssSplit(pid_t pid)
{
    TRssSplit r;
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::string line, name;
    bool shared = false;
    while (std::getline(in, line)) {
        const size_t dash = line.find('-');
        const size_t space = line.find(' ');
        if (dash != std::string::npos && space != std::string::npos && dash < space &&
            line.find_first_not_of("0123456789abcdef") == dash) {
            // "start-end perms offset dev inode   name"
            std::istringstream l(line);
            std::string range, perms, offset, dev, inode;
            l >> range >> perms >> offset >> dev >> inode;
            name.clear();  // anonymous mappings have none
            std::getline(l >> std::ws, name);
            shared = perms.size() > 3 && perms[3] == 's';
            continue;
        }
        if (line.rfind("Rss:", 0) != 0)
            continue;
        const double mb = std::atof(line.c_str() + 4) / 1024.0;
        const bool lib = name.find(".so") != std::string::npos;
        if (name.empty() || name == "[heap]")
            r.anonMb += mb;
        else if (lib && (name.find("LLVM") != std::string::npos || name.find("/dri/") != std::string::npos ||
                         name.find("libGL") != std::string::npos || name.find("glapi") != std::string::npos))
            r.glCodeMb += mb;
        else if (shared && name[0] == '/' && !lib)
            r.shmMb += mb;
        else if (lib || name.find("zivra") != std::string::npos)
            r.libsMb += mb;
        else
            r.otherMb += mb;
    }
    return r;
}

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

std::string SelfDir()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string p = n > 0 ? std::string(buf, size_t(n)) : std::string();
    return p.substr(0, p.rfind('/'));
}

Child* StartXvfb(const std::string& screen, std::string* display)
{
    int fds[2];
    if (pipe(fds) != 0)
        return nullptr;
    auto* xvfb = new Child({"Xvfb", "-displayfd", "1", "-screen", "0", screen + "x24", "-nolisten", "tcp"}, fds[1]);
    close(fds[1]);
    char buf[32] = {};
    const ssize_t n = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    if (n <= 0) {
        delete xvfb;
        return nullptr;
    }
    const std::string got(buf, size_t(n));
    *display = ":" + got.substr(0, got.find('\n'));
    setenv("DISPLAY", display->c_str(), 1);
    return xvfb;
}

// A saved game of the 2560 x 1920 photo-like picture cut at the finest level.
bool MakeBigGame(const std::string& dir, std::string* path, int* pieces)
{
    BenchResetAll();
    OMemoryField field;
    SetFieldHost(&field);
    const std::string jig = dir + "/big.zjg";
    *path = dir + "/big.svm";
    const std::vector<uint8_t> jpeg = MakePhotoLikeJpeg(kBigPicW, kBigPicH);
    OMyImagePtr thumb = MyImageCreateExt(320, 240, false);
    const uint8_t keys[10] = {};
    std::string error;
    SetHeadlessViewSize(1920, 1000);
    NewJigP = TJigParams{};
    const bool ok = SaveJigFile(jig, kBigPicW, kBigPicH, keys, MyImageEncode(*thumb, "JPG"), "", jpeg, &error) &&
                    OpenJigFile_ForListOrPreview(jig, false) && FillMaskParams(kBigPicW, kBigPicH, 0, 0) &&
                    (SetJigParamsFromLevel(NewJigP, kBigPicW, kBigPicH, 0), OpenGameFile(jig, 1u)) &&
                    SaveSolveFile(*path, false);
    *pieces = JigP.TotalTileNum;
    SetFieldHost(nullptr);
    BenchResetAll();
    return ok;
}

std::string Renderer(int argc, char** argv)
{
    int qargc = argc > 0 ? 1 : 0;
    QGuiApplication app(qargc, argv);
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext ctx;
    if (!ctx.create() || !ctx.makeCurrent(&surface))
        return "(no GL context)";
    const auto* r = reinterpret_cast<const char*>(ctx.functions()->glGetString(GL_RENDERER));
    const auto* v = reinterpret_cast<const char*>(ctx.functions()->glGetString(GL_VERSION));
    std::string s = std::string(r ? r : "?") + ", " + (v ? v : "?");
    ctx.doneCurrent();
    return s;
}


bool StartBigGameRun(const std::string& tag, const std::string& screen, TBigGameRun* run)
{
    std::string tmpl = "/tmp/zivra-" + tag + "-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
        std::perror("mkdtemp");
        return false;
    }
    run->dir = tmpl;
    setenv("XDG_DATA_HOME", run->dir.c_str(), 1);
    if (!MakeBigGame(run->dir, &run->game, &run->pieces)) {
        std::fprintf(stderr, "could not make the game\n");
        return false;
    }
    run->xvfb.reset(StartXvfb(screen, &run->display));
    if (!run->xvfb) {
        std::fprintf(stderr, "no Xvfb\n");
        return false;
    }
    return true;
}
