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

void Rig::destroyForm() {
  form_.reset();
}

void Rig::tick() {
  platform.advanceUs(std::int64_t{form_->pollTimer()->interval()} * 1000);
  form_->onPollTick();
}

std::vector<Bytes> Rig::sent(int device) const {
  std::vector<Bytes> out;
  for (const auto& e : platform.sentTo(device)) out.push_back(e.bytes);
  return out;
}

std::vector<std::vector<int>> Rig::sentHeads(int device) const {
  std::vector<std::vector<int>> out;
  for (const auto& b : sent(device)) {
    std::vector<int> head;
    for (std::size_t i = 0; i < 4 && i < b.size(); ++i) head.push_back(b[i]);
    out.push_back(head);
  }
  return out;
}

}  // namespace torvex::test
