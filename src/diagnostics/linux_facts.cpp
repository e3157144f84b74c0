// The machine's facts from the Linux files: os-release, uname, the mount
// table with statvfs, /proc/cpuinfo and /proc/meminfo, the DMI names and the
// network interfaces.
//
// A report goes to strangers: nothing here reads the host name, the user's
// name, hardware addresses, IP addresses or serial numbers.
#include "diagnostics/linux_facts.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <dirent.h>

namespace {

constexpr size_t kMaxSystemFileBytes = 1u << 20;  // /proc/cpuinfo of a 256-thread machine is ~400 KB

// A small system file, or nothing when it cannot be read.
std::optional<std::string> ReadSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text;
    char buf[4096];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        text.append(buf, size_t(in.gcount()));
        if (text.size() > kMaxSystemFileBytes)
            break;
    }
    return text;
}

// The first line of a /sys attribute, or "" when unreadable.
std::string ReadSysLine(const std::string& path)
{
    const auto text = ReadSmallFile(path);
    if (!text)
        return {};
    return text->substr(0, text->find('\n'));
}

std::string RealPath(const std::string& path)
{
    char buf[PATH_MAX];
    return realpath(path.c_str(), buf) ? std::string(buf) : path;
}

std::vector<std::string> ListDir(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.emplace_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool IsDir(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// udev writes unusual characters of labels as "\xNN".
std::string DecodeUdevName(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
            char* end = nullptr;
            const std::string hex = s.substr(i + 2, 2);
            const long v = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                out += char(v);
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string VolumeLabel(const std::string& device)
{
    const std::string dir = "/dev/disk/by-label/";
    for (const std::string& name : ListDir(dir))
        if (RealPath(dir + name) == device)
            return DecodeUdevName(name);
    return {};
}

// The kernel's removable flag of the disk that holds a device (a partition's parent).
bool DeviceRemovable(const std::string& device)
{
    const std::string name = device.substr(device.rfind('/') + 1);
    const std::string sys = "/sys/class/block/" + name;
    std::string flag = ReadSysLine(sys + "/removable");
    if (flag.empty() && !ReadSysLine(sys + "/partition").empty())
        flag = ReadSysLine(RealPath(sys) + "/../removable");
    return flag == "1";
}

bool UnderFolder(const std::string& path, const char* folder)
{
    return path.rfind(folder, 0) == 0;
}

TDiskFacts DiskFacts(const TMountEntry& m)
{
    TDiskFacts d;
    d.sPath = m.sDir;
    const std::string device = m.sSource.rfind("/dev/", 0) == 0 ? RealPath(m.sSource) : m.sSource;
    d.bRemovable = m.sSource.rfind("/dev/", 0) == 0 && DeviceRemovable(device);
    // What a player may unmount without the administrator: removable disks and
    // what the desktop mounted for them.
    d.bUnmountable = m.sDir != "/" && (d.bRemovable || UnderFolder(m.sDir, "/media/") ||
                                       UnderFolder(m.sDir, "/run/media/") || UnderFolder(m.sDir, "/mnt/"));
    const std::string label = m.sSource.rfind("/dev/", 0) == 0 ? VolumeLabel(device) : std::string();
    d.sDesc = label.empty() ? m.sSource : label;
    d.sFileSystemType = m.sType;
    d.bWritable = m.sOptions.rfind("rw", 0) == 0;
    struct statvfs st {};
    if (statvfs(m.sDir.c_str(), &st) == 0) {
        d.bHaveStats = true;
        d.bWritable = (st.f_flag & ST_RDONLY) == 0;
        d.iBlockSize = uint32_t(st.f_frsize ? st.f_frsize : st.f_bsize);
        d.iTotalBlocks = int64_t(st.f_blocks);
        d.iFreeBlocks = int64_t(st.f_bavail);
        d.sMountTo = m.sDir;
    }
    return d;
}

std::string InterfaceKind(const std::string& sys)
{
    if (IsDir(sys + "/wireless") || IsDir(sys + "/phy80211"))
        return "Wi-Fi";
    if (IsDir(sys + "/bridge"))
        return "Bridge";
    const std::string type = ReadSysLine(sys + "/type");
    if (type == "1")
        return "Ethernet";
    if (type == "772")
        return "Loopback";
    if (type == "512")
        return "PPP";
    if (type == "65534")
        return "Tunnel";
    return type.empty() ? "Unknown" : "ARPHRD " + type;
}

}  // namespace

TReportPairs ReadSoftwareFacts()
{
    TReportPairs out;
    auto text = ReadSmallFile("/etc/os-release");
    if (!text)
        text = ReadSmallFile("/usr/lib/os-release");
    if (text)
        out = ParseOsRelease(*text);
    if (utsname u {}; uname(&u) == 0) {
        out.push_back({"kernel_name", u.sysname});
        out.push_back({"kernel_release", u.release});
        out.push_back({"kernel_version", u.version});
        out.push_back({"machine", u.machine});
    }
    for (const char* var : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE"})
        if (const char* v = std::getenv(var); v && *v)
            out.push_back({var, v});
    return out;
}

std::vector<TDiskFacts> ReadDiskFacts()
{
    std::vector<TDiskFacts> out;
    const auto text = ReadSmallFile("/proc/self/mounts");
    if (!text)
        return out;
    for (const TMountEntry& m : ParseMounts(*text))
        // Files bound into a container's tree are not volumes.
        if (IsLocalMount(m) && IsDir(m.sDir))
            out.push_back(DiskFacts(m));
    return out;
}

TReportPairs ReadHardwareFacts()
{
    TReportPairs out;
    if (const auto cpu = ReadSmallFile("/proc/cpuinfo"))
        out = ParseCpuInfo(*cpu);
    if (const auto mem = ReadSmallFile("/proc/meminfo"))
        for (TReportPair& kv : ParseMemInfo(*mem))
            out.push_back(std::move(kv));
    // The names of the machine; its serial numbers and UUID stay out.
    for (const char* name : {"sys_vendor", "product_name", "product_version", "product_family", "board_vendor",
                             "board_name", "bios_vendor", "bios_version", "bios_date"})
        if (const std::string v = ReadSysLine(std::string("/sys/class/dmi/id/") + name); !v.empty())
            out.push_back({name, v});
    return out;
}

std::vector<TReportPairs> ReadNetworkFacts()
{
    struct Item {
        int index;
        TReportPairs pairs;
    };
    std::vector<Item> items;
    const std::string root = "/sys/class/net/";
    for (const std::string& name : ListDir(root)) {
        const std::string sys = root + name;
        const std::string mtu = ReadSysLine(sys + "/mtu");
        if (mtu.empty())
            continue;  // not an interface (bonding_masters)
        TReportPairs p;
        p.push_back({"_name", name});
        p.push_back({"interface", name});
        p.push_back({"type", InterfaceKind(sys)});
        p.push_back({"physical", IsDir(sys + "/device") ? "1" : "0"});
        const std::string state = ReadSysLine(sys + "/operstate");
        p.push_back({"state", state.empty() ? "unknown" : state});
        p.push_back({"mtu", mtu});
        items.push_back({std::atoi(ReadSysLine(sys + "/ifindex").c_str()), std::move(p)});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.index < b.index; });
    std::vector<TReportPairs> out;
    for (Item& it : items)
        out.push_back(std::move(it.pairs));
    return out;
}

std::string NowText()
{
    const std::time_t t = std::time(nullptr);
    std::tm local {};
    localtime_r(&t, &local);
    char buf[64];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S %z", &local);
    return buf;
}
