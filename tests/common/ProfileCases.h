#pragma once
// The rules of the Windows profile-file API as one table of cases, run against our
// portable engine (host and Wine) and against the real API (Wine), so that both are
// held to the same behaviour. Where Wine 8 and native Windows lay out a written file
// differently, the table gives the native bytes and marks the case (wineReformats).
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/ProfileFile.h"

namespace tastavia::test {

struct ProfileStep {
    bool write = false;
    std::string section;
    std::string key;
    std::string value;     // what a write writes, or the default a read offers
    std::string expected;  // what a read returns
};

inline ProfileStep WriteStep(std::string section, std::string key, std::string value) {
    return {true, std::move(section), std::move(key), std::move(value), {}};
}

inline ProfileStep ReadStep(std::string section, std::string key, std::string defaultValue, std::string expected) {
    return {false, std::move(section), std::move(key), std::move(defaultValue), std::move(expected)};
}

struct ProfileCase {
    std::string name;                       // a test name: letters and digits
    std::optional<std::string> initial;     // the file at first; none: no file
    std::vector<ProfileStep> steps;
    std::optional<std::string> finalBytes;  // the file afterwards, where the rules fix it
    // Wine 8 rewrites the whole file in its own format on every write, where native
    // Windows keeps the other lines byte for byte; the real API under Wine is then held
    // to the values read back only.
    bool wineReformats = false;
};

// As finalBytes: the file must not exist afterwards.
inline const std::string kNoFile = "<no file>";

inline std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// Text as UTF-16 LE with a byte-order mark; \x80 and up stand for U+0400 and up, so
// that a case can hold Cyrillic without depending on the ANSI code page.
inline std::string Utf16(const std::string& text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (unsigned char c : text) {
        const char low = static_cast<char>(c < 0x80 ? c : c - 0x80 + 0x10), high = static_cast<char>(c < 0x80 ? 0 : 0x04);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

inline const std::vector<ProfileCase>& ProfileCases() {
    constexpr std::size_t kMax = ProfileFile::kMaxValue;
    static const std::vector<ProfileCase> cases = {
        {"KbdWrittenFromScratch", std::nullopt,
         {WriteStep("KBD", "1", "a"), WriteStep("KBD", "2", "b"), WriteStep("KBD", "3", "c"),
          ReadStep("KBD", "2", "-", "b")},
         "[KBD]\r\n1=a\r\n2=b\r\n3=c\r\n"},
        {"MissingFileGivesTheDefault", std::nullopt, {ReadStep("KBD", "1", "none", "none")}, kNoFile},
        {"MissingSectionOrKeyGivesTheDefault", "[KBD]\r\n1=a\r\n",
         {ReadStep("Other", "1", "none", "none"), ReadStep("KBD", "2", "none", "none"),
          ReadStep("KBD", "", "none", "none")},
         "[KBD]\r\n1=a\r\n"},
        {"NamesMatchInAnyLetterCase", "[kbd]\r\nAbc=1\r\n",
         {ReadStep("KBD", "aBC", "-", "1"), ReadStep(" Kbd ", "\tabc ", "-", "1"), WriteStep("Kbd", "ABC", "2"),
          WriteStep("KBD", "New", "3"), ReadStep("kBd", "NEW", "-", "3")},
         // The file keeps its own spelling of the names it has.
         "[kbd]\r\nAbc=2\r\nNew=3\r\n"},
        // Only ASCII letters fold, as with Wine's real API.
        {"CyrillicNamesMatchInTheSameCaseOnly", "[\xE0\xE1]\r\n\xE2=1\r\n",
         {ReadStep("\xE0\xE1", "\xE2", "-", "1"), ReadStep("\xC0\xC1", "\xC2", "-", "-")},
         std::nullopt},
        {"OtherSectionsAreIgnoredAndKept", "[A]\r\nk=1\r\n[KBD]\r\nk=2\r\n[C]\r\nk=3\r\n",
         {ReadStep("KBD", "k", "-", "2"), ReadStep("A", "k", "-", "1"), WriteStep("KBD", "k", "9"),
          WriteStep("KBD", "n", "8"), ReadStep("C", "k", "-", "3"), ReadStep("C", "n", "-", "-")},
         "[A]\r\nk=1\r\n[KBD]\r\nk=9\r\nn=8\r\n[C]\r\nk=3\r\n"},
        {"ValueReplacedInPlace", "[A]\r\n  k  =  1  \r\nj=2\r\n",
         {WriteStep("A", "k", "5"), ReadStep("A", "k", "-", "5"), ReadStep("A", "j", "-", "2")},
         "[A]\r\nk=5\r\nj=2\r\n"},
        {"OtherLinesKeepTheirFormat", "; head\r\n[A]\r\nk = 1\r\n  x=2  \r\n\r\n[B]\r\ny=3\r\n",
         {WriteStep("A", "x", "5"), ReadStep("A", "k", "-", "1"), ReadStep("A", "x", "-", "5"),
          ReadStep("B", "y", "-", "3")},
         "; head\r\n[A]\r\nk = 1\r\nx=5\r\n\r\n[B]\r\ny=3\r\n", true},
        {"SameValueAgainLeavesTheFileAlone", "[A]\n  k = 1 \n",
         {WriteStep("A", "k", "1"), ReadStep("A", "k", "-", "1")},
         "[A]\n  k = 1 \n"},
        {"NewKeyFollowsTheLastEntryNotTrailingBlankLines", "[A]\r\nk=1\r\n\r\n  \r\n[B]\r\nj=2\r\n",
         {WriteStep("A", "n", "3"), WriteStep("B", "m", "4"), ReadStep("A", "n", "-", "3"),
          ReadStep("B", "m", "-", "4"), ReadStep("B", "n", "-", "-")},
         "[A]\r\nk=1\r\nn=3\r\n\r\n  \r\n[B]\r\nj=2\r\nm=4\r\n", true},
        {"NewKeyInAnEmptySectionFollowsItsHeader", "[A]\r\n[B]\r\n",
         {WriteStep("A", "k", "1"), ReadStep("A", "k", "-", "1")},
         "[A]\r\nk=1\r\n[B]\r\n"},
        {"NewKeyInASectionThatAnotherFollows", std::nullopt,
         {WriteStep("S", "a", "1"), WriteStep("T", "b", "2"), WriteStep("S", "c", "3")},
         "[S]\r\na=1\r\nc=3\r\n[T]\r\nb=2\r\n"},
        {"MissingSectionGoesAtTheEnd", "[A]\r\nk=1",
         {WriteStep("B", "n", "3"), ReadStep("B", "n", "-", "3"), ReadStep("A", "k", "-", "1")},
         "[A]\r\nk=1\r\n[B]\r\nn=3\r\n"},
        {"FileWithoutFinalLineBreak", "[A]\r\nk=1\r\nj=2",
         {ReadStep("A", "j", "-", "2"), WriteStep("A", "n", "3")},
         "[A]\r\nk=1\r\nj=2\r\nn=3\r\n"},
        {"EmptyFile", "", {ReadStep("A", "k", "-", "-"), WriteStep("A", "k", "1")}, "[A]\r\nk=1\r\n"},
        {"LfAndCrLineBreaks", "[A]\nk=1\nj=2\n[B]\rz=1\r",
         {ReadStep("A", "j", "-", "2"), ReadStep("B", "z", "-", "1"), WriteStep("A", "k", "5"),
          WriteStep("A", "n", "6"), ReadStep("A", "k", "-", "5"), ReadStep("A", "n", "-", "6")},
         "[A]\nk=5\nj=2\nn=6\r\n[B]\rz=1\r", true},
        {"ValuesLoseSurroundingBlanks", "[A]\r\n  k  =  v 1  \r\n\tt\t=\tw\x0B\r\nn=\xA0v\xA0\r\ne=\r\nb=   \r\n",
         {ReadStep("A", "k", "-", "v 1"), ReadStep("A", "t", "-", "w"), ReadStep("A", "n", "-", "\xA0v\xA0"),
          ReadStep("A", "e", "-", ""), ReadStep("A", "b", "-", ""), WriteStep("A", "s", "  sp  "),
          ReadStep("A", "s", "-", "sp")},
         std::nullopt, true},
        {"ValuesLoseOneMatchingPairOfQuotes",
         "[A]\r\nd=\"v x\"\r\ns='v'\r\nh=\"v\r\nm=\"v'\r\ne=\"\"\r\nq=\"\r\ni= \" v \" \r\nx=\"a\"b\"\r\nz==v\r\n",
         {ReadStep("A", "d", "-", "v x"), ReadStep("A", "s", "-", "v"), ReadStep("A", "h", "-", "\"v"),
          ReadStep("A", "m", "-", "\"v'"), ReadStep("A", "e", "-", ""), ReadStep("A", "q", "-", "\""),
          ReadStep("A", "i", "-", " v "), ReadStep("A", "x", "-", "a\"b"), ReadStep("A", "z", "-", "=v")},
         std::nullopt},
        {"DefaultLosesTrailingBlanksAndQuotes", std::nullopt,
         {ReadStep("A", "k", " d e  ", " d e"), ReadStep("A", "k", "\"d\"", "d"),
          ReadStep("A", "k", Repeat('d', 3000), Repeat('d', kMax))},
         std::nullopt},
        // Quotes and blanks come off before the limit applies (r: 2048 characters with them).
        {"AtMost2047CharactersAreRead",
         "[A]\r\nk=" + Repeat('x', 3000) + "\r\nj=" + Repeat('x', kMax) + "\r\nq=\"" + Repeat('y', 3000) +
             "\"\r\np=" + Repeat('z', kMax) + "   \r\nr=\"" + Repeat('r', kMax - 1) + "\"\r\n",
         {ReadStep("A", "k", "-", Repeat('x', kMax)), ReadStep("A", "j", "-", Repeat('x', kMax)),
          ReadStep("A", "q", "-", Repeat('y', kMax)), ReadStep("A", "p", "-", Repeat('z', kMax)),
          ReadStep("A", "r", "-", Repeat('r', kMax - 1)),
          WriteStep("A", "w", Repeat('w', 3000)), ReadStep("A", "w", "-", Repeat('w', kMax))},
         "[A]\r\nk=" + Repeat('x', 3000) + "\r\nj=" + Repeat('x', kMax) + "\r\nq=\"" + Repeat('y', 3000) +
             "\"\r\np=" + Repeat('z', kMax) + "   \r\nr=\"" + Repeat('r', kMax - 1) + "\"\r\nw=" +
             Repeat('w', 3000) + "\r\n",
         true},
        {"FirstOfDuplicateSectionsAndKeysCounts", "[A]\r\nk=1\r\nK=2\r\n[B]\r\n[a]\r\nk=3\r\nj=4\r\n",
         {ReadStep("A", "k", "-", "1"), ReadStep("A", "j", "-", "-"), WriteStep("A", "k", "5"),
          WriteStep("A", "j", "6")},
         "[A]\r\nk=5\r\nK=2\r\nj=6\r\n[B]\r\n[a]\r\nk=3\r\nj=4\r\n"},
        {"CommentsAndLinesWithoutEqualsAreEntries", "[A]\r\nfoo\r\n;k=1\r\n; note\r\nk=2\r\n",
         {ReadStep("A", "foo", "-", "-"), ReadStep("A", "k", "-", "2"), ReadStep("A", ";k", "-", "1"),
          WriteStep("A", "foo", "v"), WriteStep("A", "n", "x")},
         "[A]\r\nfoo=v\r\n;k=1\r\n; note\r\nk=2\r\nn=x\r\n"},
        {"HeadersNeedAClosingBracket", "  [A] note\r\nk=1\r\n[B\r\nj=2\r\n[c]d]\r\nk=3\r\n",
         {ReadStep("A", "k", "-", "1"), ReadStep("A", "j", "-", "2"), ReadStep("B", "j", "-", "-"),
          ReadStep("c]d", "k", "-", "3")},
         std::nullopt},
        // A UTF-16 file stays UTF-16, its other characters untouched.
        {"Utf16FileIsReadAndWrittenAsUtf16", Utf16("[A]\r\nk=1\r\n;\x96\x97\r\n[B]\r\nj=\"q\"\r\n"),
         {ReadStep("A", "k", "-", "1"), ReadStep("b", "J", "-", "q"), ReadStep("A", "x", "-", "-"),
          WriteStep("A", "k", "2"), WriteStep("A", "n", "3"), WriteStep("C", "m", "4"), ReadStep("A", "n", "-", "3")},
         Utf16("[A]\r\nk=2\r\n;\x96\x97\r\nn=3\r\n[B]\r\nj=\"q\"\r\n[C]\r\nm=4\r\n")},
        {"Utf16BigEndianFileStaysBigEndian", Utf16("[A]\r\nk=1\r\n;\x96\x97\r\n[B]\r\nj=\"q\"\r\n", true),
         {ReadStep("A", "k", "-", "1"), ReadStep("b", "J", "-", "q"), WriteStep("A", "k", "2"),
          WriteStep("A", "n", "3"), WriteStep("C", "m", "4"), ReadStep("A", "n", "-", "3")},
         Utf16("[A]\r\nk=2\r\n;\x96\x97\r\nn=3\r\n[B]\r\nj=\"q\"\r\n[C]\r\nm=4\r\n", true)},
        {"Utf8MarkIsSkippedAndKept", "\xEF\xBB\xBF[A]\r\nk=1\r\n",
         {ReadStep("A", "k", "-", "1"), WriteStep("A", "k", "2")},
         "\xEF\xBB\xBF[A]\r\nk=2\r\n"},
    };
    return cases;
}

// Test names and failure messages show the case by its name, not its bytes.
inline void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }

// What one run of a case gave.
struct ProfileOutcome {
    std::vector<std::string> reads;
    std::vector<bool> writes;
    std::optional<std::string> bytes;  // the file afterwards; none: no file
};

// Runs a case on a file that does not exist yet. put(path, bytes) makes the initial
// file; get(path) gives its bytes afterwards, or none when there is no file.
template <class Put, class Get>
ProfileOutcome RunProfileCase(const ProfileCase& c, ProfileFile& profile, const std::string& path, Put put,
                              Get get) {
    if (c.initial) put(path, *c.initial);
    ProfileOutcome outcome;
    for (const ProfileStep& step : c.steps) {
        if (step.write)
            outcome.writes.push_back(profile.WriteString(path, step.section, step.key, step.value));
        else
            outcome.reads.push_back(profile.GetString(path, step.section, step.key, step.value));
    }
    profile.Flush(path);
    outcome.bytes = get(path);
    return outcome;
}

// Holds an outcome to the table; without checkBytes the file's format is left out.
inline void ExpectAsInTable(const ProfileCase& c, const ProfileOutcome& outcome, bool checkBytes) {
    std::size_t read = 0;
    std::size_t written = 0;
    for (const ProfileStep& step : c.steps) {
        std::string where = "[" + step.section + "] " + step.key;
        if (step.write) {
            ASSERT_LT(written, outcome.writes.size());
            EXPECT_TRUE(outcome.writes[written++]) << "writing " << where;
        } else {
            ASSERT_LT(read, outcome.reads.size());
            EXPECT_EQ(outcome.reads[read++], step.expected) << "reading " << where;
        }
    }
    if (c.finalBytes && *c.finalBytes == kNoFile) {
        EXPECT_FALSE(outcome.bytes.has_value()) << "a file was made";
    } else if (c.finalBytes && checkBytes) {
        ASSERT_TRUE(outcome.bytes.has_value()) << "no file";
        EXPECT_EQ(*outcome.bytes, *c.finalBytes);
    }
}

// For parameterized tests: the case's name as the test's name.
struct ProfileCaseName {
    std::string operator()(const ::testing::TestParamInfo<ProfileCase>& info) const { return info.param.name; }
};

}  // namespace tastavia::test
