// What every test shares: a reset of all process-wide state, temporary
// folders, paths into the source tree, and small file helpers.
#pragma once

#include "base/my_image.h"
#include "platform/platform.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Resets every subsystem's records and the recording platform.
void ResetAllState();

// The recorder that tests inspect (installed by ResetAllState).
inline RecordingPlatform& Recorder() { return DefaultRecorder(); }

// A fresh folder under the system's temporary folder, removed with its
// contents when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
private:
    std::string path_;
};

// A path inside the source tree (tests/inputs/..., resources/...).
std::string SourcePath(const std::string& relative);
// Makes `home` the player's folder (XDG_DATA_HOME) with the source tree's
// resources and creates the game's folders in it; false (and a test
// failure) when they cannot be made.
bool UseUserFolder(const std::string& home);
// A path beside the built binaries (zivra-tool, ...).
std::string BinPath(const std::string& name);
// The command-line tool, quoted for a shell command line.
std::string ToolCommand();
// "key<TAB>value" lines as a map; a line without a tab maps to "".
std::map<std::string, std::string> TabFields(const std::string& out);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::string ReadText(const std::string& path);
std::vector<std::string> SplitLines(const std::string& text, char sep = '\n');
// Little-endian 32-bit words inside a byte buffer.
void PutLE32(std::vector<uint8_t>& b, size_t at, uint32_t v);
uint32_t GetLE32(const std::vector<uint8_t>& b, size_t at);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& data);

// A w x h picture patterned so that it is not one flat colour; `tint` makes
// another one of the same size.
OMyImagePtr PatternImage(int w, int h, int tint = 0);

// Runs a shell command line; returns its exit status and fills *out with its
// standard output (standard error goes to *err when given).
int RunCommand(const std::string& cmdline, std::string* out, std::string* err = nullptr);
