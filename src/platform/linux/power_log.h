#pragma once

#include <QLoggingCategory>

// Power status sources; debug output is off unless QT_LOGGING_RULES enables orvane.power.
Q_DECLARE_LOGGING_CATEGORY(lcPower)
