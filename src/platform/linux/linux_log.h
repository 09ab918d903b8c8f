#pragma once

#include <QLoggingCategory>

// The Linux adapters' diagnostics, off by default.
Q_DECLARE_LOGGING_CATEGORY(lcPower)  // orvane.power: the power status readings
Q_DECLARE_LOGGING_CATEGORY(lcLinks)  // orvane.links: the links opened and their handlers
