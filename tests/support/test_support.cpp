#include "support/test_support.h"

#include "cutting/cutting.h"
#include "files/files.h"
#include "model/puzzle.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

void ResetAllState()
{
    Platform_Reset();
    Records_ResetAll();
}

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/zivra-test-XXXXXX";
    if (!mkdtemp(templ.data()))
        std::abort();
    path_ = templ;
}

TempDir::~TempDir()
{
    const std::string cmd = "rm -rf '" + path_ + "'";
    if (std::system(cmd.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path_.c_str());
}

std::string SourcePath(const std::string& relative) { return std::string(ZIVRA_SOURCE_DIR) + "/" + relative; }
std::string BinPath(const std::string& name) { return std::string(ZIVRA_BIN_DIR) + "/" + name; }

std::string ToolCommand() { return "'" + BinPath("zivra-tool") + "'"; }

std::map<std::string, std::string> TabFields(const std::string& out)
{
    std::map<std::string, std::string> m;
    size_t at = 0;
    while (at < out.size()) {
        const size_t nl = out.find('\n', at);
        const std::string line = out.substr(at, nl - at);
        const size_t tab = line.find('\t');
        m[line.substr(0, tab)] = tab == std::string::npos ? "" : line.substr(tab + 1);
        at = nl == std::string::npos ? out.size() : nl + 1;
    }
    return m;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(out);
}

int RunCommand(const std::string& cmdline, std::string* out, std::string* err)
{
    TempDir tmp;
    const std::string errFile = tmp.File("stderr");
    const std::string full = cmdline + " 2>'" + errFile + "'";
    FILE* p = popen(full.c_str(), "r");
    if (!p)
        return -1;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        text.append(buf, n);
    const int status = pclose(p);
    if (out)
        *out = text;
    if (err) {
        const std::vector<uint8_t> e = ReadFileBytes(errFile);
        err->assign(e.begin(), e.end());
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
