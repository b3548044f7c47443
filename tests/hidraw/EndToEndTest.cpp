// The window and the command line through the real backend and hidapi's own
// Linux code, on an emulated hidraw board.
#include <gtest/gtest.h>

#include "HidrawRig.h"
#include "cli/Cli.h"
#include "gui/IndicatorShape.h"
#include "gui/MainWindow.h"
#include "hid/Config.h"
#include "hid/HidapiPlatform.h"

#include <QComboBox>
#include <QLabel>
#include <QTimer>

namespace torvex::test {
namespace {

// One of our boards, by the IDs the tool looks for.
int AddBoard(HidrawRig& rig) {
  sim::Identity id;
  id.vendorId = DeviceVendorId;
  id.productId = DeviceProductId;
  return rig.add(id);
}

// The board reports what its firmware shows, as the kernel hands it over.
void Report(HidrawRig& rig, int b) {
  const sim::Bytes r = rig[b].firmware.inputReport();
  rig.queueInput(b, sim::Bytes(r.begin() + 1, r.end()));
}

TEST(EndToEnd, WindowFindsReadsShowsWritesAndFollowsAReplug) {
  HidrawRig rig;
  const int b = AddBoard(rig);
  rig[b].firmware.setSetting(protocol::code::SetMasterClutchMode, 1);
  hid::HidapiPlatform platform;
  gui::MainWindow w(platform);
  w.start();
  w.pollTimer()->stop();
  const auto& ui = w.controls();
  EXPECT_EQ(ui.serialNumberList->currentText() + ui.manufacturerLabel->text(), "TVX0001 Corvane");
  EXPECT_EQ(ui.masterClutchList->currentIndex(), 1);
  rig[b].firmware.setButton(4, true);
  Report(rig, b);
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
}

TEST(EndToEnd, CommandLineListsShowsAndSets) {
  HidrawRig rig;
  const int b = AddBoard(rig);
  hid::HidapiPlatform platform;
  const auto run = [&](const char* line, QString& out) {
    QString err;
    QTextStream o(&out), e(&err);
    cli::Io io{o, e};
    return cli::Run(QString(line).split(' '), platform, io);
  };
  QString list, show, set, after;
  EXPECT_EQ(run("list", list), cli::kDone);
  EXPECT_TRUE(list.contains("TVX0001") && list.contains("Torvex Wheel")) << list.toStdString();
  EXPECT_EQ(run("show --json", show), cli::kDone);
  EXPECT_TRUE(show.contains("\"value\": \"left\"")) << show.toStdString();
  EXPECT_EQ(run("set master-clutch=right led=50", set), cli::kDone) << set.toStdString();
  EXPECT_EQ(rig[b].firmware.setting(protocol::code::SetMasterClutchMode), 1);
  EXPECT_EQ(rig[b].firmware.ledIntensity(), 128);
  EXPECT_EQ(run("show", after), cli::kDone);
  EXPECT_TRUE(after.contains("right")) << after.toStdString();
  EXPECT_TRUE(rig.allFilesClosed(b));
}

}  // namespace
}  // namespace torvex::test
