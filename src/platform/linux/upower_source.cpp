#include "platform/linux/upower_source.h"

#include <dbus/dbus.h>

#include <QTimer>
#include <cstring>

#include "platform/linux/linux_log.h"

namespace orvane {

namespace {

const char* const kService = "org.freedesktop.UPower";
const char* const kManagerPath = "/org/freedesktop/UPower";
const char* const kManagerIface = "org.freedesktop.UPower";
const char* const kDisplayPath = "/org/freedesktop/UPower/devices/DisplayDevice";
const char* const kDeviceIface = "org.freedesktop.UPower.Device";
const char* const kPropsIface = "org.freedesktop.DBus.Properties";

// The first read blocks the UI; a daemon slower than this is treated as not there yet.
constexpr int kSyncTimeoutMs = 1000;

std::string propertiesChanged(const char* path) {
    return std::string("type='signal',sender='") + kService + "',path='" + path + "',interface='" +
           kPropsIface + "',member='PropertiesChanged'";
}

// `method` of org.freedesktop.DBus.Properties on the object, for its interface and then `more`.
BusMessage propertiesCall(bool manager, const char* method, const char* more = nullptr) {
    BusMessage m(dbus_message_new_method_call(kService, manager ? kManagerPath : kDisplayPath,
                                              kPropsIface, method));
    const char* iface = manager ? kManagerIface : kDeviceIface;
    if (m && !dbus_message_append_args(m.get(), DBUS_TYPE_STRING, &iface, DBUS_TYPE_INVALID))
        m.reset();
    if (m && more && !dbus_message_append_args(m.get(), DBUS_TYPE_STRING, &more, DBUS_TYPE_INVALID))
        m.reset();
    return m;
}

const char* errorOf(DBusMessage* reply) {
    const char* name = reply ? dbus_message_get_error_name(reply) : nullptr;
    return name ? name : "no reply";
}

UPowerValue valueOf(DBusMessageIter it) {
    while (dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_VARIANT) {
        DBusMessageIter inner;
        dbus_message_iter_recurse(&it, &inner);
        it = inner;
    }
    // Large enough for any basic type; read as the type the bus says it is.
    DBusBasicValue v;
    std::memset(&v, 0, sizeof v);
    const int type = dbus_message_iter_get_arg_type(&it);
    if (dbus_type_is_basic(type)) dbus_message_iter_get_basic(&it, &v);
    switch (type) {
        case DBUS_TYPE_BOOLEAN:
            return v.bool_val != 0;
        case DBUS_TYPE_BYTE:
            return std::int64_t{v.byt};
        case DBUS_TYPE_INT16:
            return std::int64_t{v.i16};
        case DBUS_TYPE_UINT16:
            return std::int64_t{v.u16};
        case DBUS_TYPE_INT32:
            return std::int64_t{v.i32};
        case DBUS_TYPE_UINT32:
            return std::int64_t{v.u32};
        case DBUS_TYPE_INT64:
            return std::int64_t{v.i64};
        case DBUS_TYPE_UINT64:
            return std::uint64_t{v.u64};
        case DBUS_TYPE_DOUBLE:
            return v.dbl;
        default:
            return std::monostate{};
    }
}

}  // namespace

UPowerSource::UPowerSource(std::unique_ptr<BusConnection> bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), otherHalf_(new QTimer(this)) {
    otherHalf_->setSingleShot(true);
    otherHalf_->setInterval(150);
    connect(otherHalf_, &QTimer::timeout, this, [this] {
        waitedForOtherHalf_ = true;
        recompute();
    });
    if (!bus_->connected()) {
        qCDebug(lcPower) << "no system bus";
        return;
    }
    bus_->onSignal([this](DBusMessage* m) { onSignal(m); });
    bus_->onDrained([this] {
        if (recomputePending_) recompute();
    });
    // Subscribe before reading, so no change falls between the read and the subscription.
    // The rules name the daemon by its well-known name: a restarted one matches them too.
    bus_->addMatch(propertiesChanged(kManagerPath));
    bus_->addMatch(propertiesChanged(kDisplayPath));
    bus_->addMatch(std::string("type='signal',sender='org.freedesktop.DBus',"
                               "interface='org.freedesktop.DBus',member='NameOwnerChanged',"
                               "arg0='") +
                   kService + "'");
    owner_ = bus_->nameOwner(kService, kSyncTimeoutMs);
    if (!owner_.empty()) {
        readAllSync();
    } else {
        // May start an activatable daemon; its arrival triggers a full read.
        readAllAsync();
    }
    recomputePending_ = false;
    snapshot_ = mapUPowerFacts(facts_);
    qCDebug(lcPower) << "initial" << snapshot_.acStatus << snapshot_.batteryStatus
                     << snapshot_.batteryLifePercent << snapshot_.batteryLifeTime
                     << snapshot_.batteryFullTime;
}

UPowerSource::~UPowerSource() = default;

void UPowerSource::setChangeListener(std::function<void()> listener) {
    listener_ = std::move(listener);
}

bool UPowerSource::daemonInstalled() {
    return bus_->connected() && (!owner_.empty() || bus_->activatable(kService, kSyncTimeoutMs));
}

void UPowerSource::onSignal(DBusMessage* m) {
    if (dbus_message_is_signal(m, DBUS_INTERFACE_LOCAL, "Disconnected")) {
        qCDebug(lcPower) << "the system bus went away";
        daemonLeft();
        return;
    }
    const char* sender = dbus_message_get_sender(m);
    if (dbus_message_is_signal(m, DBUS_INTERFACE_DBUS, "NameOwnerChanged")) {
        const char* name = nullptr;
        const char* before = nullptr;
        const char* now = nullptr;
        if (!sender || std::strcmp(sender, DBUS_SERVICE_DBUS) != 0 ||
            !dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &before,
                                   DBUS_TYPE_STRING, &now, DBUS_TYPE_INVALID) ||
            std::strcmp(name, kService) != 0)
            return;
        if (*before) daemonLeft();
        if (*now) daemonArrived(now);
        return;
    }
    if (!dbus_message_is_signal(m, kPropsIface, "PropertiesChanged") || !sender || owner_ != sender)
        return;
    const bool manager = dbus_message_has_path(m, kManagerPath);
    if (!manager && !dbus_message_has_path(m, kDisplayPath)) return;
    const Object object = manager ? Object::Manager : Object::Display;
    DBusMessageIter args;
    const char* iface = nullptr;
    if (!dbus_message_iter_init(m, &args) ||
        dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_STRING)
        return;
    dbus_message_iter_get_basic(&args, &iface);
    if (std::strcmp(iface, manager ? kManagerIface : kDeviceIface) != 0) return;
    dbus_message_iter_next(&args);
    apply(object, &args);
    if (dbus_message_iter_next(&args))
        forEachString(&args, [&](const char* name) { getAsync(object, name); });
    scheduleRecompute();
}

