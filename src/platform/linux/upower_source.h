#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/linux/bus_connection.h"
#include "platform/posix/upower_mapping.h"
#include "platform/power_status_source.h"

struct DBusMessageIter;
class QTimer;

namespace orvane {

// Follows UPower's OnBattery and its display device. Event driven only: it listens to
// PropertiesChanged on /org/freedesktop/UPower and on the DisplayDevice (not on the battery
// objects, which change every 30 s) and to the daemon leaving and returning.
class UPowerSource : public QObject, public PowerStatusSource {
public:
    // Reads the current state synchronously so the first read() is right.
    explicit UPowerSource(std::unique_ptr<BusConnection> bus, QObject* parent = nullptr);
    ~UPowerSource() override;

    PowerSnapshot read() const override { return snapshot_; }
    void setChangeListener(std::function<void()> listener) override;
    // UPower runs, or the bus would start it on demand.
    bool daemonInstalled();

private:
    enum class Object { Manager, Display };

    void onSignal(DBusMessage* message);
    void daemonLeft();
    void daemonArrived(const std::string& owner);
    void readAllSync();
    void readAllAsync();
    void getAsync(Object object, const std::string& property);
    // Applies a GetAll reply; false, and logged, where it holds none.
    bool applyAll(Object object, DBusMessage* reply);
    // Applies an a{sv} of the object's properties.
    void apply(Object object, DBusMessageIter* properties);
    void scheduleRecompute() { recomputePending_ = true; }
    void recompute();

    std::unique_ptr<BusConnection> bus_;
    std::string owner_;  // the daemon's unique name; its signals alone count
    UPowerFacts facts_;
    PowerSnapshot snapshot_;
    std::function<void()> listener_;
    // Bumped whenever the daemon leaves or returns, so replies from an older daemon are dropped.
    std::uint64_t generation_ = 0;
    // A burst of signals (one per property) becomes one recompute and at most one notification.
    bool recomputePending_ = false;
    // Holds back a snapshot caught between the battery's and the line power's signals.
    QTimer* otherHalf_;
    bool waitedForOtherHalf_ = false;
};

}  // namespace orvane
