#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <functional>

#include "platform/posix/upower_mapping.h"
#include "platform/power_status_source.h"

class QDBusPendingCallWatcher;
class QTimer;

namespace orvane {

// Follows UPower's OnBattery and its display device. Event driven only: it listens to
// PropertiesChanged on /org/freedesktop/UPower and on the DisplayDevice (not on the battery
// objects, which change every 30 s) and to the daemon leaving and returning.
class UPowerSource : public QObject, public PowerStatusSource {
    Q_OBJECT
public:
    // Reads the current state synchronously so the first read() is right.
    explicit UPowerSource(const QDBusConnection& bus, QObject* parent = nullptr);
    ~UPowerSource() override;

    PowerSnapshot read() const override { return snapshot_; }
    void setChangeListener(std::function<void()> listener) override;

    // Applies an a{sv} of UPower properties to the facts; values of the wrong type make
    // the property unknown. Exposed for tests.
    static void applyManagerProperties(UPowerFacts& facts, const QVariantMap& props);
    static void applyDeviceProperties(UPowerFacts& facts, const QVariantMap& props);

private slots:
    void onManagerChanged(const QString& iface, const QVariantMap& changed,
                          const QStringList& invalidated);
    void onDisplayChanged(const QString& iface, const QVariantMap& changed,
                          const QStringList& invalidated);
    void onServiceRegistered();
    void onServiceUnregistered();

private:
    enum class Object { Manager, Display };

    void readAllSync();
    void readAllAsync();
    void getAllAsync(Object object);
    void getAsync(Object object, const QString& property);
    void apply(Object object, const QVariantMap& props);
    void scheduleRecompute();
    void recompute();

    QDBusConnection bus_;
    UPowerFacts facts_;
    PowerSnapshot snapshot_;
    std::function<void()> listener_;
    // Bumped whenever the daemon leaves or returns, so replies from an older daemon are dropped.
    std::uint64_t generation_ = 0;
    bool recomputePending_ = false;
    // Holds back a snapshot caught between the battery's and the line power's signals.
    QTimer* otherHalf_;
    bool waitedForOtherHalf_ = false;
};

}  // namespace orvane
