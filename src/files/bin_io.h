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
