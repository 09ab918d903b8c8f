#include "platform/linux/upower_source.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QMetaType>
#include <QTimer>

#include "platform/linux/linux_log.h"

namespace orvane {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UPower");
const QString kManagerPath = QStringLiteral("/org/freedesktop/UPower");
const QString kManagerIface = QStringLiteral("org.freedesktop.UPower");
const QString kDisplayPath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString kDeviceIface = QStringLiteral("org.freedesktop.UPower.Device");
const QString kPropsIface = QStringLiteral("org.freedesktop.DBus.Properties");

// The first read blocks the UI; a daemon slower than this is treated as not there yet.
constexpr int kSyncTimeoutMs = 1000;

QVariant unwrap(QVariant value) {
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

bool isNumber(const QVariant& v) {
    switch (v.metaType().id()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UChar:
        case QMetaType::SChar:
        case QMetaType::Char:
            return true;
        default:
            return false;
    }
}

std::optional<bool> toBool(const QVariant& raw) {
    const QVariant v = unwrap(raw);
    if (!isNumber(v)) return std::nullopt;
    if (v.metaType().id() == QMetaType::Bool) return v.toBool();
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok) return std::nullopt;
    return d != 0.0;
}

std::optional<double> toDouble(const QVariant& raw) {
    bool ok = false;
    const double d = unwrap(raw).toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

std::optional<std::int64_t> toInt64(const QVariant& raw) {
    bool ok = false;
    const qlonglong n = unwrap(raw).toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(n) : std::nullopt;
}

std::optional<std::uint32_t> toUInt32(const QVariant& raw) {
    bool ok = false;
    const uint n = unwrap(raw).toUInt(&ok);
    return ok ? std::optional<std::uint32_t>(n) : std::nullopt;
}

template <typename T, typename Convert>
void take(const QVariantMap& props, const char* key, std::optional<T>& into, Convert convert) {
    const auto it = props.constFind(QLatin1String(key));
    if (it != props.constEnd()) into = convert(it.value());
}

}  // namespace

void UPowerSource::applyManagerProperties(UPowerFacts& facts, const QVariantMap& props) {
    take(props, "OnBattery", facts.onBattery, toBool);
}

void UPowerSource::applyDeviceProperties(UPowerFacts& facts, const QVariantMap& props) {
    take(props, "IsPresent", facts.isPresent, toBool);
    take(props, "Type", facts.type, toUInt32);
    take(props, "State", facts.state, toUInt32);
    take(props, "Percentage", facts.percentage, toDouble);
    take(props, "TimeToEmpty", facts.timeToEmpty, toInt64);
    take(props, "EnergyFull", facts.energyFull, toDouble);
    take(props, "EnergyRate", facts.energyRate, toDouble);
}

UPowerSource::UPowerSource(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus), otherHalf_(new QTimer(this)) {
    otherHalf_->setSingleShot(true);
    otherHalf_->setInterval(150);
    connect(otherHalf_, &QTimer::timeout, this, [this] {
        waitedForOtherHalf_ = true;
        recompute();
    });
    // Subscribe before reading, so no change falls between the read and the subscription.
    // Connecting by the well-known name follows a restarted daemon on its own.
    bus_.connect(kService, kManagerPath, kPropsIface, QStringLiteral("PropertiesChanged"), this,
                 SLOT(onManagerChanged(QString, QVariantMap, QStringList)));
    bus_.connect(kService, kDisplayPath, kPropsIface, QStringLiteral("PropertiesChanged"), this,
                 SLOT(onDisplayChanged(QString, QVariantMap, QStringList)));
    auto* watcher = new QDBusServiceWatcher(
        kService, bus_,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
        this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this,
            &UPowerSource::onServiceRegistered);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this,
            &UPowerSource::onServiceUnregistered);

    if (!bus_.isConnected()) {
        qCDebug(lcPower) << "no system bus";
        return;
    }
    QDBusConnectionInterface* daemon = bus_.interface();
    if (daemon && daemon->isServiceRegistered(kService).value()) {
        readAllSync();
    } else {
        // May start an activatable daemon; its arrival triggers a full read.
        readAllAsync();
    }
    snapshot_ = mapUPowerFacts(facts_);
    qCDebug(lcPower) << "initial" << snapshot_.acStatus << snapshot_.batteryStatus
                     << snapshot_.batteryLifePercent << snapshot_.batteryLifeTime
                     << snapshot_.batteryFullTime;
}

UPowerSource::~UPowerSource() = default;

