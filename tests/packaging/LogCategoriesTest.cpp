// SPDX-License-Identifier: MIT
// The diagnostics categories: silent unless QT_LOGGING_RULES enables them.
// ctest runs this twice: with QT_LOGGING_RULES unset, and with
// "torvex.hid.debug=true;torvex.settings.warning=true".
#include <gtest/gtest.h>

#include <QStringList>

#include "board/LogCategories.h"

namespace {

// Each category with the levels that speak: debug, info, warning, critical.
TEST(LogCategories, OnlyTheLevelsTheRulesNameSpeak) {
  QStringList speaking;
  for (const auto get : {&lcHid, &lcProtocol, &lcMonitor, &lcSettings}) {
    const QLoggingCategory& c = get();
    speaking << QString(c.categoryName()) + ":" + (c.isDebugEnabled() ? "d" : "") +
                    (c.isInfoEnabled() ? "i" : "") + (c.isWarningEnabled() ? "w" : "") +
                    (c.isCriticalEnabled() ? "c" : "");
  }
  EXPECT_EQ(speaking.join(' '),
            qEnvironmentVariableIsSet("QT_LOGGING_RULES")
                ? "torvex.hid:d torvex.protocol: torvex.monitor: torvex.settings:w"
                : "torvex.hid: torvex.protocol: torvex.monitor: torvex.settings:");
}

}  // namespace
