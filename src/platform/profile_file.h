// One private-profile file held as its lines, indexed, and edited in place.
//
// The store (profile.cpp) keeps one ProfileFile per file it has read. The file
// is parsed once into sections of lines; every line keeps its bytes as they
// were on disk, so saving writes back exactly what was read apart from the
// lines an edit changed. Section and key names are found through hash tables
// of names folded A to Z, never by scanning lines.
//
// How a line reads, as the Windows private-profile services read it:
// - blanks (space, tab, VT, FF, CR and ^Z, the old end-of-file mark) around
//   the line, names and values do not count;
// - "[name]" is a section header (the last ']' closes the name; what follows
//   it is ignored), a line beginning with ';' is a comment;
// - inside a section, "name=value" is a key, and a line with no '=' is a key
//   with no value: a read of it gives the default, it hides a later key of the
//   same name, and a write of that key replaces it;
// - a NUL byte cuts a name or a value where it stands, but the '=' or ']'
//   after it is still found.
//
// Text encodings: a file that starts with a UTF-8, UTF-16 LE or UTF-16 BE byte
// order mark is read as Windows-1252 text (characters outside it read as '?')
// and new lines are written back in the file's own encoding. Any other file is
// bytes. A UTF-16 file of an odd number of bytes keeps its last byte at the
// very end of the file, whatever is added before it, so that every character
// written stays on a two-byte boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::profile {

enum class Encoding : std::uint8_t { Bytes, Utf8, Utf16LE, Utf16BE };
enum class LineEnd : std::uint8_t { None, LF, CR, CRLF };

// Blanks are space, tab, VT, FF, CR and ^Z.
std::string_view TrimBlanks(std::string_view text) noexcept;

// A name or value as the store writes it: CR, LF and NUL become spaces (so no
// input can split a line), then names are trimmed of blanks. `scratch` holds
// the result when it differs from `text`.
std::string_view CleanName(std::string_view text, std::string& scratch);
std::string_view CleanValue(std::string_view text, std::string& scratch);

// Whether `key` (already cleaned) can be written as a key line that reads back
// as that key: it must not contain '=' and must not begin with ';' (a comment)
// or '[' (a line that could read as a section header).
bool IsWritableKey(std::string_view key) noexcept;

// What a read into a buffer of `size` bytes returns of a value that stands in
// the file as `stored` (see ProfileFile::Find): the platform cuts the stored
// text, quotes included, to size - 1 bytes, and then removes the opening quote
// of a value enclosed in one pair of matching quotes, and its closing quote if
// the cut kept it.
std::string_view ValueAsRead(std::string_view stored, std::size_t size) noexcept;

class ProfileFile {
public:
    // An empty file (what a missing file becomes on its first write): bytes,
    // lines ended by CRLF.
    ProfileFile();
    // Parses `bytes`, the whole file as on disk.
    explicit ProfileFile(std::string bytes);
    ~ProfileFile();
    // Lines point into the file's own buffers.
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // Names are cleaned (see CleanName) by the caller.
    // The value of the first key `key` of the first section `section` as it
    // stands in the file: trimmed, cut at a NUL, quotes kept (ValueAsRead gives
    // what a read returns). None when there is no such key or when the first
    // line of that name has no '='.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    // Every header's name in file order, copies included, empty names left out.
    std::vector<std::string> SectionNames() const;

    // Edits; each returns whether the file's bytes changed.
    // `value` is cleaned by the caller; `key` must be IsWritableKey.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

    // The whole file as it is to be saved.
    std::string Serialize() const;

    // The line a key stands on, as ForEachKey gives it. Edits made by
    // SetValue, SetValueAt and RemoveKey move no key line that is still in
    // the file (a new key goes before the blank and removed lines at the end
    // of its section), so the line stays that key's first line until the key
    // is removed; RemoveSection and AdoptSaved end it.
    struct KeyLine {
        std::uint32_t index;
    };

    // Visits the keys of the first section `section` as Find sees them, in
    // file order: each key name once, at its first line, with its value.
    // Nothing for a missing section. One pass over the section's lines, no
    // look-up by name.
    // A first line without '=' is visited without a value, as Find gives none.
    void ForEachKey(std::string_view section,
                    const std::function<void(std::string_view name, std::optional<std::string_view> value,
                                             KeyLine line)>& visit) const;

    // The number of keys ForEachKey visits in `section`.
    std::size_t KeyCount(std::string_view section) const;

    // SetValue(section, key, value) when `line` of `section` (see KeyLine)
    // still holds a key named `key`, without a look-up by name: the same
    // edit, the same result. None when it does not (the key was removed, or
    // the file changed since the line was given), for the caller to use
    // SetValue. A key named `key` on that line is `key`'s first line: lines
    // that move are blank or removed ones, and a key line that takes the
    // place of one is a key that was added because it was missing.
    std::optional<bool> SetValueAt(std::string_view section, KeyLine line, std::string_view key,
                                   std::string_view value);

