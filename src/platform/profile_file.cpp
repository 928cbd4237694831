#include "platform/profile_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

#include "platform/cp1252.h"
#include "platform/text.h"

namespace qm::profile {

namespace {

// Space, tab, VT, FF, CR and ^Z (0x1A, the end-of-file mark of old files):
// what the platform trims around lines, names and values.
constexpr bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

constexpr bool IsQuote(char c) noexcept { return c == '"' || c == '\''; }

// Decoders of one character of an encoded line: the 8-bit character and the
// number of bytes it took. A code point of 0 reads as '\0'.
struct Decoded {
    char byte;
    std::size_t length;
};

Decoded DecodeUtf8(const unsigned char* s, std::size_t n) noexcept {
    const unsigned char b0 = s[0];
    if (b0 < 0x80) return {static_cast<char>(b0), 1};
    std::size_t length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0Fu;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07u;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return {'?', 1};
    }
    if (n < length) return {'?', 1};
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char b = s[i];
        const unsigned char lo = i == 1 ? low : 0x80, hi = i == 1 ? high : 0xBF;
        if (b < lo || b > hi) return {'?', 1};
        cp = (cp << 6) | (b & 0x3Fu);
    }
    return {ByteOf1252(cp), length};
}

char16_t Unit16(const unsigned char* s, bool bigEndian) noexcept {
    return bigEndian ? static_cast<char16_t>((s[0] << 8) | s[1])
                     : static_cast<char16_t>((s[1] << 8) | s[0]);
}

Decoded DecodeUtf16(const unsigned char* s, std::size_t n, bool bigEndian) noexcept {
    if (n < 2) return {'?', n};  // a stray last byte
    const char16_t u = Unit16(s, bigEndian);
    if (u >= 0xD800 && u <= 0xDBFF) {
        if (n >= 4) {
            const char16_t v = Unit16(s + 2, bigEndian);
            if (v >= 0xDC00 && v <= 0xDFFF) return {'?', 4};
        }
        return {'?', 2};
    }
    if (u >= 0xDC00 && u <= 0xDFFF) return {'?', 2};
    return {ByteOf1252(u), 2};
}

Decoded DecodeOne(Encoding encoding, const unsigned char* s, std::size_t n) noexcept {
    switch (encoding) {
    case Encoding::Utf8:
        return DecodeUtf8(s, n);
    case Encoding::Utf16LE:
        return DecodeUtf16(s, n, false);
    case Encoding::Utf16BE:
        return DecodeUtf16(s, n, true);
    case Encoding::Bytes:
        break;
    }
    return {static_cast<char>(s[0]), 1};
}

// One line of `data` (n bytes, an even number for UTF-16) from `start`: where
// its content ends, how it is ended, and where the next line starts.
struct LineSpan {
    std::size_t end;
    LineEnd lineEnd;
    std::size_t next;
};

LineSpan SplitLine(const char* data, std::size_t n, std::size_t start, Encoding encoding) noexcept {
    std::size_t p = start;
    if (encoding != Encoding::Utf16LE && encoding != Encoding::Utf16BE) {
        while (p < n && data[p] != '\n' && data[p] != '\r') ++p;
        if (p == n) return {p, LineEnd::None, n};
        if (data[p] == '\n') return {p, LineEnd::LF, p + 1};
        if (p + 1 < n && data[p + 1] == '\n') return {p, LineEnd::CRLF, p + 2};
        return {p, LineEnd::CR, p + 1};
    }
    const auto* u = reinterpret_cast<const unsigned char*>(data);
    const bool be = encoding == Encoding::Utf16BE;
    while (p < n) {
        const char16_t c = Unit16(u + p, be);
        if (c == u'\n' || c == u'\r') break;
        p += 2;
    }
    if (p == n) return {p, LineEnd::None, n};
    if (Unit16(u + p, be) == u'\n') return {p, LineEnd::LF, p + 2};
    if (p + 3 < n && Unit16(u + p + 2, be) == u'\n') return {p, LineEnd::CRLF, p + 4};
    return {p, LineEnd::CR, p + 2};
}

std::uint64_t Mix(std::uint64_t h) noexcept {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

std::string_view KeyLineText(std::string_view key, std::string_view storedValue, std::string& text) {
    text.assign(key).append("=").append(storedValue);
    return text;
}

std::string_view CleanLineBreaks(std::string_view text, std::string& scratch) {
    bool clean = true;
    for (const char c : text) clean &= c != '\r' && c != '\n' && c != '\0';
    if (clean) return text;
    scratch.assign(text);
    for (char& c : scratch)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return scratch;
}

std::string_view CutAtNul(std::string_view text) noexcept { return text.substr(0, text.find('\0')); }

// Hash of a name with A to Z folded to a to z; equal for names that
// EqualsNoCase calls equal.
std::uint64_t HashNoCase(std::string_view name) noexcept {
    std::uint64_t h = 0x243F6A8885A308D3ull ^ name.size();
    const char* p = name.data();
    std::size_t n = name.size();
    while (n >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ FoldCaseWord(w)) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, n);
        h = (h ^ FoldCaseWord(w)) * 0x9E3779B97F4A7C15ull;
    }
    return Mix(h);
}

