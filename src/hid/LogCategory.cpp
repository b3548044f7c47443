// SPDX-License-Identifier: MIT
#include "hid/LogCategory.h"

// QtFatalMsg as the threshold turns off debug, info, warning and critical
// alike, so nothing reaches the terminal until a rule enables it.
Q_LOGGING_CATEGORY(lcHid, "torvex.hid", QtFatalMsg)
