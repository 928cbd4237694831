// File-system services on POSIX.
//
// Directory search: a folder's entries in the order the program's own platform
// lists them, "." and ".." first and the rest by their upper-case form. Names
// are found whatever their case, as that platform's file system finds them.
#include "platform/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/text.h"

namespace qm {
namespace {

namespace stdfs = std::filesystem;

std::string ErrorText(int error) { return std::generic_category().message(error); }

// Orders two names as the directory search lists them: unsigned bytes once a
// to z are turned into A to Z, names equal by that key in plain byte order.
bool ListsBefore(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(ToUpperAscii(a[i]));
        const auto y = static_cast<unsigned char>(ToUpperAscii(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

// The entry of `folder` equal to `name` without regard to case that the
// directory search lists first, or nullopt. Entries equal by the listing key
// come in plain byte order, so the first is the byte-wise least of the matches.
std::optional<std::string> FirstNameNoCase(const std::string& folder, std::string_view name) {
    if (name.empty()) return std::nullopt;
    if (IsDotEntry(name)) return std::string(name);
    DirPtr dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view candidate(entry->d_name);
        if (!EqualsNoCase(candidate, name)) continue;
        if (!best || candidate < *best) best = std::string(candidate);
    }
    return best;
}

bool EntryExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The folder part of `path`: "." when it has none, "/" for a file in the root.
std::string FolderOf(const std::string& path) {
    std::string folder = stdfs::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string NameOf(const std::string& path) { return stdfs::path(path).filename().string(); }

// Follows `path` through symbolic links to the file they end at, which need
// not exist yet. A relative link is taken from the folder the link lies in.
std::error_code FollowLinks(const std::string& path, std::string* target) {
    stdfs::path current = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!stdfs::is_symlink(stdfs::symlink_status(current, error))) {
            *target = current.string();
            return {};
        }
        const stdfs::path link = stdfs::read_symlink(current, error);
        if (error) return error;
        current = current.parent_path() / link;  // an absolute link replaces it all
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

// Opens `path` (links followed) for reading and reads the open descriptor's
// status, or -1 with errno set. Raw calls: the open is non-blocking, so that a
// named pipe does not wait for a writer, and does not make a terminal this
// process's own; the callers go by the descriptor's own type, so nothing can
// be swapped in between.
int OpenForReading(const std::string& path, struct stat* info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::fstat(fd, info) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

FileStamp StampOf(const struct stat& info) {
    const auto ns = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + static_cast<std::int64_t>(time.tv_nsec);
    };
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    stamp.mtimeNs = ns(info.st_mtim);
    stamp.ctimeNs = ns(info.st_ctim);
    return stamp;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Temporaries beside a file are named ".<name>.tmp-<pid>-<n>", so that a later
// save can tell which process made each one.
std::string TemporaryStem(const std::string& target) {
    std::string stem = ".";
    stem.append(NameOf(target)).append(".tmp-");
    return stem;
}

std::string NextTemporaryPath(const std::string& target) {
    static unsigned counter = 0;
    std::string name = TemporaryStem(target);
    name.append(std::to_string(::getpid())).push_back('-');
    name.append(std::to_string(counter++));
    return (stdfs::path(FolderOf(target)) / name).string();
}

// The process that made the temporary `entry` of the file with temporaries
// named from `stem`; 0 when `entry` is not one of them.
pid_t TemporaryOwner(std::string_view entry, std::string_view stem) {
    if (!entry.starts_with(stem)) return 0;
    entry.remove_prefix(stem.size());
    const std::size_t dash = entry.find('-');
    if (dash == std::string_view::npos) return 0;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(entry.data(), entry.data() + dash, pid);
    if (error != std::errc() || end != entry.data() + dash || pid <= 0) return 0;
    return pid;
}

// True when no running process has the id `pid`, or it is this one (which
// names each temporary only to rename it at once): its temporaries are
// leftovers of a process killed in the middle of a save. A process of another
// user is running too (EPERM).
bool TemporaryIsStale(pid_t pid) { return pid == ::getpid() || (::kill(pid, 0) != 0 && errno == ESRCH); }

// Removes the temporaries of `target` that processes no longer running left
// in its folder. Others' files and a running program's temporaries stay.
void RemoveStaleTemporaries(const std::string& target) {
    DirPtr dir(::opendir(FolderOf(target).c_str()));
    if (!dir) return;
    const std::string stem = TemporaryStem(target);
    while (const dirent* entry = ::readdir(dir.get())) {
        const pid_t owner = TemporaryOwner(entry->d_name, stem);
        if (owner != 0 && TemporaryIsStale(owner)) ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}

// A new file in the folder of `target` with no name yet (O_TMPFILE), so that a
// process killed while it writes leaves nothing behind; -1 where the kernel or
// the file system has no such files.
int CreateUnnamedBeside(const std::string& target, mode_t mode) {
#ifdef O_TMPFILE
    return ::open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
#else
    (void)target;
    (void)mode;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

// Gives the unnamed file `fd` a temporary name beside `target`, just before it
// is renamed over it. Linking through /proc is open to every user; linking the
// descriptor itself (AT_EMPTY_PATH) needs CAP_DAC_READ_SEARCH, so it serves
// only where /proc is missing.
bool NameUnnamed(int fd, const std::string& target, std::string* tempPath) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempPath = NextTemporaryPath(target);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tempPath->c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno == EEXIST) continue;
        if (::linkat(fd, "", AT_FDCWD, tempPath->c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

// Creates a new named file beside `target` that no other writer can have
// opened (O_EXCL), where unnamed files cannot be had.
int CreateNamedBeside(const std::string& target, mode_t mode, std::string* tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempPath = NextTemporaryPath(target);
        const int fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes the new contents into the temporary `fd`, gives it the permissions
// of the file it replaces, if any, and flushes it to the disk. 0, or the
// error.
int FillTemporary(int fd, std::string_view bytes, const struct stat* old) {
    if (!WriteAll(fd, bytes)) return errno;
    if (old) {
        // Only the superuser can give the copy the old file's owner; a copy
        // that cannot keep them is still written. The owner first: changing
        // it clears the set-id bits.
        if (::geteuid() == 0 && ::fchown(fd, old->st_uid, old->st_gid) != 0) {
        }
        if (::fchmod(fd, old->st_mode & 07777) != 0) return errno;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder) {
    DirPtr dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return std::nullopt;
    const int dirFd = ::dirfd(dir.get());
    std::vector<DirEntry> entries;
    entries.push_back({".", true});
    entries.push_back({"..", true});
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        DirEntry item{entry->d_name, false};
        if (IsDotEntry(item.name)) continue;
        if (entry->d_type == DT_DIR) {
            item.isDirectory = true;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            item.isDirectory = ::fstatat(dirFd, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(item));
        errno = 0;
    }
    if (errno != 0) return std::nullopt;
    std::sort(entries.begin() + 2, entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return ListsBefore(a.name, b.name); });
    return entries;
}

std::string ResolvePathNoCase(const std::string& path) {
    if (path.empty() || EntryExists(path)) return path;

    std::string resolved;
    resolved.reserve(path.size());
    std::size_t start = 0;
    bool first = true;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view component(path.data() + start, end - start);
        // The folder this component lies in: the current one for the first
        // component of a relative path, the root after a leading separator.
        const std::string folder = first ? "." : (resolved.empty() ? "/" : resolved);
        if (!first) resolved.push_back('/');
        if (component.empty() || IsDotEntry(component)) {
            resolved.append(component);
        } else {
            const std::size_t keep = resolved.size();
            resolved.append(component);
            if (!EntryExists(resolved)) {
                const auto found = FirstNameNoCase(folder, component);
                if (!found) {
                    // Not found whatever its case: the rest stays as spelled.
                    resolved.resize(keep);
                    resolved.append(path, start, std::string::npos);
                    return resolved;
                }
                resolved.resize(keep);
                resolved.append(*found);
            }
        }
        first = false;
        start = end + 1;
    }
    return resolved;
}

ReadableFiles::ReadableFiles() : user_(::geteuid()), group_(::getegid()) {}

bool ReadableFiles::Opens(const std::string& path) const {
    // The common answer comes from one status call, without an open and a
    // close: a regular file that the permission bits let this process read.
    // Whenever the bits alone cannot say yes (only another class's bits grant
    // it, supplementary groups, the superuser's override), a real open
    // answers. Only an access-control list or a security module that denies
    // what the bits grant goes unseen.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const mode_t mode = info.st_mode;
    const bool readable = info.st_uid == user_ ? (mode & S_IRUSR) != 0
                                               : ((mode & S_IRGRP) && (mode & S_IROTH)) ||
                                                     (info.st_gid == group_ && (mode & S_IRGRP));
    if (readable) return true;
    const int fd = OpenForReading(path, &info);
    if (fd < 0) return false;
    ::close(fd);
    return S_ISREG(info.st_mode);
}

std::string GetCurrentDirectoryA() {
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(std::char_traits<char>::length(buffer.c_str()));
            return buffer;
        }
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<FileStamp> StampFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return StampOf(info);
}

FileContents ReadFileWithStamp(const std::string& path, std::int64_t maxBytes) {
    FileContents read;
    struct stat info {};
    const int fd = OpenForReading(path, &info);
    if (fd < 0) {
        const int error = errno;
        read.reason = ErrorText(error);
        // Nothing at the path as far as the open could see; anything else
        // is a file that is there and does not read.
        if (error != ENOENT && error != ENOTDIR) read.stamp = StampFile(path);
        return read;
    }
    read.stamp = StampOf(info);
    const auto giveUp = [&](std::string why) {
        ::close(fd);
        read.reason = std::move(why);
        return std::move(read);
    };
    if (!S_ISREG(info.st_mode)) return giveUp("it is not a regular file");
    const auto limit = static_cast<std::size_t>(std::max<std::int64_t>(maxBytes, 0));
    const auto tooLarge = [&] { return giveUp("it is larger than " + std::to_string(limit) + " bytes"); };
    if (static_cast<std::uint64_t>(info.st_size) > limit) return tooLarge();

    // One byte more than the file holds, so that its end is seen at once.
    std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {  // the file grew while it was read
            if (used > limit) return tooLarge();
            bytes.resize(std::min(bytes.size() * 2, limit + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            return giveUp(ErrorText(errno));
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(used);
    read.bytes = std::move(bytes);
    return read;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string* reason, std::int64_t maxBytes) {
    FileContents read = ReadFileWithStamp(path, maxBytes);
    if (!read.bytes && reason) *reason = std::move(read.reason);
    return std::move(read.bytes);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, std::string* reason) {
    const auto refuse = [&](std::string what) {
        if (reason) *reason = std::move(what);
        return false;
    };
    const auto fail = [&](std::string what, int error) {
        what.append(": ").append(ErrorText(error));
        return refuse(std::move(what));
    };

    std::string target;
    if (const std::error_code error = FollowLinks(path, &target))
        return fail("Cannot follow the link " + path, error.value());

    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed) {
        if (S_ISDIR(old.st_mode)) return fail("Cannot replace " + target, EISDIR);
        if (!S_ISREG(old.st_mode)) return refuse("Cannot replace " + target + ": it is not a regular file");
        // The platform refuses to write a file with the read-only attribute,
        // whoever asks; the superuser passes every access check, so the
        // permission bits decide.
        if ((old.st_mode & 0222) == 0) return refuse("Cannot replace " + target + ": the file is read-only");
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return fail("Cannot replace " + target, errno);
    }
    RemoveStaleTemporaries(target);

    // A new file takes 0666 less the umask from open itself; the copy of an
    // existing one stays private until it has that file's permissions.
    const mode_t mode = existed ? 0600 : 0666;
    const struct stat* keep = existed ? &old : nullptr;
    std::string temp;
    int fd = CreateUnnamedBeside(target, mode);
    if (fd >= 0) {
        if (const int error = FillTemporary(fd, bytes, keep); error != 0) {
            ::close(fd);
            return fail("Cannot write the new contents of " + target, error);
        }
        if (!NameUnnamed(fd, target, &temp)) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0) {
        fd = CreateNamedBeside(target, mode, &temp);
        if (fd < 0) return fail("Cannot create a file in " + FolderOf(target), errno);
        if (const int error = FillTemporary(fd, bytes, keep); error != 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return fail("Cannot write the new contents of " + target, error);
        }
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return fail("Cannot write the new contents of " + target, error);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return fail("Cannot replace " + target, error);
    }
    // The new name reaches the disk with the folder. The file is replaced
    // whatever this gives.
    const int folderFd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

}  // namespace qm