bool EnclosedInQuotes(std::string_view stored) noexcept {
    return stored.size() >= 2 && IsQuote(stored.front()) && stored.back() == stored.front();
}

// The sizes the program reads values with: display names and most titles at
// 99, one title read at 254, thumbnail paths at 499.
constexpr std::size_t ProgramReadSizes[] = {99, 254, 499};

// The text to write after '=' for `value` to read back as written. A value
// the reader would not change (no blank at either end, not enclosed in
// matching quotes) is written as it is and reads back whole at every size.
// Any other value needs one extra pair of double quotes, which reads back
// whole when the buffer holds the value and one byte more (the opening
// quote); a read that cuts it loses one byte more than the cut, because the
// opening quote takes a place in the buffer before it is removed. A value with blanks only at its
// end and long enough that every read cuts it before them reads right
// without quotes. So of the two writings, the one that reads back as written
// at more of the program's read sizes is chosen, at the smaller size when
// both do equally well (most reads are at 99), and the quoted one when
// neither reads right anywhere: no writing can give back a value that begins
// with a blank and fills the buffer, and quotes at least keep its text.
// The text is `value` itself or `scratch`, which holds the quoted writing.
std::string_view ValueForWriting(std::string_view value, std::string& scratch) {
    const bool changedByReader =
        !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || EnclosedInQuotes(value));
    if (!changedByReader) return value;
    std::string& quoted = scratch;
    quoted.clear();
    quoted += '"';
    quoted += value;
    quoted += '"';
    const auto readsBack = [&](std::string_view stored) {
        unsigned sizes = 0;  // bit i: right at ProgramReadSizes[i]
        for (std::size_t i = 0; i < std::size(ProgramReadSizes); ++i)
            if (ValueAsRead(stored, ProgramReadSizes[i]) == CutToBuffer(value, ProgramReadSizes[i]))
                sizes |= 1u << i;
        return sizes;
    };
    const unsigned asQuoted = readsBack(quoted);
    const unsigned asIs = readsBack(TrimBlanks(value));
    const auto better = [](unsigned a, unsigned b) {
        if (std::popcount(a) != std::popcount(b)) return std::popcount(a) > std::popcount(b);
        return std::countr_zero(a) < std::countr_zero(b);  // right at the smaller size
    };
    return better(asIs, asQuoted) ? value : std::string_view(quoted);
}

// What one line of text is, as the reader sees it.
enum class LineKind : std::uint8_t { Blank, Comment, Header, Key };

struct LineParse {
    LineKind kind = LineKind::Blank;
    bool hasValue = false;  // a key line with '='
    // Section name of a header, key name of a key line.
    std::uint32_t nameOff = 0, nameLen = 0;
    // The value of a key line as it stands in the file (see Find); for a key
    // with no value, the place after its name.
    std::uint32_t valueOff = 0, valueLen = 0;
};

// Where the name of a header ends in `line`, a line's text trimmed of
// blanks: at its last ']' (what follows it is ignored). npos when the line is
// no header.
std::size_t HeaderClose(std::string_view line) noexcept {
    if (line.empty() || line.front() != '[') return std::string_view::npos;
    const std::size_t close = line.rfind(']');
    return close == 0 ? std::string_view::npos : close;
}

