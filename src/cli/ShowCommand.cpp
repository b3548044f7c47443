// SPDX-License-Identifier: MIT
// torvex-ctl show: identity and every stored setting as a person reads them.
#include <QJsonObject>

#include "board/SettingNames.h"
#include "cli/Commands.h"

namespace torvex::cli {

int RunShow(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "show takes no operands");
  board::Board b(c.platform);
  board::ReadBackResult read;
  if (const int code = OpenBoard(c, b, &read); code != kDone) return code;
  const bool raw = c.parser.isSet("raw");
  const QString serial = c.boardSerial;
  const QString manufacturer = read.identity.manufacturer.value_or(QString());
  const QString product = read.identity.product.value_or(QString());
  const QString version = VersionText(b.attributes().versionNumber);

  if (c.parser.isSet("json")) {
    QJsonObject settings;
    for (board::SettingId id : board::AllSettings()) {
      const int stored = board::StoredValue(read.settings, id);
      QJsonObject s{{"text", board::SettingText(id, stored)},
                    {"value", board::SettingWord(id, stored)}};
      if (raw) s.insert("raw", stored);
      settings.insert(board::SettingName(id), s);
    }
    PrintJson(c.io.out,
              {{"serial", serial},
               {"manufacturer", manufacturer},
               {"product", product},
               {"version", version},
               {"settings", settings}},
              true);
    return kDone;
  }
  const auto line = [&](const QString& name, const QString& text) {
    c.io.out << name.leftJustified(16) << text << '\n';
  };
  line("serial", serial);
  line("manufacturer", manufacturer);
  line("product", product);
  line("version", version);
  for (board::SettingId id : board::AllSettings()) {
    const int stored = board::StoredValue(read.settings, id);
    const QString text = board::SettingText(id, stored);
    line(board::SettingName(id), raw ? text.leftJustified(24) + QString::number(stored) : text);
  }
  return kDone;
}

}  // namespace torvex::cli