void UPowerSource::daemonLeft() {
    qCDebug(lcPower) << "UPower went away";
    owner_.clear();
    ++generation_;
    facts_ = UPowerFacts{};
    scheduleRecompute();
}

void UPowerSource::daemonArrived(const std::string& owner) {
    qCDebug(lcPower) << "UPower appeared";
    owner_ = owner;
    ++generation_;
    facts_ = UPowerFacts{};
    facts_.reachable = true;
    // A new daemon announces nothing about its initial state.
    readAllAsync();
    scheduleRecompute();
}

void UPowerSource::readAllSync() {
    std::vector<BusMessage> calls;
    calls.push_back(propertiesCall(true, "GetAll"));
    calls.push_back(propertiesCall(false, "GetAll"));
    const std::vector<BusMessage> replies = bus_->callAll(std::move(calls), kSyncTimeoutMs);
    applyAll(Object::Manager, replies[0].get());
    applyAll(Object::Display, replies[1].get());
}

void UPowerSource::readAllAsync() {
    for (const Object object : {Object::Manager, Object::Display}) {
        bus_->callAsync(propertiesCall(object == Object::Manager, "GetAll"),
                        [this, object, generation = generation_](DBusMessage* reply) {
                            if (generation == generation_ && applyAll(object, reply))
                                scheduleRecompute();
                        });
    }
}

void UPowerSource::getAsync(Object object, const std::string& property) {
    const bool manager = object == Object::Manager;
    bus_->callAsync(propertiesCall(manager, "Get", property.c_str()),
                    [this, manager, property, generation = generation_](DBusMessage* reply) {
                        if (generation != generation_) return;
                        // A property that can no longer be read is unknown.
                        DBusMessageIter value;
                        const bool read = isReply(reply) && dbus_message_iter_init(reply, &value);
                        facts_.reachable = true;
                        applyUPowerProperty(facts_, manager, property,
                                            read ? valueOf(value) : UPowerValue{});
                        scheduleRecompute();
                    });
}

bool UPowerSource::applyAll(Object object, DBusMessage* reply) {
    DBusMessageIter args;
    if (!isReply(reply) || !dbus_message_iter_init(reply, &args)) {
        qCDebug(lcPower) << "GetAll failed:" << errorOf(reply);
        return false;
    }
    apply(object, &args);
    return true;
}

void UPowerSource::apply(Object object, DBusMessageIter* properties) {
    facts_.reachable = true;
    if (dbus_message_iter_get_arg_type(properties) != DBUS_TYPE_ARRAY ||
        dbus_message_iter_get_element_type(properties) != DBUS_TYPE_DICT_ENTRY)
        return;
    DBusMessageIter entries;
    for (dbus_message_iter_recurse(properties, &entries);
         dbus_message_iter_get_arg_type(&entries) == DBUS_TYPE_DICT_ENTRY;
         dbus_message_iter_next(&entries)) {
        DBusMessageIter entry;
        dbus_message_iter_recurse(&entries, &entry);
        const char* name = nullptr;
        if (dbus_message_iter_get_arg_type(&entry) != DBUS_TYPE_STRING) continue;
        dbus_message_iter_get_basic(&entry, &name);
        dbus_message_iter_next(&entry);
        applyUPowerProperty(facts_, object == Object::Manager, name, valueOf(entry));
    }
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
