// File-system services on POSIX.
//
// Directory search: a folder's entries in the order the program's own platform
// lists them, "." and ".." first and the rest by their upper-case form. Names
// are found whatever their case, as that platform's file system finds them.
#include "platform/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <system_error>

#include "platform/text.h"

namespace qm {
namespace {

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

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path.push_back('/');
    path.append(name);
    return path;
}

// The folder part of `path`: "." when it has none, "/" for a file in the root.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows `path` through symbolic links to the file they end at, which need
// not exist yet. Returns false with errno set when the chain does not end.
bool FollowLinks(const std::string& path, std::string* target) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            *target = current;
            return true;
        }
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 256), '\0');
        for (;;) {
            const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
            if (n < 0) return false;
            if (static_cast<std::size_t>(n) < link.size()) {
                link.resize(static_cast<std::size_t>(n));
                break;
            }
            link.resize(link.size() * 2);
        }
        if (link.empty()) {
            errno = ENOENT;
            return false;
        }
        current = link.front() == '/' ? link : JoinPath(FolderOf(current), link);
    }
    errno = ELOOP;
    return false;
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

// Creates a new file beside `target` that no other writer can have opened.
int CreateTemporaryBeside(const std::string& target, mode_t mode, std::string* tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = FolderOf(target);
    std::string stem = ".";
    stem.append(NameOf(target)).append(".tmp-").append(std::to_string(::getpid())).push_back('-');
    const auto clock = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempPath = JoinPath(folder, stem + std::to_string(clock % 1000000) + "-" +
                                         std::to_string(counter.fetch_add(1)));
        const int fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
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

bool FileOpensForReading(const std::string& path) {
    // Non-blocking, so that a named pipe does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
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
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    stamp.mtimeNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                    static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return stamp;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, std::string* reason) {
    const auto fail = [&](std::string_view what, int error) {
        if (reason) *reason = std::string(what) + ": " + ErrorText(error);
        return false;
    };

    std::string target;
    if (!FollowLinks(path, &target)) return fail("Cannot follow the link " + path, errno);

    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;

    // A new file takes 0666 less the umask from open itself; the copy of an
    // existing one stays private until it has that file's permissions.
    std::string temp;
    const int fd = CreateTemporaryBeside(target, existed ? 0600 : 0666, &temp);
    if (fd < 0) return fail("Cannot create a file in " + FolderOf(target), errno);

    const auto abandon = [&](std::string_view what, int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(what, error);
    };
    if (!WriteAll(fd, bytes)) return abandon("Cannot write " + temp, errno);
    if (existed) {
        if (::fchmod(fd, old.st_mode & 07777) != 0) return abandon("Cannot set the permissions of " + temp, errno);
        // Only the superuser can give the copy the old file's owner; a copy
        // that cannot keep them is still written.
        if (::geteuid() == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        }
    }
    if (::fsync(fd) != 0) return abandon("Cannot flush " + temp, errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return fail("Cannot write " + temp, error);
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
