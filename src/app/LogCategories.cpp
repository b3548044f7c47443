#include "app/LogCategories.h"

// QtFatalMsg as the threshold turns off debug, info, warning and critical
// alike, so nothing reaches the terminal until a rule enables it.
Q_LOGGING_CATEGORY(lcHid, "torvex.hid", QtFatalMsg)
Q_LOGGING_CATEGORY(lcProtocol, "torvex.protocol", QtFatalMsg)
Q_LOGGING_CATEGORY(lcMonitor, "torvex.monitor", QtFatalMsg)
Q_LOGGING_CATEGORY(lcSettings, "torvex.settings", QtFatalMsg)
