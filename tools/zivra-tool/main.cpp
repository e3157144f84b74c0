// zivra-tool: the game's core without the window, for tests, benchmarks and
// players who like the command line.
#include "tool.h"

#include "platform/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
std::vector<ToolCommand>* g_commands = nullptr;  // built during static initialisation

void PrintHelp(FILE* out)
{
    std::fprintf(out, "usage: zivra-tool COMMAND [ARGS]\n\ncommands:\n");
    for (const ToolCommand& c : ToolCommands())
        std::fprintf(out, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
}
}  // namespace

ToolCommandRegistrar::ToolCommandRegistrar(const ToolCommand& command)
{
    if (!g_commands)
        g_commands = new std::vector<ToolCommand>;
    g_commands->push_back(command);
}

const std::vector<ToolCommand>& ToolCommands()
{
    static const std::vector<ToolCommand> none;
    return g_commands ? *g_commands : none;
}

bool ParseInt(const std::string& text, int64_t lo, int64_t hi, int64_t* out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool ToolOptions::Parse(const ToolArgs& args, const std::vector<std::string>& withValue,
                        const std::vector<std::string>& flags, std::string* error)
{
    auto listed = [](const std::vector<std::string>& list, const std::string& s) {
        for (const std::string& e : list)
            if (e == s)
                return true;
        return false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
            positional_.push_back(a);
            continue;
        }
        if (listed(flags, a)) {
            options_.emplace_back(a, "1");
        } else if (listed(withValue, a)) {
            if (i + 1 >= args.size()) {
                *error = a + " needs a value";
                return false;
            }
            options_.emplace_back(a, args[++i]);
        } else {
            *error = "unknown option " + a;
            return false;
        }
    }
    return true;
}

bool ToolOptions::Has(const std::string& name) const
{
    for (const auto& o : options_)
        if (o.first == name)
            return true;
    return false;
}

std::string ToolOptions::Get(const std::string& name, const std::string& fallback) const
{
    for (auto it = options_.rbegin(); it != options_.rend(); ++it)
        if (it->first == name)
            return it->second;
    return fallback;
}

bool ToolOptions::GetInt(const std::string& name, int64_t lo, int64_t hi, int64_t* out, std::string* error) const
{
    if (!Has(name))
        return true;
    if (!ParseInt(Get(name), lo, hi, out)) {
        *error = name + " wants a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
        return false;
    }
    return true;
}

bool ToolOptions::GetSize(const std::string& name, int hi, int* w, int* h, std::string* error) const
{
    if (!Has(name))
        return true;
    const std::string v = Get(name);
    const size_t x = v.find('x');
    int64_t a = 0, b = 0;
    if (x == std::string::npos || !ParseInt(v.substr(0, x), 1, hi, &a) || !ParseInt(v.substr(x + 1), 1, hi, &b)) {
        *error = name + " wants WIDTHxHEIGHT, each from 1 to " + std::to_string(hi);
        return false;
    }
    *w = int(a);
    *h = int(b);
    return true;
}

int main(int argc, char** argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        PrintHelp(stdout);
        return argc < 2 ? kExitBadInput : kExitOk;
    }
    // Messages and log lines of the core go to standard error; standard output
    // belongs to the commands' fixed formats.
    DefaultRecorder().echoLog = std::getenv("ZIVRA_VERBOSE") != nullptr;
    DefaultRecorder().echoMessages = true;
    for (const ToolCommand& c : ToolCommands())
        if (!std::strcmp(argv[1], c.name))
            return c.run(ToolArgs(argv + 2, argv + argc));
    std::fprintf(stderr, "zivra-tool: unknown command '%s' (see zivra-tool --help)\n", argv[1]);
    return kExitBadInput;
}
