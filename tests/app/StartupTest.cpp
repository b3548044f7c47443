#include <gtest/gtest.h>

#include <QTimer>

#include "support/Rig.h"

namespace torvex::test {
namespace {

TEST(Startup, NoBoardShowsWindowAndPollsEvery100ms) {
  Rig rig;
  frmMain& form = rig.load();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.DeviceDetected);
  EXPECT_TRUE(form.Timer->isActive());
  EXPECT_EQ(form.Timer->interval(), 100);
  EXPECT_EQ(form.DecimalSeparator, QChar('.'));
}

TEST(Startup, CommaLocaleGivesCommaSeparator) {
  Rig rig;
  frmMain& form = rig.load(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(form.DecimalSeparator, QChar(','));
}

}  // namespace
}  // namespace torvex::test
