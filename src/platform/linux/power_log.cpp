#include "platform/linux/power_log.h"

Q_LOGGING_CATEGORY(lcPower, "orvane.power", QtWarningMsg)
