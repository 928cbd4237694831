// File-system services as the program expects them of Windows: directory
// search in the order the platform lists a folder, names found whatever their
// case, the current directory, and files replaced atomically.
//
// The path separator is '/'. A doubled separator is harmless.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct DirEntry {
    std::string name;
    bool isDirectory = false;
};

// The entries of a folder as the platform's directory search returns them:
// "." and ".." first, then every other name in byte order after turning a to z
// into upper case (equal keys in plain byte order). Symbolic links count as
// what they point to. nullopt when the folder is missing or cannot be listed.
std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder);

// The path as the platform would find it: each component that does not exist
// as spelled is replaced by the first entry of its folder that equals it
// without regard to case. A path that exists as spelled comes back unchanged
// at the cost of one status call. When a component cannot be found, the
// components from there on are kept as spelled.
std::string ResolvePathNoCase(const std::string& path);

// Whether files name regular files that open for reading, asked of many files
// in a row (a folder scan asks it of every thumbnail). A named pipe does not
// make it wait for a writer. The process's user and group are read once, when
// made: one status call a file where the permission bits tell, an open where
// they don't.
class ReadableFiles {
public:
    ReadableFiles();
    bool Opens(const std::string& path) const;

private:
    unsigned user_;
    unsigned group_;
};

// The process's current directory, whole; empty when it cannot be read.
std::string GetCurrentDirectoryA();

// What identifies one version of a file on disk, to notice changes made by
// another program. The change time is in it because no program can set it
// back: a change that keeps the size, the inode and the modification time
// (which any program can restore) still changes it.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at `path`, or nullopt when there is none.
std::optional<FileStamp> StampFile(const std::string& path);

// The largest file ReadFileWithStamp reads unless told otherwise. Real aircraft.cfg
// files are under 100 KB and a category file of 100,000 entries is about 20 MB;
// 64 MiB leaves three times that, while a link to /dev/zero or a huge file in
// the aircraft folder cannot take the memory of the machine.
inline constexpr std::int64_t LargestFileRead = std::int64_t{64} << 20;

// What one read of a file found.
struct FileContents {
    // The bytes of the regular file (links followed); nullopt when it was not
    // read, with `reason` saying why.
    std::optional<std::string> bytes;
    // The stamp of the version read, taken from the open file itself, so it
    // names exactly the bytes read; for a file that is there but was not read,
    // its stamp at the path. nullopt when there is no file at the path.
    std::optional<FileStamp> stamp;
    std::string reason;
};

// Reads the regular file at `path` (links followed), at most `maxBytes` of
// it. Not read: no such file, it does not open, it is anything but a regular
// file (folder, device, pipe, socket), or it is larger.
FileContents ReadFileWithStamp(const std::string& path, std::int64_t maxBytes = LargestFileRead);

// The bytes ReadFileWithStamp reads, nullopt with `reason` saying why not.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string* reason = nullptr,
                                         std::int64_t maxBytes = LargestFileRead);

// Replaces the file at `path` with `bytes` atomically: the new contents are
// written and flushed in the same folder, then renamed over the old file, so
// the file is always either the old or the new contents, whole. Where `path` is
// a symbolic link, the file it points to is replaced. An existing file keeps
// its permissions (and, for the superuser, its owner); a new one gets 0666 less
// the umask. A read-only file (no write permission bit set, as the platform's
// read-only attribute) and one this process may not write are refused, as is
// anything but a regular file.
//
// On failure the old file is untouched, no temporary file is left, and
// `reason` says why. The temporaries that processes killed in the middle of
// a save left beside the file are removed.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, std::string* reason);

}  // namespace qm
