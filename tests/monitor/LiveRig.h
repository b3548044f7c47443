#pragma once
// The real window with one emulated board open and read back, in "Throttle
// and Brake" mode so the reported axes are the paddles themselves.

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "monitor/CurveChart.h"
#include "monitor/IndicatorShape.h"
#include "protocol/Protocol.h"
#include "support/Rig.h"

namespace torvex::test {

inline const QLocale kEnglish{QLocale::English, QLocale::UnitedStates};
inline const QLocale kGerman{QLocale::German, QLocale::Germany};
inline const QColor kRed(255, 0, 0);
inline const QColor kBlack(0, 0, 0);
inline const QColor kDarkGrey(64, 64, 64);
inline const QColor kGreen(0, 255, 0);
inline const QColor kBlue(0, 0, 255);

struct LiveRig {
  Rig rig;
  int board = -1;
  frmMain* form = nullptr;

  // mode: the board's analog input mode before the window reads it.
  explicit LiveRig(int mode = 1, const QLocale& locale = kEnglish, bool withBoard = true) {
    if (withBoard) {
      board = rig.addBoard(u"TVX0001");
      firmware().setSetting(protocol::code::SetAnalogInputMode, static_cast<std::uint8_t>(mode));
    }
    form = &rig.load(locale);
    rig.platform.clearLog();
  }
  sim::BoardFirmware& firmware() { return rig.platform.firmware(board); }
  void paddles(std::uint16_t x, std::uint16_t y) {
    firmware().setPaddle(0, x);
    firmware().setPaddle(1, y);
  }
  std::vector<int> fillUpdates() const {
    std::vector<int> out;
    for (auto* s : form->ButtonShape) out.push_back(s->fillUpdates());
    return out;
  }
};

inline QColor TextColor(const QLabel* label) {
  return label->palette().color(QPalette::WindowText);
}

inline QColor ButtonFace(const QWidget* w) {
  return w->palette().color(QPalette::Button);
}

// A feature report frame of `length` bytes: header then zeros.
inline sim::Bytes Frame(std::initializer_list<std::uint8_t> head, std::size_t length = 64) {
  sim::Bytes b(length, 0);
  std::copy(head.begin(), head.end(), b.begin());
  return b;
}

inline int CountPixels(const QImage& image, const QColor& color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) == color) ++n;
  return n;
}

// Runs `inside` once the next modal box is open, then accepts it.
inline void WhenModalOpens(std::function<void(QMessageBox*)> inside, int tries = 100) {
  QTimer::singleShot(0, [inside, tries] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      // Not open yet: look again on the next turn, for a while.
      if (tries > 0) WhenModalOpens(inside, tries - 1);
      return;
    }
    inside(box);
    box->accept();
  });
}

}  // namespace torvex::test
