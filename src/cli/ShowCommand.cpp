// SPDX-License-Identifier: MIT
// torvex-ctl show: identity and every stored setting as a person reads them.
#include <QJsonObject>

#include "board/SettingNames.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

// What `set` takes back to the same stored value: a word, or a number as a
// JSON number; null for a value `set` cannot name.
QJsonValue SettableValue(board::SettingId id, int stored) {
  const auto exact = board::ExactSettingWord(id, stored);
  if (!exact) return QJsonValue::Null;
  if (board::TakesWord(id)) return *exact;
  return exact->toDouble();
}

}  // namespace

int RunShow(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "show takes no operands");
  board::Board b(c.platform);
  board::ReadBackResult read;
  if (const int code = OpenBoard(c, b, &read); code != kDone) return code;
  const QString serial = c.boardSerial;
  const QString manufacturer = read.identity.manufacturer.value_or(QString());
  const QString product = read.identity.product.value_or(QString());
  const QString version = VersionText(b.attributes().versionNumber);

  if (c.parser.isSet("json")) {
    QJsonObject settings;
    for (board::SettingId id : board::AllSettings()) {
      const int stored = board::StoredValue(read.settings, id);
      settings.insert(board::SettingName(id), QJsonObject{{"value", SettableValue(id, stored)},
                                                          {"text", board::SettingText(id, stored)},
                                                          {"stored", stored}});
    }
    PrintJson(c.io.out,
              {{"format", kJsonFormat},
               {"serial", serial},
               {"manufacturer", manufacturer},
               {"product", product},
               {"version", version},
               {"settings", settings}},
              true);
    return kDone;
  }
  const bool raw = c.parser.isSet("raw");
  const auto line = [&](const QString& name, const QString& text) {
    c.io.out << name.leftJustified(16) << text << '\n';
  };
  line("serial", Printable(serial));
  line("manufacturer", Printable(manufacturer));
  line("product", Printable(product));
  line("version", version);
  for (board::SettingId id : board::AllSettings()) {
    const int stored = board::StoredValue(read.settings, id);
    const QString text = board::SettingText(id, stored);
    line(board::SettingName(id), raw ? text.leftJustified(24) + QString::number(stored) : text);
  }
  return kDone;
}

}  // namespace torvex::cli
