// The window and the command line through the real backend and hidapi's own
// Linux code, on an emulated hidraw board.
#include <gtest/gtest.h>

#include "HidrawRig.h"
#include "cli/Cli.h"
#include "gui/IndicatorShape.h"
#include "gui/MainWindow.h"
#include "hid/HidapiPlatform.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTimer>

namespace torvex::test {
namespace {

TEST(EndToEnd, WindowFindsReadsShowsWritesAndFollowsAReplug) {
  HidrawRig rig;
  const int b = rig.add();
  rig[b].firmware.setSetting(protocol::code::SetMasterClutchMode, 1);
  hid::HidapiPlatform platform;
  gui::MainWindow w(platform);
  w.start();
  w.pollTimer()->stop();
  const auto& ui = w.controls();
  EXPECT_EQ(ui.serialNumberList->currentText() + ui.manufacturerLabel->text(), "TVX0001 Corvane");
  EXPECT_EQ(ui.masterClutchList->currentIndex(), 1);
  rig[b].firmware.setButton(4, true);
  const sim::Bytes report = rig[b].firmware.inputReport();
  rig.queueInput(b, sim::Bytes(report.begin() + 1, report.end()));  // the kernel drops the ID
  w.onPollTick();
  EXPECT_EQ(ui.buttonIndicators[4]->fillColor(), QColor(255, 0, 0));
  ui.analogInputModeList->setCurrentIndex(1);
  EXPECT_EQ(rig[b].received.back()[2], protocol::code::SetAnalogInputMode);
  EXPECT_EQ(rig[b].firmware.setting(protocol::code::SetAnalogInputMode), 1);

  rig.unplug(b);
  w.onPollTick();
  EXPECT_FALSE(w.board().isOpen());
  EXPECT_TRUE(rig.allFilesClosed(b));
  rig.replug(b);
  w.onPollTick();  // the hot-plug watch saw it come back: found within the tick
  EXPECT_TRUE(w.board().isLoaded());
  EXPECT_EQ(ui.analogInputModeList->currentIndex(), 1);
  // The bite point follows the board, but a cut record is no record.
  const int bite = ui.clutchBiteSlider->value();
  rig[b].replyLength = 3;
  for (int tick = 0; tick < 2; ++tick) w.onPollTick();
  EXPECT_EQ(ui.clutchBiteSlider->value(), bite);
}

TEST(EndToEnd, CommandLineListsShowsAndSets) {
  HidrawRig rig;
  const int b = rig.add();
  hid::HidapiPlatform platform;
  const auto run = [&](const char* line, int want = cli::kDone) {
    QString out, err;
    QTextStream o(&out), e(&err);
    cli::Io io{o, e};
    EXPECT_EQ(cli::Run(QString(line).split(' '), platform, io), want) << line;
    o.flush();
    return out;
  };
  const QString list = run("list");
  EXPECT_TRUE(list.contains("TVX0001") && list.contains("Torvex Wheel")) << list.toStdString();
  run("set master-clutch=right led=50");
  EXPECT_EQ(rig[b].firmware.setting(protocol::code::SetMasterClutchMode), 1);
  EXPECT_EQ(rig[b].firmware.ledIntensity(), 128);
  EXPECT_TRUE(run("show").contains("right"));
  rig[b].replyLength = 3;  // records cut short are not a read-back
  run("show", cli::kNotTaken);
  EXPECT_TRUE(rig.allFilesClosed(b));
}

}  // namespace
}  // namespace torvex::test