void UPowerSource::setChangeListener(std::function<void()> listener) {
    listener_ = std::move(listener);
}

void UPowerSource::readAllSync() {
    for (Object object : {Object::Manager, Object::Display}) {
        const bool manager = object == Object::Manager;
        QDBusMessage call = QDBusMessage::createMethodCall(
            kService, manager ? kManagerPath : kDisplayPath, kPropsIface, QStringLiteral("GetAll"));
        call << (manager ? kManagerIface : kDeviceIface);
        const QDBusReply<QVariantMap> reply = bus_.call(call, QDBus::Block, kSyncTimeoutMs);
        if (!reply.isValid()) {
            qCDebug(lcPower) << "GetAll failed:" << reply.error().message();
            continue;
        }
        apply(object, reply.value());
    }
}

void UPowerSource::readAllAsync() {
    getAllAsync(Object::Manager);
    getAllAsync(Object::Display);
}

void UPowerSource::getAllAsync(Object object) {
    const bool manager = object == Object::Manager;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, manager ? kManagerPath : kDisplayPath, kPropsIface, QStringLiteral("GetAll"));
    call << (manager ? kManagerIface : kDeviceIface);
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    const std::uint64_t generation = generation_;
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, object, generation](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QVariantMap> reply = *w;
                if (generation != generation_) return;
                if (reply.isError()) {
                    qCDebug(lcPower) << "GetAll failed:" << reply.error().message();
                    return;
                }
                apply(object, reply.value());
                scheduleRecompute();
            });
}

void UPowerSource::getAsync(Object object, const QString& property) {
    const bool manager = object == Object::Manager;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, manager ? kManagerPath : kDisplayPath, kPropsIface, QStringLiteral("Get"));
    call << (manager ? kManagerIface : kDeviceIface) << property;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    const std::uint64_t generation = generation_;
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, object, property, generation](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *w;
                if (generation != generation_) return;
                // A property that can no longer be read is unknown.
                const QVariant value = reply.isError() ? QVariant() : reply.value().variant();
                apply(object, {{property, value}});
                scheduleRecompute();
            });
}

void UPowerSource::apply(Object object, const QVariantMap& props) {
    facts_.reachable = true;
    if (object == Object::Manager)
        applyManagerProperties(facts_, props);
    else
        applyDeviceProperties(facts_, props);
}

void UPowerSource::onManagerChanged(const QString& iface, const QVariantMap& changed,
                                    const QStringList& invalidated) {
    if (iface != kManagerIface) return;
    apply(Object::Manager, changed);
    for (const QString& name : invalidated) getAsync(Object::Manager, name);
    scheduleRecompute();
}

void UPowerSource::onDisplayChanged(const QString& iface, const QVariantMap& changed,
                                    const QStringList& invalidated) {
    if (iface != kDeviceIface) return;
    apply(Object::Display, changed);
    for (const QString& name : invalidated) getAsync(Object::Display, name);
    scheduleRecompute();
}

void UPowerSource::onServiceRegistered() {
    qCDebug(lcPower) << "UPower appeared";
    ++generation_;
    facts_ = UPowerFacts{};
    facts_.reachable = true;
    // A new daemon announces nothing about its initial state.
    readAllAsync();
    scheduleRecompute();
}

void UPowerSource::onServiceUnregistered() {
    qCDebug(lcPower) << "UPower went away";
    ++generation_;
    facts_ = UPowerFacts{};
    scheduleRecompute();
}

void UPowerSource::scheduleRecompute() {
    // A burst of signals (one per property) becomes one recompute and at most one notification.
    if (recomputePending_) return;
    recomputePending_ = true;
    QTimer::singleShot(0, this, &UPowerSource::recompute);
}

void UPowerSource::recompute() {
    recomputePending_ = false;
    if (halfwayThroughPowerSourceChange(facts_) && !waitedForOtherHalf_) {
        // Plugging in shows first as "charging on battery": wait a moment for the line power
        // rather than show that, and notify once with both halves.
        if (!otherHalf_->isActive()) otherHalf_->start();
        return;
    }
    waitedForOtherHalf_ = false;
    otherHalf_->stop();
    const PowerSnapshot next = mapUPowerFacts(facts_);
    qCDebug(lcPower) << "snapshot" << next.acStatus << next.batteryStatus << next.batteryLifePercent
                     << next.batteryLifeTime << next.batteryFullTime;
    if (next == snapshot_) return;
    snapshot_ = next;
    if (listener_) listener_();
}

}  // namespace orvane
