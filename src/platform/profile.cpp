// The process's private-profile store: the files it has read, parsed and
// indexed (profile_file.h), the user actions, and the saving of changes.
#include "platform/profile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "platform/fs.h"
#include "platform/profile_file.h"
#include "platform/text.h"

namespace qm {

namespace {

using profile::ProfileFile;

// Clean parsed files kept between uses; a folder scan reads thousands of
// files once each, and must not keep them all.
constexpr std::size_t CleanFilesKept = 16;
// Paths as given -> paths as found on disk, kept for the current action.
constexpr std::size_t ResolvedPathsKept = 256;

// One spelling per file: "a//b" is "a/b".
std::string SingleSeparators(std::string path) {
    const auto end = std::unique(path.begin(), path.end(), [](char a, char b) { return a == '/' && b == '/'; });
    path.erase(end, path.end());
    return path;
}

struct CachedFile {
    std::string path;  // as found on disk (ResolvePathNoCase)
    // The contents; null while the file is missing (or unreadable) and unwritten.
    std::unique_ptr<ProfileFile> content;
    std::optional<FileStamp> stamp;  // of the version on disk that `content` holds
    std::string unreadable;          // why the file that is there cannot be read; empty when it can
    bool dirty = false;              // changed since read or saved
    std::uint64_t checkedIn = 0;     // the action in which the stamp was last checked
    std::uint64_t lastUse = 0;
};

// The cells of a section's numbered keys, from one pass over its keys: the
// value of the first key of each name, by row and suffix, and with `lines`
// the line that key stands on.
class NumberedKeys {
public:
    enum class Lines : bool { No, Kept };

    NumberedKeys(const ProfileFile& file, std::string_view section, std::string_view prefix,
                 std::span<const std::string_view> suffixes, Lines lines = Lines::No)
        : width_(suffixes.size()) {
        // 24 bytes a key, allocated once at the section's key count. At
        // 300,000 keys, 40-byte matches in a list grown by doubling reached
        // 21 MB, above the size from which the C library maps fresh pages
        // for a block, and the walk took 33 ms with their 1,900 page faults
        // instead of 12 ms.
        struct Match {
            const char* value;  // null: the key has no value
            std::uint32_t valueLen;
            std::uint32_t row;
            std::uint32_t suffix;
            ProfileFile::KeyLine line;
        };
        std::vector<Match> matches;
        matches.reserve(file.KeyCount(section));
        std::size_t firstSuffixKeys = 0;
        file.ForEachKey(section,
                        [&](std::string_view name, std::optional<std::string_view> value, ProfileFile::KeyLine line) {
                            const std::optional<std::pair<std::uint32_t, std::uint32_t>> cell =
                                CellOf(name, prefix, suffixes);
                            if (!cell) return;
                            firstSuffixKeys += cell->second == 0;
                            if (!value && lines == Lines::No) return;
                            matches.push_back({value ? value->data() : nullptr,
                                               value ? static_cast<std::uint32_t>(value->size()) : 0, cell->first,
                                               cell->second, line});
                        });
        // A run is no longer than the keys with its first suffix, so rows
        // beyond that count are never asked for (nor allocated for, whatever
        // numbers a file holds).
        std::size_t rows = 0;
        for (const Match& m : matches)
            if (m.row < firstSuffixKeys) rows = std::max<std::size_t>(rows, m.row + 1);
        cells_.resize(rows * width_);
        if (lines == Lines::Kept) lines_.resize(rows * width_);
        for (const Match& m : matches) {
            if (m.row >= rows) continue;
            const std::size_t i = m.row * width_ + m.suffix;
            if (m.value) cells_[i] = std::string_view(m.value, m.valueLen);
            if (lines == Lines::Kept) lines_[i] = m.line;
        }
    }

    // The stored value of row n's key with suffix f, or nullopt.
    std::optional<std::string_view> At(int n, std::size_t f) const {
        const auto i = static_cast<std::size_t>(n) * width_ + f;
        return n >= 0 && i < cells_.size() ? cells_[i] : std::nullopt;
    }

