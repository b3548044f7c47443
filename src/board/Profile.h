// SPDX-License-Identifier: MIT
#pragma once
// A profile: every setting a board stores, as a commented TOML file a person
// can read, edit and share. Values are written as a person reads them (mode
// words, percent, ms, curve numbers) with as many decimals as it takes to
// name the exact stored value again, so save -> reset -> apply restores every
// byte. Reading is strict: a file is taken whole or not at all.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

#include "board/SettingNames.h"
#include "board/Settings.h"

namespace torvex::board {

// The format this build writes. A newer file is read only when every field
// in it is one this build knows.
inline constexpr int kProfileFormat = 1;
// Anything larger is not a profile: refused before it is parsed.
inline constexpr qint64 kProfileMaxBytes = 64 * 1024;

// Where a profile came from; informative only, never needed to apply it.
struct ProfileOrigin {
  QString serial;   // board serial number, may be empty
  QString product;  // product string, may be empty
  QDateTime saved;  // invalid when unknown
};

struct Profile {
  Settings settings;
  ProfileOrigin origin;
};

// What is wrong with a file, pointing at the line and field at fault
// (line 0: the file as a whole; empty field: no single field).
struct ProfileError {
  int line = 0;
  QString field;
  QString message;
  // "line 7, clutch-bite: takes a percentage from 0 to 100"
  QString text() const;
};

struct ProfileParse {
  std::optional<Profile> profile;
  ProfileError error;  // set when there is no profile
};

// The whole file; nothing (with the setting at fault in *unsaved) when a
// stored value cannot be written.
std::optional<QByteArray> ProfileText(const Profile& p, SettingId* unsaved = nullptr);
ProfileParse ParseProfile(const QByteArray& bytes);

// Rotary inputs paired on one side must carry the same pairing on the other;
// a message saying so, or empty.
QString RotaryPairingProblem(int left, int right);

}  // namespace torvex::board
