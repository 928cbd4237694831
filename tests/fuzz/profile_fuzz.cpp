// Fuzz target: a private-profile file of any bytes, then edits decoded from
// the rest of the input, applied as the store applies the program's writes.
//
// Checks, besides the sanitizers' own (no crash, no overflow, no leak):
// - a file parsed and saved unedited is the same bytes;
// - saving and parsing again ("the cache dropped") reads exactly like the
//   file in memory: the same section names and the same value for every name
//   probed, at every buffer size the program reads with;
// - a value written reads back as written, at once and after the save (see
//   ExpectReadsBack);
// - blank and comment lines are never added by an edit and none vanish
//   unless its section was removed (a blank line joined to a neighbour's
//   line end would);
// - the saved bytes adopted as the file's view (as the store keeps a file it
//   saved) read and take edits as the same bytes parsed afresh.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_file.h"
#include "platform/text.h"

namespace {

using qm::profile::ProfileFile;

constexpr std::size_t ReadSizes[] = {0, 1, 2, 3, 99, 254, 499, std::string_view::npos};

// The edit being checked, for the report of a broken invariant.
std::string lastEdit;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\nlast edit: %s\n", what, lastEdit.c_str());
        std::abort();
    }
}

std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", b);
            out += hex;
        }
    }
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a'; }

// The blank and comment lines of a file without byte order mark, in order.
std::vector<std::string_view> BlankAndCommentLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t p = 0;
    while (p < bytes.size()) {
        std::size_t e = bytes.find_first_of("\r\n", p);
        if (e == std::string_view::npos) e = bytes.size();
        const std::string_view line = bytes.substr(p, e - p);
        std::size_t i = 0;
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size() || line[i] == ';') lines.push_back(line);
        if (e == bytes.size()) break;
        p = e + 1;
        if (bytes[e] == '\r' && p < bytes.size() && bytes[p] == '\n') ++p;
    }
    return lines;
}

bool IsSubsequence(const std::vector<std::string_view>& part, const std::vector<std::string_view>& whole) {
    std::size_t i = 0;
    for (std::size_t j = 0; j < whole.size() && i < part.size(); ++j)
        if (whole[j] == part[i]) ++i;
    return i == part.size();
}

// Names worth probing: every section name, and for keys the text before the
// first '=' of each line and each whole line (keys with no value).
std::vector<std::string> KeyCandidates(std::string_view bytes) {
    std::vector<std::string> names;
    std::size_t p = 0;
    while (p < bytes.size() && names.size() < 128) {
        std::size_t e = bytes.find_first_of("\r\n", p);
        if (e == std::string_view::npos) e = bytes.size();
        const std::string_view line = bytes.substr(p, e - p);
        std::string scratch;
        names.emplace_back(qm::profile::CleanName(line.substr(0, line.find('=')), scratch));
        names.emplace_back(qm::profile::CleanName(line.substr(0, line.find('\0')), scratch));
        p = e + 1;
    }
    return names;
}

std::string PickName(FuzzedDataProvider& in, const std::vector<std::string>& known) {
    std::string name;
    if (!known.empty() && in.ConsumeBool()) {
        name = known[in.ConsumeIntegralInRange<std::size_t>(0, known.size() - 1)];
        if (in.ConsumeBool())
            for (char& c : name) c = qm::ToUpperAscii(c);
    } else {
        name = in.ConsumeRandomLengthString(24);
    }
    std::string scratch;
    return std::string(qm::profile::CleanName(name, scratch));
}

// Case-folded (section, key) of the values written and still expected.
using Written = std::map<std::pair<std::string, std::string>, std::string>;

std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = qm::ToLowerAscii(c);
    return folded;
}

// A value written reads back as written: whole at every size with room for
// it and its quotes when it fits the smallest buffer the program reads with
// (99), cut at every size when the reader would not change it, and never as
// anything but the value's own first bytes (a long value with blanks at its
// end may be written without quotes and read without those blanks).
void ExpectReadsBack(std::string_view stored, std::string_view value) {
    for (const std::size_t size : ReadSizes) {
        const std::string_view read = qm::profile::ValueAsRead(stored, size);
        Check(value.starts_with(read), "a value written reads back as its own first bytes");
        if ((value.size() <= 97 && value.size() + 2 <= size) || stored == value)
            Check(read == qm::CutToBuffer(value, size), "a value written reads back as written");
    }
}

