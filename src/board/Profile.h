// SPDX-License-Identifier: MIT
#pragma once
// A profile: every setting a board stores, as a commented TOML file a person
// can read, edit and share. Values are written as a person reads them (mode
// words, percent, ms, curve numbers) with as many decimals as it takes to
// name the exact stored value again, so save -> reset -> apply restores every
// byte. A value no word or number names (a dead zone beyond what the window
// offers, a list value no list has, a rotary pairing on one input alone) is
// written as the board stores it, `{ stored = 7000 }`, with a comment saying
// so. Reading is strict: a file is taken whole or not at all.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

#include "board/SettingNames.h"
#include "board/Settings.h"

namespace torvex::board {

// The newest format this build reads and writes. A file says the lowest
// format that holds it (stored values came with 2), so older versions still
// read what they can; a newer file is read only when every field in it is one
// this build knows.
inline constexpr int kProfileFormat = 2;
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

// The whole file. Every state a board can hold has one.
QByteArray ProfileText(const Profile& p);
ProfileParse ParseProfile(const QByteArray& bytes);

// Rotary inputs paired on one side carry the same pairing on the other, as the
// window sets them; a message saying so, or empty.
QString RotaryPairingProblem(int left, int right);

}  // namespace torvex::board
