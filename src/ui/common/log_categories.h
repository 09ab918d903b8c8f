#pragma once

#include <QLoggingCategory>

// Diagnostics are off unless enabled, e.g. QT_LOGGING_RULES="orvane.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDisplay)
Q_DECLARE_LOGGING_CATEGORY(lcMessages)
