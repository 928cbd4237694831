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

// True when `path` names a regular file that opens for reading.
bool FileOpensForReading(const std::string& path);

// The process's current directory, whole; empty when it cannot be read.
std::string GetCurrentDirectoryA();

// What identifies one version of a file on disk, to notice changes made by
// another program.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t mtimeNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at `path`, or nullopt when there is none.
std::optional<FileStamp> StampFile(const std::string& path);

// Reads the whole file; nullopt when it does not open.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file at `path` with `bytes` atomically: a temporary file in the
// same folder, flushed, then renamed over the old one. Where `path` is a
// symbolic link, the file it points to is replaced. An existing file keeps its
// permissions; a new one gets 0666 less the umask. On failure the old file is
// untouched, no temporary file is left, and `reason` says why.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, std::string* reason);

}  // namespace qm
