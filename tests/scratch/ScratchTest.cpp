#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolTip>

#include "support/Rig.h"

namespace torvex::test {
namespace {

TEST(Scratch, CalibrateFontAfterSequence) {
  Rig rig;
  rig.platform.addBoard({});
  rig.platform.firmware(0).setSetting(0x45, 1);
  auto& w = rig.loadConnected();
  QPushButton* b = w.controls().calibrateXButton;
  const QFont before = b->font();
  const QFont neighbour = w.controls().showCurveButtons[0]->font();
  for (int i = 0; i < 3; ++i) QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(b->text(), "Calibrate");
  EXPECT_EQ(b->font(), before) << b->font().toString().toStdString() << " vs "
                               << before.toString().toStdString();
  EXPECT_EQ(b->font(), neighbour);
  EXPECT_EQ(b->fontInfo().pixelSize(), w.controls().showCurveButtons[0]->fontInfo().pixelSize());
}

TEST(Scratch, BiteFieldKeepsSelection) {
  Rig rig;
  auto& w = rig.loadConnected();
  QLineEdit* f = w.controls().clutchBiteField;
  f->setFocus();
  f->selectAll();
  const QString sel = f->selectedText();
  EXPECT_FALSE(sel.isEmpty());
  rig.tick();
  EXPECT_EQ(f->selectedText(), sel);
}

}  // namespace
}  // namespace torvex::test
namespace torvex::test {
TEST(Scratch, TipBelongsToTheMove) {
  Rig rig;
  auto& w = rig.loadConnected();
  QSlider* s = w.controls().clutchBiteSlider;
  s->setSliderDown(true);
  s->setSliderPosition(45089);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "68.8");
  s->setSliderDown(false);
  EXPECT_EQ(s->toolTip(), "");
}
}  // namespace torvex::test