// Classifies one line's text (without its line end, NUL bytes included).
LineParse ParseLine(std::string_view text) noexcept {
    LineParse parse;
    const auto offset = [&](std::string_view part) { return static_cast<std::uint32_t>(part.data() - text.data()); };
    const auto size = [](std::string_view part) { return static_cast<std::uint32_t>(part.size()); };
    const std::string_view line = TrimBlanks(text);
    if (line.empty()) return parse;  // blank
    if (line.front() == ';') {
        parse.kind = LineKind::Comment;
        return parse;
    }
    if (const std::size_t close = HeaderClose(line); close != std::string_view::npos) {
        const std::string_view name = TrimBlanks(CutAtNul(line.substr(1, close - 1)));
        parse.kind = LineKind::Header;
        parse.nameOff = offset(name);
        parse.nameLen = size(name);
        return parse;
    }
    parse.kind = LineKind::Key;
    const std::size_t eq = line.find('=');
    const std::string_view name = TrimBlanks(CutAtNul(line.substr(0, eq)));
    parse.nameOff = offset(name);
    parse.nameLen = size(name);
    if (eq == std::string_view::npos) {
        parse.valueOff = parse.nameOff + parse.nameLen;
        return parse;
    }
    const std::string_view value = TrimBlanks(CutAtNul(line.substr(eq + 1)));
    parse.hasValue = true;
    // An empty value stands right after '=': a rewrite drops what follows it
    // (blanks, text behind a NUL).
    parse.valueOff = value.empty() ? offset(line.substr(eq + 1)) : offset(value);
    parse.valueLen = size(value);
    return parse;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) noexcept {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

std::string_view CleanName(std::string_view text, std::string& scratch) {
    return TrimBlanks(CleanLineBreaks(text, scratch));
}

std::string_view CleanValue(std::string_view text, std::string& scratch) {
    return CleanLineBreaks(text, scratch);
}

bool IsWritableKey(std::string_view key) noexcept {
    if (key.find('=') != std::string_view::npos) return false;
    return key.empty() || (key.front() != ';' && key.front() != '[');
}

std::string_view ValueAsRead(std::string_view stored, std::size_t size) noexcept {
    std::string_view read = CutToBuffer(stored, size);
    if (!EnclosedInQuotes(stored) || read.empty()) return read;
    read.remove_prefix(1);
    if (read.size() == stored.size() - 1) read.remove_suffix(1);
    return read;
}

// ---- Lines and sections ----

struct ProfileFile::Line {
    const char* raw = nullptr;   // content in the file's encoding
    const char* text = nullptr;  // content as 8-bit text
    std::uint32_t rawLen = 0;
    std::uint32_t textLen = 0;
    LineParse parse;
    std::uint32_t nextSame = None;  // next key line of the same name
    LineEnd end = LineEnd::None;
    bool deleted = false;

    std::string_view Raw() const noexcept { return {raw, rawLen}; }
    std::string_view Text() const noexcept { return {text, textLen}; }
    std::string_view Name() const noexcept { return {text + parse.nameOff, parse.nameLen}; }
    std::string_view Value() const noexcept { return {text + parse.valueOff, parse.valueLen}; }
};

struct ProfileFile::Section {
    Line header;
    bool hasHeader = false;  // false for the lines before the first header
    bool deleted = false;
    std::uint32_t nextSame = None;  // next section of the same name
    bool keyCopies = false;         // some key line is chained to a later one of its name
    std::vector<Line> body;
    NameTable keys;
};

// ---- NameTable ----

// A table is at most two thirds full. At 300,000 keys that is 4 MB of slots
// instead of the 8 MB of a table at most half full, and the parse of a
// 100,000-entry file took 43 ms instead of 55: the slots are fetched from
// memory more often than they are probed.
void ProfileFile::NameTable::Reserve(std::size_t count) {
    std::size_t capacity = 8;
    while (capacity * 2 < count * 3) capacity *= 2;
    if (capacity <= slots_.size()) return;
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(capacity, Slot{});
    const std::size_t mask = capacity - 1;
    for (const Slot& s : old) {
        if (s.value == None) continue;
        std::size_t i = s.hash & mask;
        while (slots_[i].value != None) i = (i + 1) & mask;
        slots_[i] = s;
    }
}

void ProfileFile::NameTable::Prefetch(std::uint64_t hash) const noexcept {
    if (!slots_.empty()) __builtin_prefetch(&slots_[static_cast<std::uint32_t>(hash) & (slots_.size() - 1)]);
}

void ProfileFile::NameTable::Grow() { Reserve(slots_.empty() ? 4 : slots_.size()); }

template <class NameOf>
std::size_t ProfileFile::NameTable::Locate(std::string_view name, std::uint64_t hash,
                                           NameOf nameOf) const {
    const std::size_t mask = slots_.size() - 1;
    const auto h = static_cast<std::uint32_t>(hash);
    std::size_t i = h & mask;
    while (slots_[i].value != None) {
        if (slots_[i].hash == h && EqualsNoCase(nameOf(slots_[i].value), name)) return i;
        i = (i + 1) & mask;
    }
    return i;
}

template <class NameOf>
std::uint32_t* ProfileFile::NameTable::Find(std::string_view name, std::uint64_t hash, NameOf nameOf) {
    if (slots_.empty()) return nullptr;
    Slot& s = slots_[Locate(name, hash, nameOf)];
    return s.value == None ? nullptr : &s.value;
}

template <class NameOf>
const std::uint32_t* ProfileFile::NameTable::Find(std::string_view name, std::uint64_t hash,
                                                  NameOf nameOf) const {
    if (slots_.empty()) return nullptr;
    const Slot& s = slots_[Locate(name, hash, nameOf)];
    return s.value == None ? nullptr : &s.value;
}

void ProfileFile::NameTable::Add(std::uint64_t hash, std::uint32_t value) {
    if ((count_ + 1) * 3 > slots_.size() * 2) Grow();
    const std::size_t mask = slots_.size() - 1;
    const auto h = static_cast<std::uint32_t>(hash);
    std::size_t i = h & mask;
    while (slots_[i].value != None) i = (i + 1) & mask;
    slots_[i] = Slot{h, value};
    ++count_;
}

template <class NameOf>
void ProfileFile::NameTable::Remove(std::string_view name, std::uint64_t hash, NameOf nameOf) {
    // Linear probing: close the gap by moving later slots of the run back.
    const std::size_t mask = slots_.size() - 1;
    std::size_t gap = Locate(name, hash, nameOf);
    slots_[gap] = Slot{};
    --count_;
    for (std::size_t j = (gap + 1) & mask; slots_[j].value != None; j = (j + 1) & mask) {
        const std::size_t home = slots_[j].hash & mask;
        // The slot may move to the gap when its home is not in (gap, j].
        const bool homeInRange = gap < j ? (home > gap && home <= j) : (home > gap || home <= j);
        if (!homeInRange) {
            slots_[gap] = slots_[j];
            slots_[j] = Slot{};
            gap = j;
        }
    }
}

void ProfileFile::NameTable::Clear() {
    std::vector<Slot>().swap(slots_);
    count_ = 0;
}

// ---- ProfileFile ----

ProfileFile::ProfileFile() { sections_.emplace_back(); }

ProfileFile::~ProfileFile() = default;

ProfileFile::ProfileFile(std::string bytes) : bytes_(std::move(bytes)) {
    const std::string_view all(bytes_);
    if (all.starts_with("\xEF\xBB\xBF")) {
        encoding_ = Encoding::Utf8;
        markLen_ = 3;
    } else if (all.starts_with("\xFF\xFE")) {
        encoding_ = Encoding::Utf16LE;
        markLen_ = 2;
    } else if (all.starts_with("\xFE\xFF")) {
        encoding_ = Encoding::Utf16BE;
        markLen_ = 2;
    }
    std::string_view body = all.substr(markLen_);
    if ((encoding_ == Encoding::Utf16LE || encoding_ == Encoding::Utf16BE) && body.size() % 2 != 0) {
        oddByte_ = body.substr(body.size() - 1);
        body.remove_suffix(1);
    }
    Load(body);
}

std::vector<std::uint32_t> ProfileFile::CountSectionLines(std::string_view body) const {
    std::vector<std::uint32_t> counts(1, 0);
    if (encoding_ == Encoding::Utf16LE || encoding_ == Encoding::Utf16BE) return counts;
    // A small file's lists are short whatever they cost to grow; an aircraft
    // folder scan reads thousands of files of a few kilobytes, where counting
    // first is a tenth of the parse.
    if (body.size() < kCountedFileSize) return counts;
    for (std::size_t p = 0; p < body.size();) {
        const LineSpan span = SplitLine(body.data(), body.size(), p, encoding_);
        if (HeaderClose(TrimBlanks(body.substr(p, span.end - p))) != std::string_view::npos)
            counts.push_back(0);
        else
            ++counts.back();
        p = span.next;
    }
    return counts;
}

void ProfileFile::Load(std::string_view body) {
    const std::vector<std::uint32_t> counts = CountSectionLines(body);
    sections_.reserve(counts.size());
    sections_.emplace_back().body.reserve(counts[0]);  // the lines before the first header
    const char* const data = body.data();
    const std::size_t n = body.size();
    if (encoding_ != Encoding::Bytes) decoded_.reserve(n);  // never longer than the bytes
    bool first = true;

    std::size_t p = 0;
    while (p < n) {
        const std::size_t start = p;
        const LineSpan span = SplitLine(data, n, start, encoding_);
        p = span.end;
        const LineEnd end = span.lineEnd;
        const std::size_t next = span.next;

        Line line;
        line.raw = data + start;
        line.rawLen = static_cast<std::uint32_t>(p - start);
        line.end = end;
        if (encoding_ == Encoding::Bytes) {
            line.text = line.raw;
            line.textLen = line.rawLen;
        } else {
            const std::size_t textStart = decoded_.size();
            const auto* s = reinterpret_cast<const unsigned char*>(data);
            for (std::size_t q = start; q < p;) {
                const Decoded d = DecodeOne(encoding_, s + q, p - q);
                decoded_ += d.byte;
                q += d.length;
            }
            line.text = decoded_.data() + textStart;
            line.textLen = static_cast<std::uint32_t>(decoded_.size() - textStart);
        }
        line.parse = ParseLine(line.Text());
        if (first) {
            if (end != LineEnd::None) lineEnd_ = end;
            first = false;
        }
        if (line.parse.kind == LineKind::Header) {
            Section& section = sections_.emplace_back();
            section.hasHeader = true;
            section.header = line;
            // With room for the keys of one new entry (three), so that adding
            // one does not copy the whole section.
            if (sections_.size() <= counts.size()) section.body.reserve(counts[sections_.size() - 1] + 3);
        } else {
            sections_.back().body.push_back(line);
        }
        p = next;
    }

    // Indexes: the first section of each name, and in each section the first
    // key of each name; later copies are chained behind the first.
    std::vector<std::uint32_t> tails(sections_.size(), None);
    sectionIndex_.Reserve(sections_.size());
    const auto sectionName = [this](std::uint32_t i) { return sections_[i].header.Name(); };
    for (std::uint32_t i = 1; i < sections_.size(); ++i) {
        Section& section = sections_[i];
        const std::string_view name = section.header.Name();
        const std::uint64_t hash = HashNoCase(name);
        if (const std::uint32_t* head = sectionIndex_.Find(name, hash, sectionName)) {
            sections_[tails[*head]].nextSame = i;
            tails[*head] = i;
        } else {
            sectionIndex_.Add(hash, i);
            tails[i] = i;
        }
        IndexSection(section);
    }
}

void ProfileFile::IndexSection(Section& section) {
    std::size_t keys = 0;
    for (const Line& line : section.body) keys += line.parse.kind == LineKind::Key;
    if (keys == 0) return;
    section.keys.Reserve(keys);
    std::vector<std::uint32_t> tails;  // last copy of each repeated key, by first copy
    const auto keyName = [&section](std::uint32_t i) { return section.body[i].Name(); };
    // Each key's slot is fetched from memory while the keys before it are
    // entered: the table of a 300,000-key section is larger than the caches,
    // and fetching ahead took the parse of a 100,000-entry file from 56 to
    // 50 ms (with tables at most half full).
    struct Pending {
        std::uint32_t line;
        std::uint64_t hash;
    };
    constexpr std::size_t Ahead = 16;
    Pending ahead[Ahead];
    std::size_t taken = 0, given = 0;
    std::uint32_t scan = 0;
    const auto fetchNext = [&] {
        while (scan < section.body.size() && section.body[scan].parse.kind != LineKind::Key) ++scan;
        if (scan == section.body.size()) return;
        const std::uint64_t hash = HashNoCase(section.body[scan].Name());
        section.keys.Prefetch(hash);
        ahead[given++ % Ahead] = {scan++, hash};
    };
    while (given < Ahead && scan < section.body.size()) fetchNext();
    while (taken < given) {
        const auto [i, hash] = ahead[taken++ % Ahead];
        fetchNext();
        const std::string_view name = section.body[i].Name();
        if (const std::uint32_t* head = section.keys.Find(name, hash, keyName)) {
            if (tails.empty()) tails.assign(section.body.size(), None);
            const std::uint32_t last = tails[*head] == None ? *head : tails[*head];
            section.body[last].nextSame = i;
            tails[*head] = i;
            section.keyCopies = true;
        } else {
            section.keys.Add(hash, i);
        }
    }
}

const ProfileFile::Section* ProfileFile::FindSection(std::string_view name) const {
    // Calls come in runs on one section: the last name found is remembered.
    if (lastSection_ != None && name == lastSectionName_) return &sections_[lastSection_];
    const std::uint32_t* i = sectionIndex_.Find(
        name, HashNoCase(name), [this](std::uint32_t s) { return sections_[s].header.Name(); });
    if (!i) return nullptr;
    lastSectionName_.assign(name);
    lastSection_ = *i;
    return &sections_[*i];
}

ProfileFile::Section* ProfileFile::FindSection(std::string_view name) {
    return const_cast<Section*>(static_cast<const ProfileFile*>(this)->FindSection(name));
}

std::optional<std::string_view> ProfileFile::Find(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (!s) return std::nullopt;
    const std::uint32_t* i =
        s->keys.Find(key, HashNoCase(key), [s](std::uint32_t l) { return s->body[l].Name(); });
    if (!i || !s->body[*i].parse.hasValue) return std::nullopt;
    return s->body[*i].Value();
}

std::vector<std::string> ProfileFile::SectionNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        const Section& s = sections_[i];
        if (s.deleted || s.header.parse.nameLen == 0) continue;
        names.emplace_back(s.header.Name());
    }
    return names;
}

