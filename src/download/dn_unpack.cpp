// Unpacking a downloaded archive through libarchive: open, list the entries,
// read the first regular file's data. The data goes to a temporary file that
// replaces the target only once it reads as a jigsaw.
#include "download/dn_unpack.h"

#include "base/helpers.h"
#include "files/files.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxEntriesListed = 10000;  // a listing longer than this is not a jigsaw archive

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

// libarchive may answer no text at all.
std::string ErrorText(archive* a)
{
    const char* s = a ? archive_error_string(a) : nullptr;
    return s && *s ? std::string(s) : std::string("unknown error");
}

// The source of an archive: bytes in memory or a file.
struct ArchiveSource {
    const uint8_t* data = nullptr;
    size_t n = 0;
    std::string path;  // used when data is null
};

ArchivePtr OpenArchive(const ArchiveSource& src, const std::string& ext)
{
    ArchivePtr a(archive_read_new());
    if (!a)
        return nullptr;
    int r = ARCHIVE_OK;
    if (ext == "rar") {
        r = archive_read_support_format_rar(a.get());
        if (r == ARCHIVE_OK)
            r = archive_read_support_format_rar5(a.get());
    } else if (ext == "zip") {
        r = archive_read_support_format_zip(a.get());
    } else if (ext == "7z") {
        r = archive_read_support_format_7zip(a.get());
    } else {
        return nullptr;
    }
    if (r != ARCHIVE_OK)
        return nullptr;
    // No filters: the three kinds compress inside themselves.
    const int opened = src.data || src.path.empty()
                           ? archive_read_open_memory(a.get(), src.data, src.n)
                           : archive_read_open_filename(a.get(), src.path.c_str(), 64 * 1024);
    if (opened != ARCHIVE_OK)
        return nullptr;
    return a;
}

bool IsRegular(archive_entry* e) { return archive_entry_filetype(e) == AE_IFREG; }

std::string EntryName(archive_entry* e)
{
    const char* s = archive_entry_pathname_utf8(e);
    if (!s)
        s = archive_entry_pathname(e);
    return s ? std::string(s) : std::string();
}

TDnUnpackResult Failed(EDnUnpackStep step, std::string text, std::string reason = {})
{
    TDnUnpackResult r;
    r.step = step;
    r.sText = std::move(text);
    r.sReason = std::move(reason);
    return r;
}

// Writes every byte to fd; false on a write error.
bool WriteAll(int fd, const uint8_t* p, size_t n)
{
    while (n > 0) {
        const ssize_t k = ::write(fd, p, n);
        if (k < 0 && errno == EINTR)
            continue;
        if (k <= 0)
            return false;
        p += k;
        n -= static_cast<size_t>(k);
    }
    return true;
}

using DataSink = std::function<bool(const uint8_t* p, size_t n)>;

