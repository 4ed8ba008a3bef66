// Strings: construction, the operations and their sharing rules, and the
// text file encoding (UTF-8 out; UTF-8 or UTF-16 with byte-order marks in).

#include <gtest/gtest.h>

#include <cstdio>

#include "runtime/array.h"
#include "runtime/string.h"
#include "tests/support/testing.h"

using nubrix_test::Narrow;
using nubrix_test::RunInChild;

namespace {

String S(const char* z) { return String(z); }

std::vector<unsigned char> Bytes(std::initializer_list<int> list) {
    std::vector<unsigned char> v;
    for (int b : list) v.push_back(static_cast<unsigned char>(b));
    return v;
}

String LoadBytes(const std::vector<unsigned char>& b) { return String::Load(b.data(), static_cast<int>(b.size())); }

std::vector<int> Units(const String& s) {
    std::vector<int> u;
    for (int i = 0; i < s.Length(); ++i) u.push_back(s[i]);
    return u;
}

TEST(StringConstruction, ByteStringsWidenAsSignedBytes) {
    String s("A\x80\xff");
    EXPECT_EQ(Units(s), (std::vector<int>{'A', 0xFF80, 0xFFFF}));
    const unsigned char raw[] = {'A', 0x80, 0xff};
    EXPECT_EQ(Units(String(raw, 3)), (std::vector<int>{'A', 0x80, 0xFF}));
}

TEST(StringConstruction, UnitsAreCopiedUpToTheTerminatorOrTheCount) {
    const Char units[] = {'h', 0x20AC, 'i', 0};
    EXPECT_EQ(Units(String(units)), (std::vector<int>{'h', 0x20AC, 'i'}));
    EXPECT_EQ(Units(String(units, 2)), (std::vector<int>{'h', 0x20AC}));
    EXPECT_EQ(T("abc"), S("abc"));
}

TEST(StringConstruction, IntegersUsePrintfDecimal) {
    EXPECT_EQ(Narrow(String(0)), "0");
    EXPECT_EQ(Narrow(String(-42)), "-42");
    EXPECT_EQ(Narrow(String(-2147483647 - 1)), "-2147483648");
}

TEST(StringConstruction, FloatsAlwaysShowAPointOrAnExponent) {
    EXPECT_EQ(Narrow(String(3.0f)), "3.0");
    EXPECT_EQ(Narrow(String(0.5f)), "0.5");
    EXPECT_EQ(Narrow(String(0.1f)), "0.10000000149011612");
    EXPECT_EQ(Narrow(String(-2.0f)), "-2.0");
    std::string big = Narrow(String(1e20f));
    EXPECT_NE(big.find('e'), std::string::npos) << big;
    EXPECT_NE(big.find('.'), std::string::npos) << big;
    EXPECT_EQ(big.find(".0e"), std::string::npos) << "nothing is appended to an exponent form: " << big;
}

TEST(StringSharing, EmptyStringsShareOneBodyThatIsNeverFreed) {
    String a, b(""), c = S("x").Slice(1);
    EXPECT_TRUE(a.SharesBodyWith(b));
    EXPECT_TRUE(a.SharesBodyWith(c));
    { String d = a; }  // dropping a copy must not free the shared body
    EXPECT_EQ(a.Length(), 0);
}

TEST(StringSharing, OperationsThatChangeNothingReturnTheSameBody) {
    String s = S("abcdef");
    EXPECT_TRUE((s + String()).SharesBodyWith(s));
    EXPECT_TRUE((String() + s).SharesBodyWith(s));
    EXPECT_TRUE(s.Slice(0).SharesBodyWith(s));
    EXPECT_TRUE(s.ToLower().SharesBodyWith(s));
    EXPECT_TRUE(s.Replace(S("xyz"), S("q")).SharesBodyWith(s));
    EXPECT_TRUE(s.Split(S(",")).operator[](0).SharesBodyWith(s));
}

TEST(StringSharing, SelfAssignmentKeepsTheText) {
    String s = S("abc") + S("def");
    String& alias = s;
    s = alias;
    EXPECT_EQ(Narrow(s), "abcdef");
}

TEST(StringOperations, ConcatenationAndEquality) {
    EXPECT_EQ(Narrow(S("ab") + S("cd")), "abcd");
    EXPECT_TRUE(S("abc") == S("ab") + S("c"));
    EXPECT_FALSE(S("abc") == S("abd"));
    EXPECT_FALSE(S("abc") == S("ab"));
    EXPECT_TRUE(S("abc") != S("ab"));
}

TEST(StringOperations, SliceClampsAndCountsFromTheEnd) {
    String s = S("abcdef");
    EXPECT_EQ(Narrow(s.Slice(-3)), "def");
    EXPECT_EQ(Narrow(s.Slice(2, -1)), "cde");
    EXPECT_EQ(s.Slice(4, 2).Length(), 0);
    EXPECT_EQ(Narrow(s.Slice(-100, 2)), "ab");
    EXPECT_EQ(Narrow(s.Slice(3, 100)), "def");
    EXPECT_EQ(s.Slice(9).Length(), 0);
    EXPECT_EQ(s.Slice(2, -10).Length(), 0) << "a 'to' still negative after adding the length gives nothing";
}

TEST(StringOperations, FindFindLastAndStartsWith) {
    String abc = S("abc");
    EXPECT_EQ(abc.Find(String(), 3), 3);
    EXPECT_EQ(abc.Find(String(), 4), -1);
    EXPECT_EQ(abc.Find(S("b"), -5), 1);
    EXPECT_EQ(abc.Find(S("c"), 3), -1);
    EXPECT_EQ(S("abab").Find(S("ab"), 1), 2);
    EXPECT_EQ(S("abab").FindLast(S("ab")), 2);
    EXPECT_EQ(abc.FindLast(S("abcd")), -1);
    EXPECT_EQ(abc.FindLast(String()), 3);
    EXPECT_TRUE(abc.StartsWith(S("ab")));
    EXPECT_TRUE(abc.StartsWith(String()));
    EXPECT_FALSE(abc.StartsWith(S("abcd")));
}

TEST(StringOperations, SplitKeepsEmptyPieces) {
    Array<String> parts = S("a,,b").Split(S(","));
    ASSERT_EQ(parts.Length(), 3);
    EXPECT_EQ(Narrow(parts[0]), "a");
    EXPECT_EQ(parts[1].Length(), 0);
    EXPECT_EQ(Narrow(parts[2]), "b");

    parts = S(",x,").Split(S(","));
    ASSERT_EQ(parts.Length(), 3);
    EXPECT_EQ(parts[0].Length(), 0);
    EXPECT_EQ(parts[2].Length(), 0);

    parts = S("1|22|333|").Split(S("|"));
    ASSERT_EQ(parts.Length(), 4);
    EXPECT_EQ(Narrow(parts[2]), "333");

    parts = S("aXYbXYc").Split(S("XY"));
    ASSERT_EQ(parts.Length(), 3);
    EXPECT_EQ(Narrow(parts[1]), "b");
}

TEST(StringOperations, SplitOfEmptyTextsAndAtTheEmptySeparator) {
    Array<String> parts = String().Split(S(","));
    ASSERT_EQ(parts.Length(), 1);
    EXPECT_EQ(parts[0].Length(), 0);

    parts = S("abc").Split(String());
    ASSERT_EQ(parts.Length(), 3);
    EXPECT_EQ(Narrow(parts[0]), "a");
    EXPECT_EQ(Narrow(parts[2]), "c");

    EXPECT_EQ(String().Split(String()).Length(), 0);
}

TEST(StringOperations, ReplaceScansLeftToRightWithoutOverlap) {
    EXPECT_EQ(Narrow(S("aaaa").Replace(S("aa"), S("b"))), "bb");
    EXPECT_EQ(Narrow(S("aaa").Replace(S("aa"), S("b"))), "ba");
    EXPECT_EQ(Narrow(S("x-y-z").Replace(S("-"), S("--"))), "x--y--z");
    EXPECT_EQ(Narrow(S("abc").Replace(S("b"), String())), "ac");
    EXPECT_EQ(Narrow(S("abc").Replace(String(), S("q"))), "abc") << "an empty search text must terminate";
}

TEST(StringOperations, ToLowerChangesOnlyAsciiCapitals) {
    const Char units[] = {'A', 'z', 0xC0, 'Q', 0};
    EXPECT_EQ(Units(String(units).ToLower()), (std::vector<int>{'a', 'z', 0xC0, 'q'}));
}

TEST(StringOperations, CStringsCarryLowBytesAndATerminator) {
    const Char units[] = {'o', 'k', 0x1E9, 0};
    String s(units);
    const char* bytes = s.ToCString<char>();
    EXPECT_EQ(bytes[0], 'o');
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 0xE9);
    EXPECT_EQ(bytes[3], 0);
    const Char* wide = s.ToCString<Char>();
    EXPECT_EQ(wide[2], 0x1E9);
    EXPECT_EQ(wide[3], 0);
}

