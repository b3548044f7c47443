// SPDX-License-Identifier: MIT
#pragma once
// The HID layer's logging category, silent by default; enable it with
// QT_LOGGING_RULES="torvex.hid.debug=true".
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcHid)
