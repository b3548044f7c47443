// SPDX-License-Identifier: MIT
#pragma once
// One logging category per subsystem, all silent by default; enable with e.g.
// QT_LOGGING_RULES="torvex.protocol.debug=true" or "torvex.*.debug=true".
#include <QLoggingCategory>

#include "hid/LogCategory.h"

Q_DECLARE_LOGGING_CATEGORY(lcProtocol)
Q_DECLARE_LOGGING_CATEGORY(lcMonitor)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
