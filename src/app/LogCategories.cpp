#include "app/LogCategories.h"

Q_LOGGING_CATEGORY(lcHid, "torvex.hid", QtWarningMsg)
Q_LOGGING_CATEGORY(lcProtocol, "torvex.protocol", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMonitor, "torvex.monitor", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "torvex.settings", QtWarningMsg)
