// Checked binary input and output for the game's file formats.
//
// OBinReader reads a file or a memory block; every read is checked against
// the end, so a length field from a hostile file can be compared with what is
// really there before anything is allocated. OBinWriter writes a file through
// a descriptor and fails on any short write, so a full disk is never mistaken
// for success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Unsigned integers in memory, least or most significant byte first.
inline uint32_t LE16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
inline uint32_t LE32(const uint8_t* p) { return LE16(p) | LE16(p + 2) << 16; }
inline uint32_t BE16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
inline uint32_t BE32(const uint8_t* p) { return BE16(p) << 16 | BE16(p + 2); }

class OBinReader {
public:
    OBinReader(const uint8_t* data, size_t size);  // a memory block (not owned)
    OBinReader() = default;
    ~OBinReader();
    OBinReader(OBinReader&& other) noexcept;
    OBinReader& operator=(OBinReader&& other) noexcept;
    OBinReader(const OBinReader&) = delete;
    OBinReader& operator=(const OBinReader&) = delete;

    bool OpenFile(const std::string& path);  // false when it cannot be opened or is not a file
    bool IsOpen() const { return fd_ >= 0 || mem_ != nullptr; }
    int64_t Size() const { return size_; }
    int64_t Pos() const { return pos_; }
    int64_t Left() const { return size_ - pos_; }
    bool Seek(int64_t pos);                  // false outside 0..Size()
    bool Read(void* dst, size_t n);          // all n bytes or false (position unchanged)
    bool ReadU32(uint32_t* v);               // little-endian
    bool ReadI32(int32_t* v);
    bool Skip(int64_t n);

private:
    int fd_ = -1;
    const uint8_t* mem_ = nullptr;
    int64_t size_ = 0;
    int64_t pos_ = 0;
};

class OBinWriter {
public:
    OBinWriter() = default;
    ~OBinWriter();  // closes without syncing
    OBinWriter(const OBinWriter&) = delete;
    OBinWriter& operator=(const OBinWriter&) = delete;

    // Creates or empties the file (mode 0644).
    bool Create(const std::string& path);
    // Creates a new file that must not exist yet (mode 0666 less the umask)
    // and holds an exclusive lock on it until it is closed. False with
    // LastErrno() EEXIST when the name is taken, or ESTALE when the file was
    // removed before the lock was taken (a start-up clean-up got there first).
    bool CreateLocked(const std::string& path);
    // Opens an existing file for reading and writing in place.
    bool OpenUpdate(const std::string& path);
    bool Write(const void* src, size_t n);   // every byte or false
    bool WriteU32(uint32_t v);
    bool WriteI32(int32_t v);
    bool Seek(int64_t pos);
    int64_t Pos() const { return pos_; }
    bool Sync();                             // fsync
    bool Close();                            // false when close reports an error
    int Fd() const { return fd_; }
    int LastErrno() const { return errno_; }

private:
    int fd_ = -1;
    int64_t pos_ = 0;
    int errno_ = 0;
};

// ---- Side files ------------------------------------------------------------------
// A side file is what a save writes before it renames it over its target: a
// new file in the target's own folder (a rename never crosses file systems),
// named ".<target name>.<8 hex digits>.<ext>" so that it can be recognised,
// created exclusively (two saves never share one) and locked while it is
// open, so that a clean-up can tell a live save's file from a leftover.
// False with *error when no side file could be made.
bool CreateSideFile(const std::string& target, const std::string& ext, OBinWriter* w, std::string* side,
                    std::string* error = nullptr);
// The target file name a side file name belongs to ("" when name is not one).
// Also recognises the names older versions used: "<target>.part", "<target>.svt".
std::string SideFileTarget(const std::string& name);
// Removes the side files in folder (ending "/" or not) that no running save
// holds: of targetName only, or of any target when targetName is empty.
// Answers how many were removed.
int RemoveStaleSideFiles(const std::string& folder, const std::string& targetName = {});
// The file a path finally names when symbolic links are followed (a link to
// a link too); the path itself when it is no link. A save writes there, so
// that the link stays a link and its target gets the new game.
std::string ResolveLinks(const std::string& path);
// Gives the open file fd the permission bits of the existing file target
// (nothing when target does not exist). False when they cannot be set.
bool KeepModeOf(const std::string& target, int fd);
// Renames side over target, then closes w (releasing its lock) and syncs the
// folder. On failure the side file is removed and target is as it was.
bool CommitSideFile(OBinWriter& w, const std::string& side, const std::string& target, std::string* error);

// Syncs a folder so that a rename inside it survives a crash.
bool SyncFolderOf(const std::string& path);
// Writes bytes to a side file beside path, syncs it, renames it over path and
// syncs the folder. On failure path is as it was and the side file is gone.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
// Copies src's bytes into a new (or emptied) file dst, unsynced; false with
// errno's value in *err on any failure (dst may then be partial).
bool CopyFileBytes(const std::string& src, const std::string& dst, int* err);
// The whole file, at most maxBytes; false when unreadable or larger.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* out);