TEST(TextDecoding, Utf16ByteOrderMarksAndAnOddLastByte) {
    EXPECT_EQ(Units(LoadBytes(Bytes({0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00, 0x43}))),
              (std::vector<int>{'A', 'B'}));
    EXPECT_EQ(Units(LoadBytes(Bytes({0xFE, 0xFF, 0x20, 0xAC, 0x00, 0x41}))), (std::vector<int>{0x20AC, 'A'}));
    EXPECT_EQ(LoadBytes(Bytes({0xFF, 0xFE})).Length(), 0);
}

TEST(TextDecoding, Utf8WithAndWithoutByteOrderMark) {
    EXPECT_EQ(Units(LoadBytes(Bytes({0xEF, 0xBB, 0xBF, 'h', 0xC3, 0xA9, 0xE2, 0x82, 0xAC}))),
              (std::vector<int>{'h', 0xE9, 0x20AC}));
    EXPECT_EQ(Units(LoadBytes(Bytes({0xC3, 0xA9}))), (std::vector<int>{0xE9}));
    // Overlong forms and encoded surrogates are taken as they come.
    EXPECT_EQ(Units(LoadBytes(Bytes({0xC0, 0x80, 0xED, 0xA0, 0x80}))), (std::vector<int>{0, 0xD800}));
}