std::string ProfileFile::Encode(std::string_view text) const {
    std::string out;
    switch (encoding_) {
    case Encoding::Bytes:
        return std::string(text);
    case Encoding::Utf8:
        out.reserve(text.size() + text.size() / 4);
        for (const char c : text) {
            const char32_t cp = CodePointOf1252(static_cast<unsigned char>(c));
            if (cp < 0x80) {
                out += static_cast<char>(cp);
            } else if (cp < 0x800) {
                out += static_cast<char>(0xC0 | (cp >> 6));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (cp >> 12));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            }
        }
        return out;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        out.reserve(text.size() * 2);
        for (const char c : text) {
            const char32_t cp = CodePointOf1252(static_cast<unsigned char>(c));
            const char hi = static_cast<char>(cp >> 8), lo = static_cast<char>(cp & 0xFF);
            if (encoding_ == Encoding::Utf16BE) {
                out += hi;
                out += lo;
            } else {
                out += lo;
                out += hi;
            }
        }
        return out;
    }
    return out;
}

std::size_t ProfileFile::RawLength(std::string_view raw, std::size_t chars) const {
    if (encoding_ == Encoding::Bytes) return chars;
    const auto* s = reinterpret_cast<const unsigned char*>(raw.data());
    std::size_t q = 0;
    for (std::size_t c = 0; c < chars && q < raw.size(); ++c) q += DecodeOne(encoding_, s + q, raw.size() - q).length;
    return q;
}

