#include "files/bin_io.h"

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- OBinReader ------------------------------------------------------------------

OBinReader::OBinReader(const uint8_t* data, size_t size)
    : mem_(data ? data : reinterpret_cast<const uint8_t*>("")), size_(int64_t(size))
{
}

OBinReader::~OBinReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

OBinReader::OBinReader(OBinReader&& other) noexcept
    : fd_(other.fd_), mem_(other.mem_), size_(other.size_), pos_(other.pos_)
{
    other.fd_ = -1;
    other.mem_ = nullptr;
}

OBinReader& OBinReader::operator=(OBinReader&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        mem_ = other.mem_;
        size_ = other.size_;
        pos_ = other.pos_;
        other.fd_ = -1;
        other.mem_ = nullptr;
    }
    return *this;
}

bool OBinReader::OpenFile(const std::string& path)
{
    *this = OBinReader();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = int64_t(st.st_size);
    pos_ = 0;
    return true;
}

bool OBinReader::Seek(int64_t pos)
{
    if (!IsOpen() || pos < 0 || pos > size_)
        return false;
    pos_ = pos;
    return true;
}

bool OBinReader::Skip(int64_t n) { return n >= 0 && n <= Left() && Seek(pos_ + n); }

bool OBinReader::Read(void* dst, size_t n)
{
    if (!IsOpen() || int64_t(n) < 0 || int64_t(n) > Left())
        return false;
    if (mem_) {
        if (n)
            std::memcpy(dst, mem_ + pos_, n);
        pos_ += int64_t(n);
        return true;
    }
    auto* p = static_cast<uint8_t*>(dst);
    size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pread(fd_, p + done, n - done, off_t(pos_ + int64_t(done)));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;  // the file shrank under us or an I/O error
        done += size_t(r);
    }
    pos_ += int64_t(n);
    return true;
}

bool OBinReader::ReadU32(uint32_t* v)
{
    uint8_t b[4];
    if (!Read(b, 4))
        return false;
    *v = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
}

bool OBinReader::ReadI32(int32_t* v)
{
    uint32_t u = 0;
    if (!ReadU32(&u))
        return false;
    *v = int32_t(u);
    return true;
}

// ---- OBinWriter -------------------------------------------------------------------

OBinWriter::~OBinWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool OBinWriter::Create(const std::string& path)
{
    Close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    errno_ = fd_ < 0 ? errno : 0;
    pos_ = 0;
    return fd_ >= 0;
}

bool OBinWriter::CreateLocked(const std::string& path)
{
    Close();
    pos_ = 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        errno_ = errno;
        return false;
    }
    // A clean-up may have opened and locked the file between the open and
    // this lock; it then removed it, and the name no longer leads here.
    struct stat mine, named;
    if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &mine) != 0 || ::lstat(path.c_str(), &named) != 0 ||
        mine.st_ino != named.st_ino || mine.st_dev != named.st_dev) {
        ::close(fd);
        errno_ = ESTALE;
        return false;
    }
    fd_ = fd;
    errno_ = 0;
    return true;
}

bool OBinWriter::OpenUpdate(const std::string& path)
{
    Close();
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    errno_ = fd_ < 0 ? errno : 0;
    pos_ = 0;
    return fd_ >= 0;
}

bool OBinWriter::Write(const void* src, size_t n)
{
    if (fd_ < 0)
        return false;
    const auto* p = static_cast<const uint8_t*>(src);
    size_t done = 0;
    while (done < n) {
        const ssize_t w = ::pwrite(fd_, p + done, n - done, off_t(pos_ + int64_t(done)));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            errno_ = w < 0 ? errno : ENOSPC;
            return false;
        }
        done += size_t(w);
    }
    pos_ += int64_t(n);
    return true;
}

bool OBinWriter::WriteU32(uint32_t v)
{
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return Write(b, 4);
}

