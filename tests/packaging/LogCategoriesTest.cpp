// SPDX-License-Identifier: MIT
// The diagnostics categories: silent unless QT_LOGGING_RULES enables them.
// ctest runs this twice: SilentByDefault with QT_LOGGING_RULES unset, and
// EnabledByRules with "torvex.hid.debug=true;torvex.settings.warning=true".
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "board/LogCategories.h"

namespace {

QStringList gCaught;

// Emits one message of each non-fatal level on every category, then its name;
// returns what came out.
QStringList emitAll() {
  gCaught.clear();
  QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& text) {
        gCaught << QString::fromUtf8(context.category) + ": " + text;
      });
  for (const auto get : {&lcHid, &lcProtocol, &lcMonitor, &lcSettings}) {
    qCDebug(get) << "debug";
    qCInfo(get) << "info";
    qCWarning(get) << "warning";
    qCCritical(get) << "critical";
    gCaught << get().categoryName();
  }
  qInstallMessageHandler(previous);
  return gCaught;
}

TEST(SilentByDefault, NoLevelOfAnyCategoryIsEnabled) {
  EXPECT_EQ(emitAll().join(' '), "torvex.hid torvex.protocol torvex.monitor torvex.settings");
}

TEST(EnabledByRules, OnlyTheNamedCategoryAndLevelSpeak) {
  EXPECT_EQ(emitAll().join(' '),
            "torvex.hid: debug torvex.hid torvex.protocol torvex.monitor "
            "torvex.settings: warning torvex.settings");
}

}  // namespace
