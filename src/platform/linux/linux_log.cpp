#include "platform/linux/linux_log.h"

Q_LOGGING_CATEGORY(lcPower, "orvane.power", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLinks, "orvane.links", QtWarningMsg)