    // The line of row n's key with suffix f (Lines::Kept), or nullopt when
    // the key is not in the file.
    std::optional<ProfileFile::KeyLine> LineOf(int n, std::size_t f) const {
        const auto i = static_cast<std::size_t>(n) * width_ + f;
        return n >= 0 && i < lines_.size() ? lines_[i] : std::nullopt;
    }

private:
    // The row and suffix of a key named "<prefix><n><suffix>" (without regard
    // to case), n written as "%d" writes it: no sign, no leading zero.
    static std::optional<std::pair<std::uint32_t, std::uint32_t>> CellOf(
        std::string_view name, std::string_view prefix, std::span<const std::string_view> suffixes) {
        if (name.size() <= prefix.size() || !EqualsNoCase(name.substr(0, prefix.size()), prefix)) return std::nullopt;
        const char* const digits = name.data() + prefix.size();
        const char* const end = name.data() + name.size();
        if (*digits < '0' || *digits > '9') return std::nullopt;
        std::uint32_t n = 0;
        const char* after = digits + 1;  // "0" stands alone
        if (*digits != '0') {
            const std::from_chars_result r = std::from_chars(digits, end, n);
            if (r.ec != std::errc() || n > static_cast<std::uint32_t>(INT_MAX)) return std::nullopt;
            after = r.ptr;
        }
        const std::string_view rest(after, static_cast<std::size_t>(end - after));
        for (std::size_t f = 0; f < suffixes.size(); ++f)
            if (EqualsNoCase(rest, suffixes[f])) return std::pair{n, static_cast<std::uint32_t>(f)};
        return std::nullopt;
    }

    std::size_t width_;
    std::vector<std::optional<std::string_view>> cells_;
    std::vector<std::optional<ProfileFile::KeyLine>> lines_;
};

// A stored value as a read of `size` bytes gives it: nullopt for a missing
// key and for one that reads as UndefinedMarker, as ReadProfileValue has it.
std::optional<std::string_view> AsRead(std::optional<std::string_view> stored, std::size_t size) {
    if (!stored) return std::nullopt;
    const std::string_view value = profile::ValueAsRead(*stored, size);
    if (value == UndefinedMarker) return std::nullopt;
    return value;
}

// An action reports each file once, with the first reason it met.
void AddFailure(std::vector<SaveFailure>& failures, SaveFailure failure) {
    for (const SaveFailure& known : failures)
        if (known.path == failure.path) return;
    failures.push_back(std::move(failure));
}

class Store {
public:
    static Store& Instance() {
        static Store store;
        return store;
    }

    void Begin() {
        if (depth_++ == 0) ++action_;
    }

    std::vector<SaveFailure> End() {
        if (depth_ == 0 || --depth_ > 0) return {};
        std::vector<SaveFailure> failures;
        failures.swap(refused_);
        std::vector<CachedFile*> dirty;
        dirty.swap(dirty_);
        for (CachedFile* file : dirty) {
            std::string reason;
            if (!Save(*file, &reason)) {
                AddFailure(failures, {file->path, reason});
                Drop(file);
            }
        }
        EvictOverflow(nullptr);
        return failures;
    }

    // A call made outside any action is an action of its own.
    class Scope {
    public:
        Scope() { Instance().Begin(); }
        ~Scope() {
            if (!ended_) Instance().End();
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        std::vector<SaveFailure> End() {
            ended_ = true;
            return Instance().End();
        }

    private:
        bool ended_ = false;
    };

    std::string Read(std::string_view section, std::string_view key, std::string_view def,
                     std::size_t size, const std::string& path) {
        CachedFile& file = Acquire(path);
        if (file.content) {
            const std::string_view s = profile::CleanName(section, scratchSection_);
            const std::string_view k = profile::CleanName(key, scratchKey_);
            if (const auto value = file.content->Find(s, k)) return std::string(profile::ValueAsRead(*value, size));
        }
        return std::string(CutToBuffer(def, size));
    }

    std::vector<std::string> SectionNames(const std::string& path) {
        CachedFile& file = Acquire(path);
        return file.content ? file.content->SectionNames() : std::vector<std::string>{};
    }