bool OBinWriter::WriteI32(int32_t v) { return WriteU32(uint32_t(v)); }

bool OBinWriter::Seek(int64_t pos)
{
    if (fd_ < 0 || pos < 0)
        return false;
    pos_ = pos;
    return true;
}

bool OBinWriter::Sync()
{
    if (fd_ < 0)
        return false;
    if (::fsync(fd_) != 0) {
        errno_ = errno;
        return false;
    }
    return true;
}

bool OBinWriter::Close()
{
    if (fd_ < 0)
        return true;
    const int r = ::close(fd_);
    fd_ = -1;
    if (r != 0)
        errno_ = errno;
    return r == 0;
}

// ---- Whole files ------------------------------------------------------------------

bool SyncFolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// ---- Side files ----------------------------------------------------------------------

namespace {

std::string FolderPart(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsHex8(const std::string& s)
{
    if (s.size() != 8)
        return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// Removes one side file when nobody holds its lock; the lock is taken on the
// very file the name leads to, and the name is checked again under the lock.
bool RemoveIfUnheld(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    bool removed = false;
    struct stat mine, named;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &mine) == 0 && S_ISREG(mine.st_mode) &&
        ::lstat(path.c_str(), &named) == 0 && mine.st_ino == named.st_ino && mine.st_dev == named.st_dev)
        removed = ::unlink(path.c_str()) == 0;
    ::close(fd);  // releases the lock
    return removed;
}

}  // namespace

bool CreateSideFile(const std::string& target, const std::string& ext, OBinWriter* w, std::string* side,
                    std::string* error)
{
    static std::mt19937_64 gen{std::random_device{}() ^ (uint64_t(::getpid()) << 32)};
    const std::string folder = FolderPart(target);
    const std::string name = NamePart(target);
    int err = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", unsigned(gen() & 0xFFFFFFFFu));
        *side = folder + "." + name + "." + hex + "." + ext;
        if (w->CreateLocked(*side))
            return true;
        err = w->LastErrno();
        if (err != EEXIST && err != ESTALE)
            break;
    }
    if (error)
        *error = "cannot create a file beside " + target + ": " + std::strerror(err);
    side->clear();
    return false;
}

std::string SideFileTarget(const std::string& name)
{
    for (const char* ext : {".svt", ".part"}) {
        if (!EndsWith(name, ext))
            continue;
        const std::string stem = name.substr(0, name.size() - std::strlen(ext));
        // ".<target>.<hex>"
        const size_t dot = stem.find_last_of('.');
        if (stem.size() > 10 && stem[0] == '.' && dot != std::string::npos && dot > 1 &&
            IsHex8(stem.substr(dot + 1)))
            return stem.substr(1, dot - 1);
        // Older names: "<target>.svt", "<target>.part", and the shared "zivra.svt".
        if (stem == "zivra" && std::strcmp(ext, ".svt") == 0)
            return "zivra.svt";
        if (!stem.empty() && stem[0] != '.')
            return stem;
    }
    return {};
}

int RemoveStaleSideFiles(const std::string& folder, const std::string& targetName)
{
    std::string dir = folder.empty() ? "." : folder;
    if (dir.back() != '/')
        dir += '/';
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return 0;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        const std::string target = SideFileTarget(name);
        if (target.empty() || (!targetName.empty() && target != targetName))
            continue;
        // An old-style "<name>.part" is only ours when it is a settings or
        // game file's; "<name>.svt" only a game's.
        const bool hidden = name[0] == '.';
        if (!hidden && target != "zivra.svt" && !EndsWith(target, ".svm") && !EndsWith(target, ".dat"))
            continue;
        names.push_back(name);
    }
    ::closedir(d);
    int removed = 0;
    for (const std::string& name : names)
        removed += RemoveIfUnheld(dir + name) ? 1 : 0;
    return removed;
}

