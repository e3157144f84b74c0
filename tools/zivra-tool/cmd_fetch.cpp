// zivra-tool fetch: one jigsaw from a download site, headless, through the
// same catalogue, transfer, unpacking and checks as the game's dialog.
#include "tool.h"

#include "base/helpers.h"
#include "download/download.h"

#include <QCoreApplication>

#include <cstdio>
#include <sys/stat.h>

namespace {

int Fail(const std::string& why, int status)
{
    std::fprintf(stderr, "zivra-tool fetch: %s\n", why.c_str());
    return status;
}

// The reason for a person at a terminal (the language files are the game's).
std::string Reason(const TDnMessage& m, const ODnSession& s)
{
    if (m.bEnglish)
        return m.sKey;
    const std::string arg = m.args.empty() ? std::string() : m.args[0].s;
    if (m.sKey == "MS_InvalidUrl")
        return "cannot use the address " + arg;
    if (m.sKey == "MS_InvalidLogin")
        return "the name or password was refused";
    if (m.sKey == "MS_DownloadFail")
        return "the download failed: " + arg;
    if (!s.LastError().empty() && s.LastErrorCode() != kDnErrStopped)
        return "the download failed: " + s.LastError();
    return "the site's catalogue names no archive kind this game reads";
}

int RunFetch(const ToolArgs& args)
{
    ToolOptions opt;
    std::string error;
    if (!opt.Parse(args, {"--host", "--user", "--password", "--out"}, {}, &error) || opt.Positional().size() != 1)
        return Fail(error.empty() ? "expects NAME --host HOST[:PORT]" : error, kExitBadInput);
    const std::string name = opt.Positional()[0];
    const std::string host = opt.Get("--host");
    if (!DnNameIsSafe(name))
        return Fail("'" + name + "' cannot name a jigsaw file", kExitBadInput);
    if (host.empty() || host.find_first_of("/ ") != std::string::npos)
        return Fail("--host wants HOST or HOST:PORT", kExitBadInput);
    if (opt.Has("--user") != opt.Has("--password"))
        return Fail("--user and --password go together", kExitBadInput);
    std::string out = opt.Get("--out", ".");
    struct stat st {};
    if (stat(out.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Fail("no folder " + out, kExitBadInput);
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();

    static int argc = 1;
    static char prog[] = "zivra-tool";
    static char* argv[] = {prog, nullptr};
    QCoreApplication app(argc, argv);

    ODnSession s;
    s.sHost = host;
    s.sWorkDir = out;
    const std::string user = opt.Get("--user"), password = opt.Get("--password");
    s.fnCheckLoginPassword = [&](std::string* l, std::string* p) {
        *l = user;  // none: a server that asks is refused
        *p = password;
        return true;
    };
    const std::string target = out + "/" + name + "." + FileNames.sSetJigExt;
    TDnMessage m;
    int r = s.GetDnInfoIter(&m);
    if (r == kDnOk)
        r = s.DownloadJigsaw(name, target, &m);
    if (r != kDnOk)
        return Fail(Reason(m, s), kExitFailed);
    // The catalogue was only a means.
    DeleteFile(out + "/" + kDnCatalogueName);
    std::printf("fetched %s %lld\n", name.c_str(), static_cast<long long>(GetFileSize(target)));
    return kExitOk;
}

const ToolCommandRegistrar reg{{"fetch", "NAME --host HOST[:PORT] [--user U --password P] [--out DIR]",
                                "fetch the jigsaw NAME from a download site into DIR (default: here) as NAME.zjg; "
                                "plain HTTP only to this computer",
                                &RunFetch}};

}  // namespace
