// Fuzz target: a private-profile file of any bytes, then edits decoded from
// the rest of the input, applied as the store applies the program's writes.
//
// Checks, besides the sanitizers' own (no crash, no overflow, no leak):
// - a file parsed and saved unedited is the same bytes;
// - saving and parsing again ("the cache dropped") reads exactly like the
//   file in memory: the same section names and the same value for every name
//   probed, at every buffer size the program reads with;
// - a value written reads back as written, whole at any size with room for
//   it and two bytes more;
// - blank and comment lines are never added by an edit and none vanish
//   unless its section was removed (a blank line joined to a neighbour's
//   line end would).
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

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
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
        file.SetValue(section, key, value);
        sections.push_back(section);
        written[{Folded(section), Folded(key)}] = value;
        const auto found = file.Find(section, key);
        Check(found && qm::profile::ValueAsRead(*found, std::string_view::npos) == value,
              "a value written reads back at once");
    }

    const std::string saved = file.Serialize();
    const ProfileFile fresh(saved);
    Check(fresh.Serialize() == saved, "a saved file saves as the same bytes");
    ExpectSameReads(file, fresh, sections, keys);
    for (const auto& [name, value] : written) {
        const auto found = fresh.Find(name.first, name.second);
        Check(found.has_value(), "a key written is found after a save");
        for (const std::size_t readSize : ReadSizes)
            if (value.size() + 2 <= readSize)
                Check(qm::profile::ValueAsRead(*found, readSize) == value, "a value written reads back as written");
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
    return 0;
}