    // Returns false when the write was refused.
    bool Write(std::string_view section, std::optional<std::string_view> key,
               std::optional<std::string_view> value, const std::string& path) {
        CachedFile& file = Acquire(path);
        const std::string_view s = profile::CleanName(section, scratchSection_);
        if (!key || !value) {
            // Removals; on a missing file there is nothing to remove.
            if (!file.content) return true;
            const bool changed = key ? file.content->RemoveKey(s, profile::CleanName(*key, scratchKey_))
                                     : file.content->RemoveSection(s);
            if (changed) MarkDirty(file);
            return true;
        }
        const std::string_view k = profile::CleanName(*key, scratchKey_);
        if (!profile::IsWritableKey(k)) {
            AddFailure(refused_, {file.path, "the key name \"" + std::string(k) +
                                                 "\" cannot be stored in a profile file"});
            return false;
        }
        if (!file.unreadable.empty()) {
            AddFailure(refused_, {file.path, "the file exists but cannot be read: " + file.unreadable});
            return false;
        }
        if (!file.content) file.content = std::make_unique<ProfileFile>();
        if (file.content->SetValue(s, k, profile::CleanValue(*value, scratchValue_))) MarkDirty(file);
        return true;
    }

    void ForEachRow(std::string_view section, std::string_view prefix, std::span<const std::string_view> suffixes,
                    std::size_t size, const std::string& path,
                    const std::function<bool(int, ProfileRow)>& visit) {
        CachedFile& file = Acquire(path);
        if (!file.content) return;
        const NumberedKeys keys(*file.content, profile::CleanName(section, scratchSection_), prefix, suffixes);
        std::vector<std::optional<std::string_view>> row(suffixes.size());
        for (int n = 0;; ++n) {
            for (std::size_t f = 0; f < suffixes.size(); ++f) row[f] = AsRead(keys.At(n, f), size);
            if (row.empty() || !row[0] || !visit(n, row)) return;
        }
    }

    void MoveRowsDown(std::string_view section, std::string_view prefix, std::span<const std::string_view> suffixes,
                      int removed, std::size_t runReadSize, const std::string& path) {
        CachedFile& file = Acquire(path);
        if (!file.content) return;  // nothing to read, nothing to remove
        ProfileFile& content = *file.content;
        const std::string_view s = profile::CleanName(section, scratchSection_);
        // The values moved are views into the file's lines; an edit replaces
        // a line without freeing the text it had, and each row is read before
        // the move into it. A key that is in the file is rewritten at its
        // line, with no look-up by name (a 100,000-entry category moves
        // 300,000 values).
        const NumberedKeys keys(content, s, prefix, suffixes, NumberedKeys::Lines::Kept);
        // The rows ForEachRow visits at runReadSize.
        int end = 0;
        if (!suffixes.empty())
            while (AsRead(keys.At(end, 0), runReadSize)) ++end;
        std::string& key = scratchKey_;
        const auto keyOf = [&](int n, std::size_t f) -> std::string_view {
            key.assign(prefix);
            char digits[12];
            key.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
            key.append(suffixes[f]);
            return key;
        };
        bool changed = false;
        for (int n = removed + 1; n < end; ++n) {
            for (std::size_t f = 0; f < suffixes.size(); ++f) {
                // Read whole, as ReadProfileValue with no limit reads it.
                const std::optional<std::string_view> value = AsRead(keys.At(n, f), std::string_view::npos);
                if (!value) {
                    changed |= content.RemoveKey(s, keyOf(n - 1, f));
                    continue;
                }
                const std::string_view cleaned = profile::CleanValue(*value, scratchValue_);
                const std::string_view target = keyOf(n - 1, f);
                std::optional<bool> rewritten;
                if (const auto line = keys.LineOf(n - 1, f)) rewritten = content.SetValueAt(s, *line, target, cleaned);
                changed |= rewritten ? *rewritten : content.SetValue(s, target, cleaned);
            }
        }
        const int last = std::max(removed, end - 1);
        for (std::size_t f = 0; f < suffixes.size(); ++f) changed |= content.RemoveKey(s, keyOf(last, f));
        if (changed) MarkDirty(file);
    }

