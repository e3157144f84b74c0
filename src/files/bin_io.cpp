#include "files/bin_io.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
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

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    const std::string side = path + ".part";
    OBinWriter w;
    if (!w.Create(side)) {
        if (error)
            *error = "cannot create " + side + ": " + std::strerror(w.LastErrno());
        return false;
    }
    bool ok = w.Write(bytes.data(), bytes.size()) && w.Sync();
    const int err = w.LastErrno();
    ok = w.Close() && ok;
    if (ok && ::rename(side.c_str(), path.c_str()) != 0) {
        ok = false;
        if (error)
            *error = "cannot replace " + path + ": " + std::strerror(errno);
    } else if (!ok && error) {
        *error = "cannot write " + side + ": " + std::strerror(err ? err : w.LastErrno());
    }
    if (!ok) {
        ::unlink(side.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
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