TEST(TextDecoding, InvalidUtf8FallsBackToOneUnitPerByteAfterAWarning) {
    auto child = RunInChild([] {
        String s = LoadBytes(Bytes({0x41, 0xE9, 0x42}));
        std::printf("%d %d %d %d\n", s.Length(), s[0], s[1], s[2]);
    });
    EXPECT_EQ(child.out, "Invalid UTF-8!\n3 65 233 66\n");
}

TEST(TextDecoding, EveryKindOfInvalidSequenceIsRejected) {
    // a stray continuation, a four-byte lead, a truncated two- and three-byte
    // sequence, and a UTF-8 byte-order mark followed by bad bytes (the mark
    // is not part of the fallback text).
    auto child = RunInChild([] {
        for (auto bytes : {Bytes({0x80}), Bytes({0xF0, 0x9F, 0x98, 0x80}), Bytes({'a', 0xC3}),
                           Bytes({0xE2, 0x82}), Bytes({0xEF, 0xBB, 0xBF, 0xFF, 'x'})}) {
            String s = LoadBytes(bytes);
            std::printf("%d:", s.Length());
            for (int i = 0; i < s.Length(); ++i) std::printf(" %d", s[i]);
            std::printf("\n");
        }
    });
    EXPECT_EQ(child.out,
              "Invalid UTF-8!\n1: 128\n"
              "Invalid UTF-8!\n4: 240 159 152 128\n"
              "Invalid UTF-8!\n2: 97 195\n"
              "Invalid UTF-8!\n2: 226 130\n"
              "Invalid UTF-8!\n2: 255 120\n");
}

TEST(TextEncoding, SaveWritesUtf8WithoutAMark) {
    const Char units[] = {0xE9, 0x20AC, 'a', 0x7FF, 0xD800, 0};
    std::vector<unsigned char> out;
    String(units).Save(out);
    EXPECT_EQ(out, Bytes({0xC3, 0xA9, 0xE2, 0x82, 0xAC, 'a', 0xDF, 0xBF, 0xED, 0xA0, 0x80}));
}

TEST(TextEncoding, FilesRoundTripAndEmptyFilesReadAsEmpty) {
    nubrix_test::TempDir dir;
    std::string path = dir.File("t.txt");

    std::vector<Char> units;
    for (int i = 1; i < 20000; i += 7) units.push_back(static_cast<Char>(i * 7));  // crosses the 4096-byte blocks
    String text(units.data(), static_cast<int>(units.size()));

    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(text.Save(f));
    std::fclose(f);
    f = std::fopen(path.c_str(), "rb");
    String back = String::Load(f);
    std::fclose(f);
    EXPECT_TRUE(back == text);

    f = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(String().Save(f));
    std::fclose(f);
    f = std::fopen(path.c_str(), "rb");
    EXPECT_EQ(String::Load(f).Length(), 0);
    std::fclose(f);
}

TEST(TextEncoding, SaveReportsAFailedWrite) {
    FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_FALSE(S("text that cannot be written").Save(full));
    std::fclose(full);
}

}  // namespace
