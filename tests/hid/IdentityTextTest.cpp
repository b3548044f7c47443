// Identity strings and version labels as the window shows and compares them.

#include <gtest/gtest.h>

#include "hid/IdentityText.h"

namespace torvex::hid {
namespace {

TEST(IdentityText, CutsAtZeroUnitAndFiftyUnitsNeverSplittingAPair) {
  const std::u16string x48(48, u'x'), x49(49, u'x');
  const QString gClef = QString::fromUtf16(u"\U0001D11E");
  const std::pair<std::u16string, QString> cases[] = {
      {u"", ""},
      // U+0100 has a zero low byte; it is a character, not the end of the text.
      {u"A\u0100B\u4E00Ω", QString::fromUtf16(u"A\u0100B\u4E00Ω")},
      {std::u16string(u"AB\0CD", 5), "AB"},
      {std::u16string(50, u'x'), QString(50, 'x')},
      {std::u16string(51, u'x'), QString(50, 'x')},
      {x48 + u"\U0001D11Ez", QString(48, 'x') + gClef},
      {x49 + u"\U0001D11Etail", QString(49, 'x')},
  };
  for (const auto& [units, expected] : cases)
    EXPECT_EQ(IdentityText(units), expected) << expected.toStdString();
}

TEST(VersionLabel, MinorIsHexNotDecimal) {
  EXPECT_EQ(VersionLabel(0x0210), " 2.10");
  EXPECT_EQ(VersionLabel(0x0000), " 0.0");
  EXPECT_EQ(VersionLabel(0xFFAB), " 255.AB");
}

}  // namespace
}  // namespace torvex::hid
