// After a save the store keeps the bytes it wrote as its parsed view instead
// of parsing them again. That view must be the file those bytes parse to:
// every look-up, every walk over a section and every later edit gives what it
// gives on a fresh parse of the same bytes. Checked on files of each encoding
// after runs of edits of every kind, with names in odd case and duplicates.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/profile_file.h"

namespace qm::profile {
namespace {

class Edits {
public:
    explicit Edits(unsigned seed) : random_(seed) {}

    std::string File() {
        static const char* const kMarks[] = {"", "", "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
        const std::string mark = kMarks[Pick(std::size(kMarks))];
        static const char* const kEnds[] = {"\r\n", "\n", "\r", ""};
        const std::string end = kEnds[Pick(3)];
        const std::string other = kEnds[Pick(4)];  // now and then a line ends otherwise
        std::string text;
        const int lines = static_cast<int>(Pick(14));
        for (int l = 0; l < lines; ++l) {
            switch (Pick(6)) {
            case 0:
                text += "[" + Section() + "]";
                break;
            case 1:
                text += Pick(2) ? "" : "; note";
                break;
            case 2:
                text += Pick(2) ? "no equals" : Key();
                break;
            default:
                text += Key() + (Pick(4) ? "=" : " = ") + Value();
                break;
            }
            text += Pick(5) ? end : other;
        }
        if (mark == "\xFF\xFE" || mark == "\xFE\xFF") {
            const bool big = mark == "\xFE\xFF";
            std::string wide = mark;
            for (const char c : text) {
                wide += big ? '\0' : c;
                wide += big ? c : '\0';
            }
            if (Pick(4) == 0) wide += 'z';  // a stray last byte
            return wide;
        }
        return mark + text;
    }

    // One edit of `file`, the same for every file it is made on.
    struct Edit {
        int kind;
        std::string section, key, value;
    };
    Edit Next() { return {static_cast<int>(Pick(6)), Section(), Key(), Value()}; }

    static void Apply(ProfileFile& file, const Edit& e) {
        if (e.kind == 0)
            file.RemoveSection(e.section);
        else if (e.kind <= 2)
            file.RemoveKey(e.section, e.key);
        else
            file.SetValue(e.section, e.key, e.value);
    }

    std::string Section() {
        static const char* const kNames[] = {"A", "a", "B", "Fleet", "FLEET", ""};
        return kNames[Pick(std::size(kNames))];
    }
    std::string Key() {
        static const char* const kNames[] = {"k", "K", "j", "aircraft0.title", "AIRCRAFT0.TITLE", "x"};
        return kNames[Pick(std::size(kNames))];
    }

private:
    std::string Value() {
        static const char* const kValues[] = {"", "v", "w", " spaced ", "\"quoted\"", "\xE9t\xE9"};
        return kValues[Pick(std::size(kValues))];
    }
    std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

    std::mt19937 random_;
};

// What a reader can see of a file: its bytes, its section names, every
// look-up of the names the edits use, and the walk over every section.
std::string Seen(const ProfileFile& file, Edits& names) {
    std::string seen = file.Serialize() + "\n--\n";
    for (const std::string& name : file.SectionNames()) seen += "[" + name + "]";
    for (int i = 0; i < 40; ++i) {
        const std::string section = names.Section(), key = names.Key();
        const auto value = file.Find(section, key);
        seen += "\n" + section + "/" + key + "=" + (value ? std::string(*value) : "(none)");
    }
    for (const char* section : {"A", "B", "Fleet", ""}) {
        seen += "\n{" + std::string(section);
        file.ForEachKey(section, [&seen](std::string_view name, std::optional<std::string_view> value, ProfileFile::KeyLine) {
            seen.append(" ").append(name).append(value ? "=" : "").append(value.value_or(""));
        });
        seen += "}";
    }
    return seen;
}

TEST(ProfileSavedView, IsTheFileTheSavedBytesParseTo) {
    Edits edits(77);
    for (int round = 0; round < 1500; ++round) {
        ProfileFile kept(edits.File());
        for (int e = static_cast<int>(edits.Next().kind) * 2; e > 0; --e) Edits::Apply(kept, edits.Next());
        const std::string saved = kept.Serialize();
        kept.AdoptSaved(saved);
        ProfileFile parsed(saved);
        SCOPED_TRACE(saved);

        Edits seenKept(round), seenParsed(round);
        ASSERT_EQ(Seen(kept, seenKept), Seen(parsed, seenParsed));
        // Later edits, and a second save, go the same way on both.
        for (int e = 0; e < 6; ++e) {
            const Edits::Edit edit = edits.Next();
            Edits::Apply(kept, edit);
            Edits::Apply(parsed, edit);
        }
        const std::string again = kept.Serialize();
        kept.AdoptSaved(again);
        Edits seenKeptAgain(round), seenParsedAgain(round);
        ASSERT_EQ(Seen(kept, seenKeptAgain), Seen(parsed, seenParsedAgain));
    }
}

}  // namespace
}  // namespace qm::profile
