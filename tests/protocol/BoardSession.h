#pragma once
// The real window with one emulated board open and its configuration read,
// the log cleared so a test sees only what it caused.

#include <QLocale>
#include <QTimer>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>

#include "protocol/Protocol.h"
#include "support/Rig.h"

namespace torvex::test {

inline const QLocale kEnglish{QLocale::English, QLocale::UnitedStates};
inline const QLocale kGerman{QLocale::German, QLocale::Germany};

// Opens `board` the way discovery does, for a window whose discovery did not.
inline void OpenBoard(Rig& rig, frmMain& form, int board) {
  auto& p = rig.platform;
  form.DevicePathName = p.device(board).path;
  form.DeviceHandle = p.open(form.DevicePathName, hid::OpenMode::Plain);
  form.ReadHandle = p.open(form.DevicePathName, hid::OpenMode::NonBlocking);
  form.DeviceAttributes = p.attributes(form.DeviceHandle).value();
  const auto lengths = p.reportLengths(form.DeviceHandle).value();
  form.FeatureReportLength = lengths.feature;
  form.InputReportLength = lengths.input;
  form.DeviceDetected = true;
}

// Loads the window with board 0 open and read back.
inline frmMain& LoadConnected(Rig& rig, const QLocale& locale = kEnglish) {
  frmMain& form = rig.load(locale);
  if (!form.DeviceDetected) {
    OpenBoard(rig, form, 0);
    form.ReadDeviceConfiguration();
  }
  // Ticks come from rig.tick() only: QTest's mouse helpers spin the event
  // loop, where a wall-clock tick would add reads a test did not cause.
  form.Timer->stop();
  rig.platform.clearLog();
  return form;
}

// A reply of `length` bytes: kind 1, base code, then the given settings by code.
inline protocol::Bytes Record(std::uint8_t base,
                              std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> values,
                              std::size_t length = 64) {
  protocol::Bytes r(length, 0);
  r[1] = 1;
  r[2] = base;
  for (auto [code, value] : values) r.at(protocol::RecordOffset(base, code)) = value;
  return r;
}

// Reports sent to a board as "code:value" in hex, space separated; reports of
// another kind than a setting carry it in front ("3/04:05").
inline std::string Sent(const Rig& rig, int board = 0) {
  std::string out;
  char item[16];
  for (auto head : rig.sentHeads(board)) {
    if (head.at(1) == 1)
      std::snprintf(item, sizeof item, "%02X:%02X", head.at(2), head.at(3));
    else
      std::snprintf(item, sizeof item, "%d/%02X:%02X", head.at(1), head.at(2), head.at(3));
    out += (out.empty() ? "" : " ") + std::string(item);
  }
  return out;
}

}  // namespace torvex::test