    // After `bytes`, what Serialize() gave, was saved: the file holds them as
    // the bytes it was read from, every line pointing into them, and lets go
    // of what its edits had taken (the texts of rewritten lines, removed
    // lines), so the saved file needs no parse to stand as read.
    void AdoptSaved(std::string bytes);

private:
    static constexpr std::uint32_t None = 0xFFFFFFFFu;

    struct Line;
    struct Section;

    // Open-addressing table from folded names to numbers (line or section
    // indexes); the names themselves stay in the lines, and a slot is eight
    // bytes. On a 10,000-entry category file (30,000 keys), reading and
    // indexing the file took 2.9 to 3.9 ms with it and 5.9 to 8.4 ms with a
    // std::unordered_map over the same case-folding hash and equality, and
    // reading every key from a cold store 5.5 to 7.1 ms against 10.1 to
    // 14.8 ms (bench_profile, three alternating runs of each).
    class NameTable {
    public:
        void Reserve(std::size_t count);
        template <class NameOf>
        std::uint32_t* Find(std::string_view name, std::uint64_t hash, NameOf nameOf);
        template <class NameOf>
        const std::uint32_t* Find(std::string_view name, std::uint64_t hash, NameOf nameOf) const;
        // Adds name -> value; the name must not be present.
        void Add(std::uint64_t hash, std::uint32_t value);
        // Removes the name, which must be present.
        template <class NameOf>
        void Remove(std::string_view name, std::uint64_t hash, NameOf nameOf);
        void Clear();
        std::size_t Count() const noexcept { return count_; }
        // Starts fetching the slot where a look-up of `hash` begins.
        void Prefetch(std::uint64_t hash) const noexcept;

    private:
        struct Slot {
            std::uint32_t hash = 0;
            std::uint32_t value = None;
        };
        template <class NameOf>
        std::size_t Locate(std::string_view name, std::uint64_t hash, NameOf nameOf) const;
        void Grow();
        std::vector<Slot> slots_;
        std::size_t count_ = 0;
    };

    void Load(std::string_view body);
    // The number of lines in each section of `body` before it is parsed ([0]:
    // the lines before the first header), so that Load allocates each
    // section's lines once, at their number: at 100,000 entries, growing the
    // lists by doubling took a quarter to a half of the parse. In UTF-8 the
    // blanks, '[' and ']' are the bytes they stand for, so a byte file and a
    // UTF-8 file are counted as they parse; a UTF-16 file is not counted
    // (only [0], 0) and its lists grow as they are read, as do those of a
    // file of less than kCountedFileSize bytes.
    static constexpr std::size_t kCountedFileSize = 64 * 1024;
    std::vector<std::uint32_t> CountSectionLines(std::string_view body) const;
    void IndexSection(Section& section);
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;
    // A line of `text` ended by the file's line end. Its first `keptChars`
    // characters are written as `keptRaw`, the bytes they had on disk.
    Line MakeLine(std::string_view text, std::size_t keptChars = 0, std::string_view keptRaw = {});
    // A copy of `text` that stays where it is until AdoptSaved.
    std::string_view Keep(std::string_view text);
    // The edit of SetValue on a key's first line.
    bool RewriteValue(Line& line, std::string_view value);
    // Gives the last line still in the file a line end when it has none.
    void EndLastLine();
    void AppendEnd(std::string& out, LineEnd end) const;
    // Visits the lines still in `file` (a ProfileFile, const or not) in file
    // order, headers included: the lines Serialize writes.
    template <class File, class Visit>
    static void ForEachLiveLine(File& file, Visit&& visit);
    // The bytes a line end takes in the file's encoding.
    std::size_t EndLength(LineEnd end) const noexcept;
    std::string Encode(std::string_view text) const;
    // The byte length of the first `chars` decoded characters of `raw`.
    std::size_t RawLength(std::string_view raw, std::size_t chars) const;

    std::string bytes_;    // the file as read
    std::string decoded_;  // encoded files: every line's text
    // Text of lines the edits made, in blocks of ArenaBlockSize that are
    // filled and never grow, so that the lines pointing into them stay
    // valid. Renumbering 100,000 entries rewrites 300,000 lines: with one
    // allocation a line, the rewrite, the walk of the list reload and the
    // save after it took 140 to 150 ms, with blocks 90 ms.
    static constexpr std::size_t ArenaBlockSize = 64 * 1024;
    std::deque<std::string> arena_;
    std::string lineScratch_, valueScratch_;  // a line and a value being built
    Encoding encoding_ = Encoding::Bytes;
    std::size_t markLen_ = 0;  // byte order mark
    std::string_view oddByte_;  // UTF-16: the last byte of a file of odd length
    LineEnd lineEnd_ = LineEnd::CRLF;
    std::vector<Section> sections_;  // [0]: the lines before the first header
    NameTable sectionIndex_;
    // The section FindSection found last, by the name it was asked for.
    mutable std::string lastSectionName_;
    mutable std::uint32_t lastSection_ = None;
};

}  // namespace qm::profile