std::string ResolveLinks(const std::string& path)
{
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        std::vector<char> buf(size_t(st.st_size > 0 ? st.st_size : 255) + 2);
        const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size() - 1);
        if (n <= 0)
            return p;
        const std::string to(buf.data(), size_t(n));
        p = to[0] == '/' ? to : FolderPart(p) + to;
    }
    return p;  // a loop of links: the save will fail at the rename or the open
}

bool KeepModeOf(const std::string& target, int fd)
{
    struct stat st;
    if (::stat(target.c_str(), &st) != 0)
        return true;
    return ::fchmod(fd, st.st_mode & 07777) == 0;
}

bool CommitSideFile(OBinWriter& w, const std::string& side, const std::string& target, std::string* error)
{
    // Renamed while still open and locked: a clean-up never takes a file that
    // is about to become the target.
    if (::rename(side.c_str(), target.c_str()) != 0) {
        if (error)
            *error = "cannot replace " + target + ": " + std::strerror(errno);
        ::unlink(side.c_str());
        w.Close();
        return false;
    }
    w.Close();
    SyncFolderOf(target);
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    const std::string target = ResolveLinks(path);
    RemoveStaleSideFiles(FolderPart(target), NamePart(target));
    OBinWriter w;
    std::string side;
    if (!CreateSideFile(target, "part", &w, &side, error))
        return false;
    const bool ok = w.Write(bytes.data(), bytes.size()) && KeepModeOf(target, w.Fd()) && w.Sync();
    if (!ok) {
        if (error)
            *error = "cannot write " + side + ": " + std::strerror(w.LastErrno() ? w.LastErrno() : errno);
        ::unlink(side.c_str());
        return false;
    }
    return CommitSideFile(w, side, target, error);
}

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* out)
{
    OBinReader r;
    if (!r.OpenFile(path) || uint64_t(r.Size()) > maxBytes)
        return false;
    out->resize(size_t(r.Size()));
    return r.Read(out->data(), out->size());
}

namespace {

// Copies up to n bytes with plain reads and writes; the count copied, or -1
// with *err set.
int64_t CopyByReadWrite(int in, int out, int64_t n, int* err)
{
    std::vector<char> buf(size_t(1) << 20);
    int64_t done = 0;
    while (done < n) {
        const ssize_t r = ::read(in, buf.data(), size_t(std::min<int64_t>(int64_t(buf.size()), n - done)));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            *err = r < 0 ? errno : EIO;  // the source shrank, or an error
            return -1;
        }
        for (ssize_t at = 0; at < r;) {
            const ssize_t w = ::write(out, buf.data() + at, size_t(r - at));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                *err = w < 0 ? errno : ENOSPC;
                return -1;
            }
            at += w;
        }
        done += r;
    }
    return done;
}

// copy_file_range stays in the kernel (and may share extents); false with
// *err when it failed for good, true with *left reduced otherwise. *fallback
// is set when the kernel or file system cannot do it.
bool CopyByRange(int in, int out, int64_t* left, bool* fallback, int* err)
{
    while (*left > 0) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(*left), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP)) {
            *fallback = true;
            return true;
        }
        if (n <= 0) {
            *err = n < 0 ? errno : EIO;
            return false;
        }
        *left -= n;
    }
    return true;
}

}  // namespace

bool CopyFileBytes(const std::string& src, const std::string& dst, int* err)
{
    *err = 0;
    const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        *err = errno;
        return false;
    }
    const int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        *err = errno;
        ::close(in);
        return false;
    }
    struct stat st;
    bool ok = ::fstat(in, &st) == 0;
    int64_t left = ok ? int64_t(st.st_size) : 0;
    bool fallback = false;
    ok = ok && CopyByRange(in, out, &left, &fallback, err);
    if (ok && fallback && left > 0)
        ok = CopyByReadWrite(in, out, left, err) == left;
    if (::close(out) != 0 && ok) {
        *err = errno;
        ok = false;
    }
    ::close(in);
    return ok;
}
