// The command registry of zivra-tool and the small argument helpers the
// commands share. A command is a function over its arguments (the command
// name itself left out) that returns the exit status.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using ToolArgs = std::vector<std::string>;

struct ToolCommand {
    const char* name;
    const char* usage;    // one line: arguments after the name
    const char* summary;  // one line: what it does
    int (*run)(const ToolArgs& args);
};

// Registers a command at start-up: `static ToolCommandRegistrar reg{{...}};`
struct ToolCommandRegistrar {
    explicit ToolCommandRegistrar(const ToolCommand& command);
};
const std::vector<ToolCommand>& ToolCommands();

// Options of the form --name value (or --flag alone) after the positional
// arguments. Unknown options and malformed numbers are errors.
class ToolOptions {
public:
    // Splits args into positionals and options; `withValue` lists the options
    // that take a value, `flags` those that do not. False with *error on a bad option.
    bool Parse(const ToolArgs& args, const std::vector<std::string>& withValue,
               const std::vector<std::string>& flags, std::string* error);
    const std::vector<std::string>& Positional() const { return positional_; }
    // Every option with its value ("1" for a flag), in command-line order.
    const std::vector<std::pair<std::string, std::string>>& InOrder() const { return options_; }
    bool Has(const std::string& name) const;
    std::string Get(const std::string& name, const std::string& fallback = {}) const;
    // An integer option within [lo, hi]; false with *error when malformed or out of range.
    bool GetInt(const std::string& name, int64_t lo, int64_t hi, int64_t* out, std::string* error) const;
    // "WxH" with both in [1, hi].
    bool GetSize(const std::string& name, int hi, int* w, int* h, std::string* error) const;
private:
    std::vector<std::string> positional_;
    std::vector<std::pair<std::string, std::string>> options_;
};

// Parses a whole decimal integer within [lo, hi].
bool ParseInt(const std::string& text, int64_t lo, int64_t hi, int64_t* out);

// Exit statuses shared by the commands.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;    // the command ran and the answer is "no"
constexpr int kExitBadInput = 2;  // bad arguments or unreadable input