std::string_view ProfileFile::Keep(std::string_view text) {
    if (arena_.empty() || arena_.back().capacity() - arena_.back().size() < text.size())
        arena_.emplace_back().reserve(std::max(ArenaBlockSize, text.size()));
    std::string& block = arena_.back();
    const std::size_t at = block.size();
    block.append(text);  // within the capacity: the block does not move
    return std::string_view(block).substr(at);
}

ProfileFile::Line ProfileFile::MakeLine(std::string_view text, std::size_t keptChars, std::string_view keptRaw) {
    Line line;
    const std::string_view stored = Keep(text);
    line.text = stored.data();
    line.textLen = static_cast<std::uint32_t>(stored.size());
    if (encoding_ == Encoding::Bytes) {
        line.raw = line.text;
        line.rawLen = line.textLen;
    } else {
        std::string raw(keptRaw);
        raw += Encode(stored.substr(keptChars));
        const std::string_view storedRaw = Keep(raw);
        line.raw = storedRaw.data();
        line.rawLen = static_cast<std::uint32_t>(storedRaw.size());
    }
    line.parse = ParseLine(line.Text());
    line.end = lineEnd_;
    return line;
}

void ProfileFile::EndLastLine() {
    for (std::size_t i = sections_.size(); i-- > 0;) {
        Section& s = sections_[i];
        if (s.deleted) continue;
        for (std::size_t j = s.body.size(); j-- > 0;) {
            if (s.body[j].deleted) continue;
            if (s.body[j].end == LineEnd::None) s.body[j].end = lineEnd_;
            return;
        }
        if (s.hasHeader) {
            if (s.header.end == LineEnd::None) s.header.end = lineEnd_;
            return;
        }
    }
}

