#include "support/test_support.h"

#include "cutting/cutting.h"
#include "files/files.h"
#include "model/puzzle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
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
bool UseUserFolder(const std::string& home)
{
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    setenv("ZIVRA_RESOURCE_DIR", SourcePath("resources").c_str(), 1);
    std::string error;
    const bool made = FileNames_Create(&error);
    EXPECT_TRUE(made) << error;
    return made;
}

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

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> b = ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

std::vector<std::string> SplitLines(const std::string& text, char sep)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, sep);)
        out.push_back(line);
    return out;
}

void PutLE32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (size_t i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

uint32_t GetLE32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

OMyImagePtr PatternImage(int w, int h, int tint)
{
    OMyImagePtr img = MyImageCreateExt(w, h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            MyImageSetPixel(*img, x, y, RGB(uint32_t(x + tint) & 255, uint32_t(y) & 255, uint32_t(x * y + tint) & 255));
    return img;
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
