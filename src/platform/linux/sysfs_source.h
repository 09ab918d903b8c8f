#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>

#include "platform/posix/sysfs_reader.h"
#include "platform/power_status_source.h"

class QSocketNotifier;
class QTimer;

namespace orvane {

// Reads /sys/class/power_supply when there is no UPower. Re-reads on kernel power_supply
// uevents, at most once per interval; without a uevent socket it never changes.
class SysfsPowerSource : public QObject, public PowerStatusSource {
    Q_OBJECT
public:
    explicit SysfsPowerSource(const QString& root = QStringLiteral("/sys/class/power_supply"),
                              std::chrono::milliseconds minInterval = std::chrono::minutes(1),
                              QObject* parent = nullptr);
    ~SysfsPowerSource() override;

    PowerSnapshot read() const override { return snapshot_; }
    void setChangeListener(std::function<void()> listener) override;
    // Some changes come with no uevent, and uevents are taken at most once a minute.
    void refresh() override;

    QString root() const { return root_; }
    // What a power_supply uevent does; public so tests can drive it without the kernel.
    void handleUevent();

private:
    void openUeventSocket();
    void onSocketReadable();
    void reread();

    QString root_;
    PowerSnapshot snapshot_;
    std::function<void()> listener_;
    RereadThrottle throttle_;
    QTimer* rereadTimer_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    int socket_ = -1;
};

}  // namespace orvane
