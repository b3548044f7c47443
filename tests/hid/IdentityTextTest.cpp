// Identity strings and version labels as the window shows and compares them.

#include <gtest/gtest.h>

#include "hid/IdentityText.h"

namespace torvex::hid {
namespace {

struct TextCase {
  const char* name;
  std::u16string units;
  QString expected;
};

std::u16string Repeat(char16_t c, std::size_t n) {
  return std::u16string(n, c);
}

const QString kGClef = QString::fromUtf16(u"\U0001D11E");

const TextCase kTextCases[] = {
    {"Ascii", u"TVX0001", "TVX0001"},
    {"Empty", u"", ""},
    {"NonAsciiKeptWhole", u"Zürich-Ωmega", QString::fromUtf16(u"Zürich-Ωmega")},
    // U+0100 has a zero low byte; it is a character, not the end of the text.
    {"ZeroLowByteDoesNotCut", u"A\u0100B\u4E00C", QString::fromUtf16(u"A\u0100B\u4E00C")},
    {"ZeroUnitEndsText", std::u16string(u"AB\0CD", 5), "AB"},
    {"ExactlyFifty", Repeat(u'x', 50), QString(50, 'x')},
    {"FiftyOneCutToFifty", Repeat(u'x', 51), QString(50, 'x')},
    {"FullUsbStringCutToFifty", Repeat(u'y', 126), QString(50, 'y')},
    // A pair at units 48-49 fits; a pair at units 49-50 would be split, so it goes whole.
    {"PairEndingAtLimitKept", Repeat(u'x', 48) + u"\U0001D11E" + u"z", QString(48, 'x') + kGClef},
    {"PairAcrossLimitDropped", Repeat(u'x', 49) + u"\U0001D11E", QString(49, 'x')},
    {"PairAcrossLimitDroppedWithTail", Repeat(u'x', 49) + u"\U0001D11E" + u"tail",
     QString(49, 'x')},
    {"PairWithinText", u"a\U0001D11Eb", "a" + kGClef + "b"},
};

class IdentityTextTable : public testing::TestWithParam<TextCase> {};

TEST_P(IdentityTextTable, Converts) {
  const TextCase& c = GetParam();
  const QString text = IdentityText(c.units);
  EXPECT_EQ(text, c.expected) << text.toStdString();
  EXPECT_LE(text.size(), static_cast<qsizetype>(kMaxIdentityUnits));
}

INSTANTIATE_TEST_SUITE_P(Texts, IdentityTextTable, testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct VersionCase {
  std::uint16_t version;
  const char* label;
};

class VersionLabelTable : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionLabelTable, MajorDecimalMinorUpperHex) {
  EXPECT_EQ(VersionLabel(GetParam().version), QString::fromLatin1(GetParam().label));
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionLabelTable,
                         testing::Values(VersionCase{0x0103, " 1.3"}, VersionCase{0x0210, " 2.10"},
                                         VersionCase{0x1000, " 16.0"},
                                         VersionCase{0x80FF, " 128.FF"},
                                         VersionCase{0x0000, " 0.0"}, VersionCase{0x00AB, " 0.AB"},
                                         VersionCase{0xFFFF, " 255.FF"}));

}  // namespace
}  // namespace torvex::hid
