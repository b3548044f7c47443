// SPDX-License-Identifier: MIT
#include "board/LogCategories.h"

// Silent until a rule enables them, as lcHid.
Q_LOGGING_CATEGORY(lcProtocol, "torvex.protocol", QtFatalMsg)
Q_LOGGING_CATEGORY(lcMonitor, "torvex.monitor", QtFatalMsg)
Q_LOGGING_CATEGORY(lcSettings, "torvex.settings", QtFatalMsg)