void ExpectSameReads(const ProfileFile& a, const ProfileFile& b, const std::vector<std::string>& sections,
                     const std::vector<std::string>& keys) {
    Check(a.SectionNames() == b.SectionNames(), "section names survive a save");
    for (const std::string& s : sections)
        for (const std::string& k : keys) {
            const auto x = a.Find(s, k), y = b.Find(s, k);
            Check(x.has_value() == y.has_value(), "a key survives a save");
            if (!x) continue;
            for (const std::size_t readSize : ReadSizes)
                Check(qm::profile::ValueAsRead(*x, readSize) == qm::profile::ValueAsRead(*y, readSize),
                      "a value survives a save");
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string bytes = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, size));
    ProfileFile file(bytes);
    Check(file.Serialize() == bytes, "an unedited file saves as the same bytes");

    std::vector<std::string> sections = file.SectionNames();
    if (sections.size() > 64) sections.resize(64);
    sections.emplace_back();
    std::vector<std::string> keys = KeyCandidates(bytes);

    Written written;
    bool sectionRemoved = false;
    for (int op = 0; op < 24 && in.remaining_bytes() > 0; ++op) {
        const int kind = in.ConsumeIntegralInRange<int>(0, 3);
        const std::string section = PickName(in, sections);
        if (kind == 3) {
            file.RemoveSection(section);
            sectionRemoved = true;
            for (auto it = written.begin(); it != written.end();)
                it = it->first.first == Folded(section) ? written.erase(it) : std::next(it);
            continue;
        }
        const std::string key = PickName(in, keys);
        keys.push_back(key);
        if (kind == 2) {
            file.RemoveKey(section, key);
            written.erase({Folded(section), Folded(key)});
            continue;
        }
        if (!qm::profile::IsWritableKey(key)) continue;
        const std::string raw = in.ConsumeBool() ? in.ConsumeRandomLengthString(32)
                                                 : in.ConsumeRandomLengthString(520);
        std::string scratch;
        const std::string value(qm::profile::CleanValue(raw, scratch));
        lastEdit = "[" + Escaped(section) + "] " + Escaped(key) + " = " + Escaped(value);
        file.SetValue(section, key, value);
        sections.push_back(section);
        written[{Folded(section), Folded(key)}] = value;
        const auto found = file.Find(section, key);
        Check(found.has_value(), "a key written is found at once");
        ExpectReadsBack(*found, value);
    }

    const std::string saved = file.Serialize();
    const ProfileFile fresh(saved);
    Check(fresh.Serialize() == saved, "a saved file saves as the same bytes");
    ExpectSameReads(file, fresh, sections, keys);
    for (const auto& [name, value] : written) {
        const auto found = fresh.Find(name.first, name.second);
        Check(found.has_value(), "a key written is found after a save");
        ExpectReadsBack(*found, value);
    }

    const bool marked = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
                        bytes.starts_with("\xFE\xFF");
    if (!marked) {
        const auto before = BlankAndCommentLines(bytes), after = BlankAndCommentLines(saved);
        if (sectionRemoved)
            Check(IsSubsequence(after, before), "edits add no blank or comment line");
        else
            Check(after == before, "blank and comment lines stay as they were");
    }

    // The store keeps the saved bytes as the file's parsed view: it must read
    // and take further edits exactly as the same bytes parsed afresh.
    file.AdoptSaved(saved);
    ExpectSameReads(file, fresh, sections, keys);
    ProfileFile twin(saved);
    for (int op = 0; op < 8 && in.remaining_bytes() > 0; ++op) {
        const int kind = in.ConsumeIntegralInRange<int>(0, 2);
        const std::string section = PickName(in, sections);
        const std::string key = PickName(in, keys);
        lastEdit = "after the save: " + std::to_string(kind) + " [" + Escaped(section) + "] " + Escaped(key);
        if (kind == 0) {
            Check(file.RemoveSection(section) == twin.RemoveSection(section), "a removed section, as read afresh");
        } else if (kind == 1) {
            Check(file.RemoveKey(section, key) == twin.RemoveKey(section, key), "a removed key, as read afresh");
        } else if (qm::profile::IsWritableKey(key)) {
            std::string scratch;
            const std::string value(qm::profile::CleanValue(in.ConsumeRandomLengthString(32), scratch));
            Check(file.SetValue(section, key, value) == twin.SetValue(section, key, value),
                  "a value set, as read afresh");
        }
        Check(file.Serialize() == twin.Serialize(), "an edit after a save, as on the file read afresh");
    }
    return 0;
}