bool ProfileFile::RewriteValue(Line& line, std::string_view value) {
    if (line.parse.hasValue && ValueAsRead(line.Value(), std::string_view::npos) == value) return false;
    // Rewrite the value in place: the line keeps everything up to the value
    // (indentation, the key's spelling, the blanks around '='); a key with no
    // value keeps its name and gets one.
    const std::string_view stored = ValueForWriting(value, valueScratch_);
    const std::string_view text = line.Text();
    const std::size_t start = line.parse.valueOff;
    std::string& newText = lineScratch_;
    newText.assign(text.substr(0, start));
    if (!line.parse.hasValue) newText += '=';
    newText.append(stored);
    Line replaced = MakeLine(newText, start, line.Raw().substr(0, RawLength(line.Raw(), start)));
    replaced.end = line.end;
    replaced.nextSame = line.nextSame;
    line = replaced;
    return true;
}

std::optional<bool> ProfileFile::SetValueAt(std::string_view section, KeyLine at, std::string_view key,
                                            std::string_view value) {
    Section* s = FindSection(section);
    if (!s || at.index >= s->body.size()) return std::nullopt;
    Line& line = s->body[at.index];
    if (line.deleted || line.parse.kind != LineKind::Key || !EqualsNoCase(line.Name(), key)) return std::nullopt;
    return RewriteValue(line, value);
}

