// Private-profile (INI) files: the three services the logic reads and writes
// "aircraft.cfg" files and the category file through, each call naming its file
// by path.
//
// The store reads files the way the Windows private-profile services do and
// writes them losslessly: only the lines a write must change are changed, and
// what the program writes reads back as written, here and on Windows.
//
// Work is grouped in user actions (see ProfileAction). Inside an action a file
// is parsed at most once; the writes of an action reach the disk together when
// the outermost action ends, one atomic replace per file. A call made outside
// any action is an action of its own.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The default of every read the program makes. A read that returns exactly
// this text (case included) means the key is missing; a stored "<UNDEFINED>"
// counts as missing too.
inline constexpr std::string_view UndefinedMarker = "<UNDEFINED>";

// Reads `key` of `section` (names matched without regard to case). Returns at
// most size - 1 bytes of the value, or of `def` when the file, section or key
// is missing or the key's line has no '='. As on the platform, the value is
// cut first and a pair of enclosing quotes removed after (see
// profile::ValueAsRead).
std::string GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                     std::string_view def, std::size_t size,
                                     const std::string& path);

// The value of `key` as a read of `size` bytes gives it, or nullopt when the
// key is missing (the read returned UndefinedMarker, which a stored
// "<UNDEFINED>" also gives).
std::optional<std::string> ReadProfileValue(std::string_view section, std::string_view key, std::size_t size,
                                            const std::string& path);

// With a value: creates the file, section and key as needed, or replaces the
// value. With no value: removes the key (the section stays). With no key and
// no value: removes the whole section. Returns false when a write made outside
// any action could not be saved (inside an action, failures come from the
// action's end).
bool WritePrivateProfileStringA(std::string_view section, std::optional<std::string_view> key,
                                std::optional<std::string_view> value, const std::string& path);

// Numbered keys: a run of rows n = 0, 1, 2, ... whose keys are named
// "<prefix><n><suffix>" (n as "%d" writes it), one key per suffix, such as
// "aircraft7.title" and "aircraft7.displayName". Suffixes do not start with a
// digit. The operations below each make one pass over the section instead of
// one look-up per key, and give the results the calls key by key give.

// One row's values, one per suffix: nullopt where the key is missing (or holds
// UndefinedMarker). Valid during the call that gives it.
using ProfileRow = std::span<const std::optional<std::string_view>>;

// Visits the rows n = 0, 1, 2, ... of `section` with each value as
// ReadProfileValue(section, key, size, path) gives it, up to the first row
// whose key with the first suffix is missing, or until `visit` returns false.
void ForEachProfileRow(std::string_view section, std::string_view prefix, std::span<const std::string_view> suffixes,
                       std::size_t size, const std::string& path,
                       const std::function<bool(int n, ProfileRow row)>& visit);

// Closes the gap of a removed row of the run: `end` is the number of rows
// ForEachProfileRow(section, prefix, suffixes, runReadSize, path) visits (the
// rows up to the first whose key with the first suffix is missing). For
// n = removed + 1 to end - 1, and for each suffix in turn, the key of row
// n - 1 takes the whole value of the key of row n, or is removed when that key
// is missing (or holds UndefinedMarker); then the keys of row
// max(removed, end - 1) are removed. The file ends as those writes and
// removals made one by one leave it. The run is counted in the same pass.
void MoveProfileRowsDown(std::string_view section, std::string_view prefix, std::span<const std::string_view> suffixes,
                         int removed, std::size_t runReadSize, const std::string& path);

// Every section header of the file, in file order, copies included; the header
// "[]" is not listed. A missing file gives an empty list. Nothing is cut.
std::vector<std::string> GetPrivateProfileSectionNamesA(const std::string& path);

// A section or key name as the store writes and finds it: CR, LF and NUL
// become spaces (no name can split a line), and blanks at either end go.
std::string ProfileNameAsStored(std::string_view name);

// One file that could not be saved when an action ended.
struct SaveFailure {
    std::string path;
    std::string reason;
};

// A user action: a scope around the handling of one message. Actions nest; only
// the end of the outermost one saves. When a save fails, the file on disk is
// untouched, the store forgets the unsaved change, and the failure is returned
// by End() (or dropped by the destructor when End() was not called).
class ProfileAction {
public:
    ProfileAction();
    ~ProfileAction();
    ProfileAction(const ProfileAction&) = delete;
    ProfileAction& operator=(const ProfileAction&) = delete;

    // Ends the action once; for the outermost action, saves every file it
    // changed and returns the failures. Nested actions return nothing.
    std::vector<SaveFailure> End();

private:
    bool ended_ = false;
};

// Drops everything the store keeps of files (parsed contents, unsaved changes
// of an action in progress are not dropped): the state of a new start of the
// program, for tests that begin from it and benchmarks that measure a cold start.
void ForgetCachedProfiles();

}  // namespace qm
