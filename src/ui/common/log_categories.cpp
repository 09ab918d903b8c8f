#include "ui/common/log_categories.h"

Q_LOGGING_CATEGORY(lcDisplay, "orvane.display", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMessages, "orvane.messages", QtWarningMsg)
