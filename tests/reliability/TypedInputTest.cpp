// Typed numbers through the real window: every entry is typed key by key and
// committed with Enter against an emulated board, in a point locale (en_US)
// and a comma locale (de_DE). Both "." and "," type the locale's separator,
// so a group separator can never be typed and such entries are refused.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <string>

#include "protocol/BoardSession.h"

namespace torvex::test {
namespace {

struct TypedEntry {
  const char* name;
  std::string typed;
  int clutch;  // slider position; -1: refused, nothing sent, text left as typed
  const char* clutchShown;
  int led;
  const char* ledShown;
  const char* deadZoneShown;  // dead zones always commit (not a number: 0.0)
  int deadZoneRaw;
};

// Shown texts in the point locale; the comma locale shows "," for every ".".
const TypedEntry kEntries[] = {
    {"empty", "", -1, "", -1, "", "0.0", 0},
    {"space", " ", -1, " ", -1, " ", "0.0", 0},
    {"spaces", "   ", -1, "   ", -1, "   ", "0.0", 0},
    {"letters", "abc", -1, "abc", -1, "abc", "0.0", 0},
    {"trailing letter", "5a", -1, "5a", -1, "5a", "0.0", 0},
    {"leading letter", "a5", -1, "a5", -1, "a5", "0.0", 0},
    {"plus", "+5", 3280, "5.0", 12, "4.7", "5.0", 3275},
    {"minus", "-5", 0, "0.0", 0, "0.0", "0.0", 0},
    {"double minus", "--5", -1, "--5", -1, "--5", "0.0", 0},
    {"plus minus", "+-5", -1, "+-5", -1, "+-5", "0.0", 0},
    {"unicode minus",
     "\xe2\x88\x92"
     "5",
     0, "0.0", 0, "0.0", "0.0", 0},
    {"zero", "0", 0, "0.0", 0, "0.0", "0.0", 0},
    {"zero point zero", "0.0", 0, "0.0", 0, "0.0", "0.0", 0},
    {"minus zero", "-0", 0, "0.0", 0, "0.0", "0.0", 0},
    {"leading point", ".5", 328, "0.5", 1, "0.3", "0.5", 328},
    {"trailing point", "5.", 3280, "5.0", 12, "4.7", "5.0", 3275},
    {"comma key", "7,3", 4788, "7.3", 18, "7.0", "7.3", 4782},
    {"point key", "7.3", 4788, "7.3", 18, "7.0", "7.3", 4782},
    {"two separators", "1.2.3", -1, "1.2.3", -1, "1.2.3", "0.0", 0},
    {"group then point", "1,234.5", -1, "1.234.5", -1, "1.234.5", "0.0", 0},
    {"space group", "1 234", -1, "1 234", -1, "1 234", "0.0", 0},
    {"padded", " 42 ", 27552, "42.0", 107, "41.9", "10.0", 6550},
    {"no-break spaces",
     "\xc2\xa0"
     "42\xc2\xa0"
     "",
     27552, "42.0", 107, "41.9", "10.0", 6550},
    {"exponent", "1e2", 65535, "100.0", 255, "100.0", "10.0", 6550},
    {"upper exponent", "1E1", 6560, "10.0", 25, "9.8", "10.0", 6550},
    {"overflow", "1e400", -1, "1e400", -1, "1e400", "0.0", 0},
    {"underflow", "1e-400", -1, "1e-400", -1, "1e-400", "0.0", 0},
    {"inf", "inf", -1, "inf", -1, "inf", "0.0", 0},
    {"nan", "nan", -1, "nan", -1, "nan", "0.0", 0},
    {"hex", "0x10", -1, "0x10", -1, "0x10", "0.0", 0},
    {"percent sign", "5%", -1, "5%", -1, "5%", "0.0", 0},
    {"fullwidth digit",
     "\xef\xbc\x95"
     "",
     -1, "\xef\xbc\x95", -1, "\xef\xbc\x95", "0.0", 0},
    {"half", "0.5", 328, "0.5", 1, "0.3", "0.5", 328},
    {"one", "1", 656, "1.0", 2, "0.7", "1.0", 655},
    {"fifty", "50", 32800, "50.0", 128, "50.1", "10.0", 6550},
    {"99.9", "99.9", 65534, "99.9", 255, "100.0", "10.0", 6550},
    {"99.90243", "99.90243", 65535, "100.0", 255, "100.0", "10.0", 6550},
    {"99.95", "99.95", 65535, "100.0", 255, "100.0", "10.0", 6550},
    {"100", "100", 65535, "100.0", 255, "100.0", "10.0", 6550},
    {"100.1", "100.1", 65535, "100.0", 255, "100.0", "10.0", 6550},
    {"10.45", "10.45", 6855, "10.4", 26, "10.1", "10.5", 6878},
    {"10.5", "10.5", 6888, "10.5", 26, "10.1", "10.5", 6878},
    {"10.6", "10.6", 6953, "10.6", 27, "10.5", "10.0", 6550},
    {"12.99", "12.99", 8521, "13.0", 33, "12.9", "10.0", 6550},
    {"1.05", "1.05", 688, "1.0", 2, "0.7", "1.1", 721},
    {"tiny", "0.004", 2, "0.0", 0, "0.0", "0.0", 0},
    {"20 digits", "12345678901234567890", 65535, "100.0", 255, "100.0", "10.0", 6550},
    {"300 ones", std::string(300, '1'), 65535, "100.0", 255, "100.0", "10.0", 6550},
    {"long fraction", "0." + std::string(200, '0') + "1", 0, "0.0", 0, "0.0", "0.0", 0},
};

const QLocale kLocales[] = {kEnglish, kGerman};

QString Localized(const char* text, const QLocale& locale) {
  QString s = QString::fromUtf8(text);
  s.replace(QLatin1Char('.'), locale.decimalPoint().at(0));
  return s;
}

// Key by key; characters outside ASCII arrive as keys with text only, as an
// input method would send them.
void Type(QLineEdit* field, const std::string& typed) {
  field->clear();
  for (QChar c : QString::fromStdString(typed)) {
    if (c.unicode() < 128)
      QTest::keyClick(field, static_cast<char>(c.unicode()));
    else
      QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
  QTest::keyClick(field, Qt::Key_Return);
}

Bytes Frame(int code, int value) {
  Bytes f(64, 0);
  f[1] = 1;
  f[2] = static_cast<std::uint8_t>(code);
  f[3] = static_cast<std::uint8_t>(value);
  return f;
}

std::vector<Bytes> Pair(int lowCode, int value) {
  return {Frame(lowCode, value % 256), Frame(lowCode + 1, value / 256)};
}

struct SliderField {
  const char* name;
  QLineEdit* frmMain::*field;
  QSlider* frmMain::*slider;
  int lowCode;
  int TypedEntry::*position;
  const char* TypedEntry::*shown;
};

const SliderField kSliderFields[] = {
    {"clutch bite", &frmMain::clutchBitePercentLabel, &frmMain::clutchBiteSlider, 0x46,
     &TypedEntry::clutch, &TypedEntry::clutchShown},
    {"LED", &frmMain::ledPercentLabel, &frmMain::ledSlider, 0x60, &TypedEntry::led,
     &TypedEntry::ledShown},
};

TEST(TypedInput, SliderFieldsSetPositionAndSendBothBytes) {
  constexpr int kUntouched = 7;
  for (const auto& kind : kSliderFields) {
    for (const auto& locale : kLocales) {
      Rig rig;
      rig.addBoard(u"A");
      frmMain& form = LoadConnected(rig, locale);
      QLineEdit* field = form.*kind.field;
      QSlider* slider = form.*kind.slider;
      for (const auto& e : kEntries) {
        SCOPED_TRACE(std::string(kind.name) + " / " + locale.name().toStdString() + " / " + e.name);
        slider->setValue(kUntouched);
        rig.platform.clearLog();
        const auto t0 = rig.nowMs();
        Type(field, e.typed);
        const int want = e.*kind.position;
        EXPECT_EQ(field->text(), Localized(e.*kind.shown, locale));
        if (want < 0) {
          EXPECT_EQ(slider->value(), kUntouched);
          EXPECT_TRUE(rig.sent(0).empty());
          EXPECT_EQ(rig.nowMs(), t0);
          continue;
        }
        EXPECT_EQ(slider->value(), want);
        EXPECT_EQ(rig.sent(0), Pair(kind.lowCode, want));
        EXPECT_EQ(rig.nowMs() - t0, 20);  // 10 ms after each byte
      }
    }
  }
}

struct DeadZoneField {
  QLineEdit* frmMain::*field;
  int lowCode;
};

TEST(TypedInput, DeadZonesAreLimitedFormattedAndSentAsRaw) {
  const DeadZoneField fields[] = {{&frmMain::xDeadLow, 0x54},
                                  {&frmMain::xDeadHigh, 0x56},
                                  {&frmMain::yDeadLow, 0x58},
                                  {&frmMain::yDeadHigh, 0x5A}};
  for (const auto& locale : kLocales) {
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig, locale);
    for (std::size_t i = 0; i < std::size(kEntries); ++i) {
      const auto& e = kEntries[i];
      // Every entry on the first field and on one of the others in turn.
      for (const auto& f : {fields[0], fields[1 + i % 3]}) {
        SCOPED_TRACE(locale.name().toStdString() + " / " + e.name + " / " +
                     std::to_string(f.lowCode));
        rig.platform.clearLog();
        const auto t0 = rig.nowMs();
        Type(form.*f.field, e.typed);
        EXPECT_EQ((form.*f.field)->text(), Localized(e.deadZoneShown, locale));
        EXPECT_EQ(rig.sent(0), Pair(f.lowCode, e.deadZoneRaw));
        EXPECT_EQ(rig.nowMs() - t0, 40);  // each byte's own pause plus the word's
        // What the board now holds reads back as the text shown.
        const auto& fw = rig.platform.firmware(0);
        EXPECT_EQ(form.FormatRawPercent(fw.setting(f.lowCode) + 256 * fw.setting(f.lowCode + 1)),
                  Localized(e.deadZoneShown, locale));
      }
    }
  }
}

}  // namespace
}  // namespace torvex::test
