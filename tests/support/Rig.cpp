#include "support/Rig.h"

#include <QTimer>

namespace torvex::test {

Rig::Rig() = default;

Rig::~Rig() {
  destroyForm();
}

int Rig::addBoard(const std::u16string& serial) {
  sim::Identity id;
  id.serialNumber = serial;
  return platform.addBoard(id);
}

gui::MainWindow& Rig::create(const QLocale& locale) {
  destroyForm();
  form_ = std::make_unique<gui::MainWindow>(platform, locale);
  return *form_;
}

gui::MainWindow& Rig::load(const QLocale& locale) {
  create(locale);
  form_->start();
  return *form_;
}

gui::MainWindow& Rig::loadConnected(const QLocale& locale) {
  if (platform.deviceCount() == 0) addBoard();
  load(locale);
  // QTest's mouse helpers spin the event loop, where a wall-clock tick would
  // add reads a test did not cause.
  form_->pollTimer()->stop();
  platform.clearLog();
  return *form_;
}

void Rig::destroyForm() {
  form_.reset();
}

void Rig::tick() {
  platform.advanceUs(std::int64_t{form_->pollTimer()->interval()} * 1000);
  form_->onPollTick();
}

}  // namespace torvex::test