    void Forget() {
        for (auto it = files_.begin(); it != files_.end();) {
            if (it->second->dirty)
                ++it;
            else
                it = files_.erase(it);
        }
        resolved_.clear();
        last_ = nullptr;
    }

private:
    struct Resolved {
        std::string path;
        std::uint64_t action = 0;
    };

    // The file at `given` as it stands for this action: the stamp is checked
    // on the first use in each action and the file read again when it changed.
    CachedFile& Acquire(const std::string& given) {
        ++useCounter_;
        if (last_ && lastAction_ == action_ && lastGiven_ == given) {
            last_->lastUse = useCounter_;
            return *last_;
        }
        // The spelling given nearly always names the file on disk; the case of
        // the names is looked at only when nothing is there as spelled.
        const std::string spelled = SingleSeparators(given);
        CachedFile* file = FindAsSpelled(spelled);
        if (!file) {
            if (resolved_.size() >= ResolvedPathsKept) resolved_.clear();
            Resolved& r = resolved_[given];
            if (r.action != action_ || r.path.empty()) {
                r.path = SingleSeparators(ResolvePathNoCase(spelled));
                r.action = action_;
            }
            file = &FindResolved(r.path);
        }
        file->lastUse = useCounter_;
        last_ = file;
        lastAction_ = action_;
        lastGiven_ = given;
        return *file;
    }

    // The file at `path` when a file is there as spelled, or one is cached
    // under that name with changes not saved yet; null otherwise.
    CachedFile* FindAsSpelled(const std::string& path) {
        if (const auto it = files_.find(path); it != files_.end()) {
            CachedFile& file = *it->second;
            if (file.dirty || file.checkedIn == action_) return &file;
            const std::optional<FileStamp> now = StampFile(path);
            if (!now) return nullptr;  // gone, or never there: look in another case
            if (now != file.stamp) Load(file);
            file.checkedIn = action_;
            return &file;
        }
        auto read = std::make_unique<CachedFile>();
        read->path = path;
        Load(*read);
        if (!read->stamp) return nullptr;
        return &Keep(std::move(read));
    }

    // The file at `path`, the path found on disk whatever the case of its
    // names, read when it is not cached or changed.
    CachedFile& FindResolved(const std::string& path) {
        if (const auto it = files_.find(path); it != files_.end()) {
            CachedFile& file = *it->second;
            if (!file.dirty && file.checkedIn != action_) {
                if (StampFile(path) != file.stamp) Load(file);
                file.checkedIn = action_;
            }
            return file;
        }
        if (CachedFile* created = CreatedInThisAction(path)) return *created;
        auto read = std::make_unique<CachedFile>();
        read->path = path;
        Load(*read);
        return Keep(std::move(read));
    }

    CachedFile& Keep(std::unique_ptr<CachedFile> owned) {
        CachedFile& file = *owned;
        file.checkedIn = action_;
        files_.emplace(file.path, std::move(owned));
        EvictOverflow(&file);
        return file;
    }

    // A file that this action created in memory under a name that differs
    // only in case: on disk, the platform would find it.
    CachedFile* CreatedInThisAction(const std::string& path) {
        for (CachedFile* file : dirty_)
            if (!file->stamp && EqualsNoCase(file->path, path) && !StampFile(path)) return file;
        return nullptr;
    }

    // Reads the file again, with the stamp of the version read. Anything but
    // a regular file of at most LargestFileRead bytes (a folder, a pipe, a
    // device, a link to one) is unreadable: it reads as empty and is never
    // written.
    static void Load(CachedFile& file) {
        file.content.reset();
        file.unreadable.clear();
        FileContents read = ReadFileWithStamp(file.path);
        file.stamp = read.stamp;
        if (!file.stamp) return;  // missing
        if (!read.bytes) {
            file.unreadable = read.reason.empty() ? "it does not open" : std::move(read.reason);
            return;
        }
        file.content = std::make_unique<ProfileFile>(std::move(*read.bytes));
    }

