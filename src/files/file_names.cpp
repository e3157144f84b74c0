// Folders and file names on a Linux desktop: the per-user folder under the
// XDG data folder, the documents folder from the user's XDG settings, and the
// resource folder beside the binary (build tree) or under share/ (installed).
#include "files/files.h"

#include "base/helpers.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

OFileNames FileNames;

namespace {

const char* kUserFolderName = "Zivra Jigsaw Bemo";
const char* kEdition = "bemo";

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string HomeFolder() { return EnvOr("HOME", "/"); }

std::string StripSlash(std::string p)
{
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

bool IsFolder(const std::string& p)
{
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates every missing level of a folder path.
bool MakeFolders(const std::string& path)
{
    std::error_code ec;
    fs::create_directories(path, ec);
    return IsFolder(path);
}

std::string ExecutableFolder()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

// A resource folder is one that holds the language files.
bool LooksLikeResources(const std::string& p) { return IsFolder(p + "/language"); }

bool FindResourceFolder(std::string* out, std::string* error)
{
    std::vector<std::string> tried;
    const char* forced = std::getenv("ZIVRA_RESOURCE_DIR");
    const std::string bin = ExecutableFolder();
    if (forced && *forced) {
        tried.push_back(StripSlash(forced));  // an explicit choice is the only one
    } else if (!bin.empty()) {
        tried.push_back(bin + "/resources");
        tried.push_back(fs::path(bin).parent_path().string() + "/share/zivra-jigsaw");
    }
    for (const std::string& p : tried)
        if (LooksLikeResources(p)) {
            std::error_code ec;
            const fs::path canon = fs::canonical(p, ec);
            *out = ec ? p : canon.string();
            return true;
        }
    std::string list;
    for (const std::string& p : tried)
        list += "\n  " + p;
    *error = "cannot find the game's resource folder (with its language files); looked in:" + list;
    return false;
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: a line XDG_DOCUMENTS_DIR="$HOME/Documents".
std::string DocumentsFolder()
{
    const std::string home = HomeFolder();
    const std::string conf = EnvOr("XDG_CONFIG_HOME", home + "/.config") + "/user-dirs.dirs";
    std::ifstream in(conf);
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::string v = line.substr(key.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
            v = v.substr(1, v.size() - 2);
        if (v.compare(0, 5, "$HOME") == 0)
            v = home + v.substr(5);
        if (!v.empty() && v[0] == '/' && IsFolder(v))
            return StripSlash(v);
    }
    if (IsFolder(home + "/Documents"))
        return home + "/Documents";
    return StripSlash(home);
}

}  // namespace

bool FileNames_Create(std::string* error, bool cleanUp)
{
    OFileNames n;
    std::string dataHome = EnvOr("XDG_DATA_HOME", "");
    if (dataHome.empty() || dataHome[0] != '/')
        dataHome = HomeFolder() + "/.local/share";
    n.sUserPath = StripSlash(dataHome) + "/" + kUserFolderName + "/";
    if (!MakeFolders(n.sUserPath)) {
        *error = "cannot create the game's folder " + n.sUserPath;
        return false;
    }
    if (!FindResourceFolder(&n.sResourcePath, error))
        return false;
    n.sDocumentsPath = DocumentsFolder();
    n.sLangPath = n.sResourcePath + "/language/";
    n.sSettings = n.sUserPath + "settings.dat";
    n.sJigsPath = n.sUserPath;
    n.sAutoSaved = n.sJigsPath + "autosaved." + n.sSolveExt;
    n.sTempSolve = n.sJigsPath + "zivra.svt";
    n.sDataPic = n.sResourcePath + "/pic_zivra.dat";
    n.sThumbPath = n.sResourcePath + "/thumb_" + kEdition + "/";
    n.sDistJigsPath = n.sResourcePath + "/jigs_" + kEdition + "/";
    n.bOpen = false;
    FileNames = std::move(n);
    if (!cleanUp)
        return true;
    // A temporary save file left by an interrupted save holds nothing the
    // saved game itself does not: the save it belonged to never completed.
    if (FileExists(FileNames.sTempSolve))
        DeleteFile(FileNames.sTempSolve);
    // Likewise the side files of an interrupted re-save or settings write.
    for (const std::string& name : ListFolderSorted(FileNames.sJigsPath)) {
        const std::string ext = FileExtLower(name);
        const std::string inner = FileExtLower(FileNameWithoutExt(name));
        if (ext == "part" && (inner == FileNames.sSolveExt || name == "settings.dat.part"))
            DeleteFile(FileNames.sJigsPath + name);
    }
    return true;
}

bool IsJigFile(const std::string& path) { return FileExtLower(path) == FileNames.sSetJigExt; }
bool IsSolveFile(const std::string& path) { return FileExtLower(path) == FileNames.sSolveExt; }

std::string TestPathFile(const std::string& name) { return FileNames.sDocumentsPath + "/" + name; }

std::vector<std::string> ListFolderSorted(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code ec2;
        if (name.empty() || name[0] == '.' || !it->is_regular_file(ec2))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = StrLower(a), lb = StrLower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

int CheckDistJigs()
{
    if (FileNames.sDistJigsPath.empty() || FileNames.sJigsPath.empty())
        return 0;
    int copied = 0;
    for (const std::string& name : ListFolderSorted(FileNames.sDistJigsPath)) {
        const std::string dst = FileNames.sJigsPath + name;
        if (FileExists(dst))
            continue;
        if (CopyFile(dst, FileNames.sDistJigsPath + name))
            ++copied;
        else
            Platform().Log("cannot copy the bundled jigsaw " + name + " to " + dst);
    }
    return copied;
}