// Steps 2 to 5 over any source; the data goes to sink, at most maxUnpacked bytes.
TDnUnpackResult UnpackFirst(const ArchiveSource& src, const std::string& ext, int64_t maxUnpacked,
                            const std::string& name, const DataSink& sink)
{
    // Open: the kind the catalogue named, and nothing else.
    ArchivePtr a = OpenArchive(src, ext);
    if (!a)
        return Failed(EDnUnpackStep::Open, "Failed to open archive " + name + "!");

    // List: walk the headers up to the first regular file, the one used.
    int firstIndex = -1;
    std::string firstName;
    for (int count = 0; firstIndex < 0; ++count) {
        archive_entry* e = nullptr;
        const int r = archive_read_next_header(a.get(), &e);
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
            const std::string why = ErrorText(a.get());
            return Failed(EDnUnpackStep::List, "Error reading archive " + name + " (" + why + ")", why);
        }
        if (count >= kMaxEntriesListed)
            return Failed(EDnUnpackStep::List, "Error reading archive " + name + " (too many entries)",
                          "too many entries");
        if (IsRegular(e)) {
            firstIndex = count;
            firstName = EntryName(e);
        }
    }
    if (firstIndex < 0)
        return Failed(EDnUnpackStep::Empty, "No files found in archive " + name);

    // Unpack: reopen and read the first regular file's data, capped.
    a = OpenArchive(src, ext);
    auto unpackFail = [&](const std::string& why) {
        return Failed(EDnUnpackStep::Unpack, "Failed to unpack archive " + name + " (" + why + ")", why);
    };
    if (!a)
        return unpackFail("cannot reopen");
    for (int i = 0;; ++i) {
        archive_entry* e = nullptr;
        const int r = archive_read_next_header(a.get(), &e);
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN)
            return unpackFail(ErrorText(a.get()));
        if (i < firstIndex)
            continue;
        if (archive_entry_size_is_set(e) && archive_entry_size(e) > maxUnpacked)
            return unpackFail("the file is too large");
        break;
    }
    std::vector<uint8_t> buf(64 * 1024);
    int64_t total = 0;
    for (;;) {
        const la_ssize_t k = archive_read_data(a.get(), buf.data(), buf.size());
        if (k == 0)
            break;
        if (k < 0)
            return unpackFail(ErrorText(a.get()));
        total += k;
        if (total > maxUnpacked)
            return unpackFail("the file is too large");
        if (!sink(buf.data(), static_cast<size_t>(k)))
            return Failed(EDnUnpackStep::Write, "Failed: fileHandleForWritingAtPath");
    }
    TDnUnpackResult ok;
    ok.sFirstName = firstName;
    return ok;
}

}  // namespace

bool DnArchiveExtKnown(const std::string& ext) { return ext == "rar" || ext == "zip" || ext == "7z"; }

TDnUnpackResult DnUnpackFirstFile(const uint8_t* data, size_t n, const std::string& ext, int64_t maxUnpacked,
                                  std::vector<uint8_t>* out, const std::string& name)
{
    out->clear();
    ArchiveSource src;
    src.data = data ? data : reinterpret_cast<const uint8_t*>("");
    src.n = n;
    TDnUnpackResult r = UnpackFirst(src, ext, maxUnpacked, name, [out](const uint8_t* p, size_t k) {
        out->insert(out->end(), p, p + k);
        return true;
    });
    if (r.step != EDnUnpackStep::Ok)
        out->clear();
    return r;
}

TDnUnpackResult ExtractArchive(const std::string& archivePath, const std::string& target, const std::string& ext,
                               int64_t maxUnpacked)
{
    if (!FileExists(archivePath))
        return Failed(EDnUnpackStep::Missing, "'" + archivePath + "' does not exist!");

    // A side file of our own naming in the target's folder (so the rename is
    // atomic), with the jigsaw extension; created exclusively.
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
    std::string temp;
    int fd = -1;
    for (int i = 0; i < 100 && fd < 0; ++i) {
        temp = dir + "/.download-" + std::to_string(::getpid()) + "-" + std::to_string(i) + "." +
               FileNames.sSetJigExt;
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Failed(EDnUnpackStep::Write, "Failed: fileHandleForWritingAtPath " + temp);

    ArchiveSource src;
    src.path = archivePath;
    TDnUnpackResult r = UnpackFirst(src, ext, maxUnpacked, archivePath,
                                    [fd](const uint8_t* p, size_t k) { return WriteAll(fd, p, k); });
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (r.step == EDnUnpackStep::Ok && !(synced && closed))
        r = Failed(EDnUnpackStep::Write, "Failed: fileHandleForWritingAtPath " + temp);
    if (r.step == EDnUnpackStep::Write && r.sText == "Failed: fileHandleForWritingAtPath")
        r.sText += " " + temp;
    if (r.step != EDnUnpackStep::Ok) {
        DeleteFile(temp);
        return r;
    }
    TJigFileInfo info;
    if (!JigFile_ReadInfo(temp, &info)) {
        DeleteFile(temp);
        return Failed(EDnUnpackStep::NotJigsaw,
                      "Failed to unpack archive " + archivePath + " (the file in it is not a jigsaw)",
                      "not a jigsaw");
    }
    if (!RenameFile(target, temp)) {
        DeleteFile(temp);
        return Failed(EDnUnpackStep::Write, "Failed: RenameFile " + target);
    }
    return r;
}