bool ProfileFile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = FindSection(section);
    if (!s) {
        // A new section at the end of the file.
        EndLastLine();
        const std::string_view stored = ValueForWriting(value, valueScratch_);
        std::string headerText;
        headerText.reserve(section.size() + 2);
        headerText.append("[").append(section).append("]");
        const auto index = static_cast<std::uint32_t>(sections_.size());
        Section& added = sections_.emplace_back();
        added.hasHeader = true;
        added.header = MakeLine(headerText);
        added.body.push_back(MakeLine(KeyLineText(key, stored, lineScratch_)));
        sectionIndex_.Add(HashNoCase(section), index);
        added.keys.Add(HashNoCase(key), 0);
        return true;
    }

    const auto keyName = [s](std::uint32_t l) { return s->body[l].Name(); };
    const std::uint64_t keyHash = HashNoCase(key);
    if (const std::uint32_t* found = s->keys.Find(key, keyHash, keyName)) return RewriteValue(s->body[*found], value);

    // A new key after the last non-blank line of the section. Only blank or
    // removed lines follow that place, and none of them is indexed, so the
    // insertion moves no indexed line.
    std::size_t place = s->body.size();
    while (place > 0 && (s->body[place - 1].deleted || s->body[place - 1].parse.kind == LineKind::Blank))
        --place;
    Line& before = place > 0 ? s->body[place - 1] : s->header;
    if (before.end == LineEnd::None) before.end = lineEnd_;
    const std::string_view stored = ValueForWriting(value, valueScratch_);
    s->body.insert(s->body.begin() + static_cast<std::ptrdiff_t>(place),
                   MakeLine(KeyLineText(key, stored, lineScratch_)));
    s->keys.Add(keyHash, static_cast<std::uint32_t>(place));
    return true;
}

bool ProfileFile::RemoveKey(std::string_view section, std::string_view key) {
    Section* s = FindSection(section);
    if (!s) return false;
    const auto keyName = [s](std::uint32_t l) { return s->body[l].Name(); };
    const std::uint64_t hash = HashNoCase(key);
    std::uint32_t* found = s->keys.Find(key, hash, keyName);
    if (!found) return false;
    Line& line = s->body[*found];
    if (line.nextSame != None)
        *found = line.nextSame;  // the next copy of the key is now the first
    else
        s->keys.Remove(key, hash, keyName);
    line.deleted = true;
    return true;
}

bool ProfileFile::RemoveSection(std::string_view section) {
    const auto sectionName = [this](std::uint32_t i) { return sections_[i].header.Name(); };
    const std::uint64_t hash = HashNoCase(section);
    std::uint32_t* found = sectionIndex_.Find(section, hash, sectionName);
    if (!found) return false;
    lastSection_ = None;
    Section& s = sections_[*found];
    if (s.nextSame != None)
        *found = s.nextSame;  // the next copy of the section is now the first
    else
        sectionIndex_.Remove(section, hash, sectionName);
    s.deleted = true;
    std::vector<Line>().swap(s.body);
    s.keys.Clear();
    return true;
}

std::size_t ProfileFile::EndLength(LineEnd end) const noexcept {
    const std::size_t unit = (encoding_ == Encoding::Utf16LE || encoding_ == Encoding::Utf16BE) ? 2 : 1;
    return end == LineEnd::None ? 0 : end == LineEnd::CRLF ? 2 * unit : unit;
}

void ProfileFile::AppendEnd(std::string& out, LineEnd end) const {
    const auto unit = [&](char c) {
        if (encoding_ == Encoding::Utf16LE) {
            out += c;
            out += '\0';
        } else if (encoding_ == Encoding::Utf16BE) {
            out += '\0';
            out += c;
        } else {
            out += c;
        }
    };
    switch (end) {
    case LineEnd::None:
        break;
    case LineEnd::LF:
        unit('\n');
        break;
    case LineEnd::CR:
        unit('\r');
        break;
    case LineEnd::CRLF:
        unit('\r');
        unit('\n');
        break;
    }
}

template <class File, class Visit>
void ProfileFile::ForEachLiveLine(File& file, Visit&& visit) {
    for (auto& s : file.sections_) {
        if (s.deleted) continue;
        if (s.hasHeader) visit(s.header);
        for (auto& line : s.body)
            if (!line.deleted) visit(line);
    }
}

std::string ProfileFile::Serialize() const {
    // A line ended by a lone CR and an empty line ended by LF would read as
    // one line ended by CR LF once an edit puts them next to each other (they
    // never were on disk), and the empty line would vanish: an LF after the
    // CR keeps both lines.
    const auto forEachLine = [this](auto&& emit) {
        bool afterLoneCr = false;
        ForEachLiveLine(*this, [&](const Line& line) {
            emit(line, afterLoneCr && line.rawLen == 0 && line.end == LineEnd::LF);
            afterLoneCr = line.end == LineEnd::CR;
        });
    };
    // The length first, so that the text is written into one buffer of its
    // size: a buffer that grows while a 19 MB file is written (a few new
    // lines are enough to pass a guess) is copied whole, and its new pages
    // are all touched again.
    std::size_t size = markLen_ + oddByte_.size();
    forEachLine([&](const Line& line, bool extraLf) {
        size += line.rawLen + EndLength(line.end) + (extraLf ? EndLength(LineEnd::LF) : 0);
    });
    std::string out;
    out.reserve(size);
    out.append(bytes_.data(), markLen_);
    forEachLine([&](const Line& line, bool extraLf) {
        if (extraLf) AppendEnd(out, LineEnd::LF);
        out.append(line.Raw());
        AppendEnd(out, line.end);
    });
    out.append(oddByte_);
    return out;
}

