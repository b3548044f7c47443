// The diagnostics categories: silent unless QT_LOGGING_RULES enables them.
// ctest runs this twice: SilentByDefault with QT_LOGGING_RULES unset, and
// EnabledByRules with kRulesUnderTest in the environment.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "board/LogCategories.h"

namespace {

// Must match the ENVIRONMENT of the EnabledByRules entry in CMakeLists.txt.
constexpr const char* kRulesUnderTest = "torvex.hid.debug=true;torvex.settings.warning=true";

struct Category {
  const QLoggingCategory& (*get)();
  const char* name;
};
const Category kCategories[] = {
    {&lcHid, "torvex.hid"},
    {&lcProtocol, "torvex.protocol"},
    {&lcMonitor, "torvex.monitor"},
    {&lcSettings, "torvex.settings"},
};

QStringList gCaught;
void catchMessage(QtMsgType, const QMessageLogContext& context, const QString& text) {
  gCaught << QString::fromUtf8(context.category) + ": " + text;
}

// Emits one message of each non-fatal level on every category; returns what came out.
QStringList emitAll() {
  gCaught.clear();
  QtMessageHandler previous = qInstallMessageHandler(catchMessage);
  for (const Category& c : kCategories) {
    qCDebug(c.get) << "debug";
    qCInfo(c.get) << "info";
    qCWarning(c.get) << "warning";
    qCCritical(c.get) << "critical";
  }
  qInstallMessageHandler(previous);
  return gCaught;
}

TEST(SilentByDefault, CategoriesHaveTheirNames) {
  for (const Category& c : kCategories) EXPECT_STREQ(c.get().categoryName(), c.name);
}

TEST(SilentByDefault, NoLevelIsEnabled) {
  ASSERT_TRUE(qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"));
  for (const Category& c : kCategories) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(c.get().isDebugEnabled());
    EXPECT_FALSE(c.get().isInfoEnabled());
    EXPECT_FALSE(c.get().isWarningEnabled());
    EXPECT_FALSE(c.get().isCriticalEnabled());
  }
  EXPECT_EQ(emitAll(), QStringList());
}

TEST(EnabledByRules, OnlyTheNamedCategoryAndLevelSpeak) {
  ASSERT_EQ(qEnvironmentVariable("QT_LOGGING_RULES"), QString::fromLatin1(kRulesUnderTest));
  const QStringList expected = {
      "torvex.hid: debug",
      "torvex.settings: warning",
  };
  EXPECT_EQ(emitAll(), expected);
}

}  // namespace