    void MarkDirty(CachedFile& file) {
        if (file.dirty) return;
        file.dirty = true;
        dirty_.push_back(&file);
    }

    static bool Save(CachedFile& file, std::string* reason) {
        file.dirty = false;
        std::string bytes = file.content->Serialize();
        // Everything written to a file that did not exist was removed again.
        if (!file.stamp && bytes.empty()) {
            file.content.reset();
            return true;
        }
        if (!ReplaceFileAtomically(file.path, bytes, reason)) return false;
        file.stamp = StampFile(file.path);
        // What was written is the parsed view from now on: no second parse.
        file.content->AdoptSaved(std::move(bytes));
        return true;
    }

    // Forgets the file, so that the next use reads what the disk holds.
    void Drop(CachedFile* file) {
        if (last_ == file) last_ = nullptr;
        files_.erase(file->path);
    }

    // Keeps at most CleanFilesKept clean files besides `keep`; files with
    // unsaved changes stay.
    void EvictOverflow(const CachedFile* keep) {
        while (files_.size() - dirty_.size() > CleanFilesKept) {
            CachedFile* oldest = nullptr;
            for (const auto& [path, file] : files_) {
                if (file->dirty || file.get() == keep) continue;
                if (!oldest || file->lastUse < oldest->lastUse) oldest = file.get();
            }
            if (!oldest) return;
            Drop(oldest);
        }
    }

    std::unordered_map<std::string, std::unique_ptr<CachedFile>> files_;  // by path on disk
    std::unordered_map<std::string, Resolved> resolved_;                  // by path as given
    std::vector<CachedFile*> dirty_;  // in the order of their first change
    std::vector<SaveFailure> refused_;
    int depth_ = 0;
    std::uint64_t action_ = 0;
    std::uint64_t useCounter_ = 0;
    // The file of the previous call, for runs of calls on one file.
    CachedFile* last_ = nullptr;
    std::uint64_t lastAction_ = 0;
    std::string lastGiven_;
    std::string scratchSection_, scratchKey_, scratchValue_;
};

}  // namespace

std::string GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                     std::string_view def, std::size_t size, const std::string& path) {
    Store::Scope scope;
    return Store::Instance().Read(section, key, def, size, path);
}

std::optional<std::string> ReadProfileValue(std::string_view section, std::string_view key, std::size_t size,
                                            const std::string& path) {
    std::string value = GetPrivateProfileStringA(section, key, UndefinedMarker, size, path);
    if (value == UndefinedMarker) return std::nullopt;
    return value;
}

bool WritePrivateProfileStringA(std::string_view section, std::optional<std::string_view> key,
                                std::optional<std::string_view> value, const std::string& path) {
    Store::Scope scope;
    const bool accepted = Store::Instance().Write(section, key, value, path);
    return scope.End().empty() && accepted;
}

void ForEachProfileRow(std::string_view section, std::string_view prefix, std::span<const std::string_view> suffixes,
                       std::size_t size, const std::string& path,
                       const std::function<bool(int n, ProfileRow row)>& visit) {
    Store::Scope scope;
    Store::Instance().ForEachRow(section, prefix, suffixes, size, path, visit);
}

void MoveProfileRowsDown(std::string_view section, std::string_view prefix, std::span<const std::string_view> suffixes,
                         int removed, std::size_t runReadSize, const std::string& path) {
    Store::Scope scope;
    Store::Instance().MoveRowsDown(section, prefix, suffixes, removed, runReadSize, path);
}

std::vector<std::string> GetPrivateProfileSectionNamesA(const std::string& path) {
    Store::Scope scope;
    return Store::Instance().SectionNames(path);
}

ProfileAction::ProfileAction() { Store::Instance().Begin(); }

ProfileAction::~ProfileAction() {
    if (!ended_) End();
}

std::string ProfileNameAsStored(std::string_view name) {
    std::string scratch;
    return std::string(profile::CleanName(name, scratch));
}

std::vector<SaveFailure> ProfileAction::End() {
    if (ended_) return {};
    ended_ = true;
    return Store::Instance().End();
}

void ForgetCachedProfiles() { Store::Instance().Forget(); }

}  // namespace qm