// ---- Walks over a whole section, and adopting saved bytes ----

void ProfileFile::ForEachKey(
    std::string_view section,
    const std::function<void(std::string_view, std::optional<std::string_view>, KeyLine)>& visit) const {
    const Section* s = FindSection(section);
    if (!s) return;
    // A key line is the first of its name unless an earlier live line of the
    // name chains to it (removing the first copy makes the next one first,
    // and a removed line chains to nothing the index uses). Only the parse
    // chains lines, so a section it found no copies in has none.
    std::vector<bool> later;
    if (s->keyCopies) {
        later.assign(s->body.size(), false);
        for (const Line& line : s->body)
            if (!line.deleted && line.parse.kind == LineKind::Key && line.nextSame != None) later[line.nextSame] = true;
    }
    for (std::size_t i = 0; i < s->body.size(); ++i) {
        const Line& line = s->body[i];
        if (line.deleted || line.parse.kind != LineKind::Key || (s->keyCopies && later[i])) continue;
        visit(line.Name(), line.parse.hasValue ? std::optional(line.Value()) : std::nullopt,
              KeyLine{static_cast<std::uint32_t>(i)});
    }
}

std::size_t ProfileFile::KeyCount(std::string_view section) const {
    const Section* s = FindSection(section);
    return s ? s->keys.Count() : 0;
}

void ProfileFile::AdoptSaved(std::string bytes) {
    bytes_ = std::move(bytes);
    std::string decoded;  // encoded files: the texts of the lines kept
    std::vector<std::size_t> textAt;
    const bool encoded = encoding_ != Encoding::Bytes;
    std::size_t at = markLen_;
    const std::size_t unit = EndLength(LineEnd::LF);
    // Lines in the order Serialize wrote them.
    const auto forEachKept = [this](auto&& f) { ForEachLiveLine(*this, f); };
    // New lines take the line end of the saved file's first line, as they
    // would after a parse of it (CRLF when it has none).
    lineEnd_ = LineEnd::CRLF;
    Line* previous = nullptr;
    std::size_t kept = 0;
    forEachKept([&](Line& line) {
        if (kept++ == 0 && line.end != LineEnd::None) lineEnd_ = line.end;
        // Where Serialize put an LF after a lone CR, the two lines read as a
        // line ended by CR LF and the empty line.
        if (previous && previous->end == LineEnd::CR && line.rawLen == 0 && line.end == LineEnd::LF) {
            previous->end = LineEnd::CRLF;
            at += unit;
            if (kept == 2) lineEnd_ = LineEnd::CRLF;  // the first line's end, as a parse reads it
        }
        previous = &line;
        line.raw = bytes_.data() + at;
        at += line.rawLen + EndLength(line.end);
        if (!encoded) {
            line.text = line.raw;  // a byte file's text is its raw content
        } else {
            textAt.push_back(decoded.size());
            decoded.append(line.Text());
        }
    });
    if (encoded) {
        decoded_.swap(decoded);
        std::size_t i = 0;
        forEachKept([&](Line& line) { line.text = decoded_.data() + textAt[i++]; });
    }
    arena_.clear();
    if (!oddByte_.empty()) oddByte_ = std::string_view(bytes_).substr(bytes_.size() - 1);

    // Removed lines now point at nothing: drop them. A section whose removed
    // lines all follow its last key keeps the numbers of its lines, and so
    // its index; any other is indexed again.
    for (Section& s : sections_) {
        if (s.deleted) {
            s.header = Line{};
            continue;
        }
        std::size_t lastKey = 0, firstRemoved = s.body.size();
        for (std::size_t i = 0; i < s.body.size(); ++i) {
            if (s.body[i].deleted)
                firstRemoved = std::min(firstRemoved, i);
            else if (s.body[i].parse.kind == LineKind::Key)
                lastKey = i + 1;
        }
        if (firstRemoved == s.body.size()) continue;
        std::erase_if(s.body, [](const Line& line) { return line.deleted; });
        if (firstRemoved >= lastKey) continue;
        for (Line& line : s.body) line.nextSame = None;
        s.keys.Clear();
        s.keyCopies = false;
        IndexSection(s);
    }
}

}  // namespace qm::profile
