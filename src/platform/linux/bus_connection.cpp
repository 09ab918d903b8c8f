#include "platform/linux/bus_connection.h"

#include <dbus/dbus.h>

#include <QSocketNotifier>
#include <QTimer>

#include "platform/linux/linux_log.h"

namespace orvane {

namespace {

const char* const kBus = "org.freedesktop.DBus";
const char* const kBusPath = "/org/freedesktop/DBus";

DBusHandlerResult filter(DBusConnection*, DBusMessage* message, void* handler) {
    if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_SIGNAL) {
        auto& onSignal = *static_cast<std::function<void(DBusMessage*)>*>(handler);
        if (onSignal) onSignal(message);
    }
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

// The connection, or null with the reason logged.
DBusConnection* checked(DBusConnection* connection, DBusError& error) {
    if (!connection) {
        qCDebug(lcPower) << "no bus:" << (error.message ? error.message : "");
        dbus_error_free(&error);
    }
    return connection;
}

BusMessage busCall(const char* member) {
    return BusMessage(dbus_message_new_method_call(kBus, kBusPath, kBus, member));
}

}  // namespace

void MessageUnref::operator()(DBusMessage* message) const {
    dbus_message_unref(message);
}

bool isReply(DBusMessage* message) {
    return message && dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_METHOD_RETURN;
}

void forEachString(DBusMessageIter* array, const std::function<void(const char*)>& each) {
    if (dbus_message_iter_get_arg_type(array) != DBUS_TYPE_ARRAY) return;
    DBusMessageIter items;
    for (dbus_message_iter_recurse(array, &items);
         dbus_message_iter_get_arg_type(&items) == DBUS_TYPE_STRING;
         dbus_message_iter_next(&items)) {
        const char* item = nullptr;
        dbus_message_iter_get_basic(&items, &item);
        each(item);
    }
}

std::unique_ptr<BusConnection> BusConnection::system() {
    DBusError error;
    dbus_error_init(&error);
    return std::make_unique<BusConnection>(
        checked(dbus_bus_get_private(DBUS_BUS_SYSTEM, &error), error));
}

std::unique_ptr<BusConnection> BusConnection::open(const std::string& address) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection =
        checked(dbus_connection_open_private(address.c_str(), &error), error);
    if (connection && !dbus_bus_register(connection, &error)) {
        checked(nullptr, error);
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
        connection = nullptr;
    }
    return std::make_unique<BusConnection>(connection);
}

BusConnection::BusConnection(DBusConnection* connection) : connection_(connection) {
    if (!connection_) return;
    // A bus that goes away must not end the program, as libdbus would by default.
    dbus_connection_set_exit_on_disconnect(connection_, false);
    dbus_connection_add_filter(connection_, filter, &onSignal_, nullptr);
    dbus_connection_set_watch_functions(connection_, addWatch, removeWatch, toggleWatch, this,
                                        nullptr);
    dbus_connection_set_timeout_functions(connection_, addTimeout, removeTimeout, toggleTimeout,
                                          this, nullptr);
    // Messages queued while a call was waited for are handled from the event loop.
    dbus_connection_set_dispatch_status_function(
        connection_,
        [](DBusConnection*, DBusDispatchStatus status, void* data) {
            auto* self = static_cast<BusConnection*>(data);
            if (status != DBUS_DISPATCH_DATA_REMAINS || self->dispatching_ || self->dispatchQueued_)
                return;
            self->dispatchQueued_ = true;
            QMetaObject::invokeMethod(
                self, [self] { self->dispatch(); }, Qt::QueuedConnection);
        },
        this, nullptr);
}

BusConnection::~BusConnection() {
    if (!connection_) return;
    for (auto& [pending, done] : pending_) {
        dbus_pending_call_cancel(pending);
        dbus_pending_call_unref(pending);
    }
    dbus_connection_set_dispatch_status_function(connection_, nullptr, nullptr, nullptr);
    dbus_connection_set_watch_functions(connection_, nullptr, nullptr, nullptr, nullptr, nullptr);
    dbus_connection_set_timeout_functions(connection_, nullptr, nullptr, nullptr, nullptr, nullptr);
    dbus_connection_remove_filter(connection_, filter, &onSignal_);
    dbus_connection_close(connection_);
    dbus_connection_unref(connection_);
}

void BusConnection::addMatch(const std::string& rule) {
    if (connection_) dbus_bus_add_match(connection_, rule.c_str(), nullptr);
}

BusMessage BusConnection::call(BusMessage message, int timeoutMs) {
    std::vector<BusMessage> one;
    one.push_back(std::move(message));
    return std::move(callAll(std::move(one), timeoutMs).front());
}

std::vector<BusMessage> BusConnection::callAll(std::vector<BusMessage> messages, int timeoutMs) {
    std::vector<DBusPendingCall*> sent;
    for (const BusMessage& m : messages) {
        DBusPendingCall* pending = nullptr;
        if (!connection_ || !m ||
            !dbus_connection_send_with_reply(connection_, m.get(), &pending, timeoutMs))
            pending = nullptr;
        sent.push_back(pending);
    }
    std::vector<BusMessage> replies;
    for (DBusPendingCall* pending : sent) {
        if (!pending) {
            replies.emplace_back();
            continue;
        }
        dbus_pending_call_block(pending);
        replies.emplace_back(dbus_pending_call_steal_reply(pending));
        dbus_pending_call_unref(pending);
    }
    return replies;
}

void BusConnection::callAsync(BusMessage message, std::function<void(DBusMessage*)> done) {
    DBusPendingCall* pending = nullptr;
    if (!connection_ || !message ||
        !dbus_connection_send_with_reply(connection_, message.get(), &pending,
                                         DBUS_TIMEOUT_USE_DEFAULT) ||
        !pending) {
        done(nullptr);
        return;
    }
    pending_.emplace(pending, std::move(done));
    dbus_pending_call_set_notify(
        pending,
        [](DBusPendingCall* call, void* data) {
            auto* self = static_cast<BusConnection*>(data);
            const auto it = self->pending_.find(call);
            if (it == self->pending_.end()) return;
            const std::function<void(DBusMessage*)> done = std::move(it->second);
            self->pending_.erase(it);
            const BusMessage reply(dbus_pending_call_steal_reply(call));
            dbus_pending_call_unref(call);
            done(reply.get());
        },
        this, nullptr);
}

std::string BusConnection::nameOwner(const std::string& name, int timeoutMs) {
    BusMessage m = busCall("GetNameOwner");
    const char* arg = name.c_str();
    if (!m || !dbus_message_append_args(m.get(), DBUS_TYPE_STRING, &arg, DBUS_TYPE_INVALID))
        return {};
    const BusMessage reply = call(std::move(m), timeoutMs);
    const char* owner = nullptr;
    if (!isReply(reply.get()) ||
        !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_STRING, &owner, DBUS_TYPE_INVALID))
        return {};
    return owner;
}

bool BusConnection::activatable(const std::string& name, int timeoutMs) {
    const BusMessage reply = call(busCall("ListActivatableNames"), timeoutMs);
    DBusMessageIter args;
    bool found = false;
    if (isReply(reply.get()) && dbus_message_iter_init(reply.get(), &args))
        forEachString(&args, [&](const char* each) { found = found || name == each; });
    return found;
}

void BusConnection::dispatch() {
    dispatchQueued_ = false;
    if (!connection_ || dispatching_) return;
    dispatching_ = true;
    while (dbus_connection_dispatch(connection_) == DBUS_DISPATCH_DATA_REMAINS) {
    }
    dispatching_ = false;
    if (onDrained_) onDrained_();
}

void BusConnection::handleWatch(DBusWatch* watch, unsigned int flags) {
    // What this read brings is dispatched right here: no event queued for it.
    dispatchQueued_ = true;
    dbus_watch_handle(watch, flags);
    dispatch();
}

unsigned int BusConnection::addWatch(DBusWatch* watch, void* data) {
    auto* self = static_cast<BusConnection*>(data);
    const int fd = dbus_watch_get_unix_fd(watch);
    const unsigned int flags = dbus_watch_get_flags(watch);
    Watch w;
    const auto notifier = [&](QSocketNotifier::Type type, unsigned int flag) {
        auto* n = new QSocketNotifier(fd, type, self);
        QObject::connect(n, &QSocketNotifier::activated, self,
                         [self, watch, flag] { self->handleWatch(watch, flag); });
        n->setEnabled(dbus_watch_get_enabled(watch));
        return n;
    };
    if (flags & DBUS_WATCH_READABLE) w.read = notifier(QSocketNotifier::Read, DBUS_WATCH_READABLE);
    if (flags & DBUS_WATCH_WRITABLE)
        w.write = notifier(QSocketNotifier::Write, DBUS_WATCH_WRITABLE);
    self->watches_[watch] = w;
    return true;
}

void BusConnection::removeWatch(DBusWatch* watch, void* data) {
    auto* self = static_cast<BusConnection*>(data);
    const auto it = self->watches_.find(watch);
    if (it == self->watches_.end()) return;
    // Possibly from inside the notifier's own signal: it goes once that has returned.
    for (QSocketNotifier* n : {it->second.read, it->second.write}) {
        if (!n) continue;
        n->setEnabled(false);
        n->deleteLater();
    }
    self->watches_.erase(it);
}

void BusConnection::toggleWatch(DBusWatch* watch, void* data) {
    auto* self = static_cast<BusConnection*>(data);
    const auto it = self->watches_.find(watch);
    if (it == self->watches_.end()) return;
    for (QSocketNotifier* n : {it->second.read, it->second.write})
        if (n) n->setEnabled(dbus_watch_get_enabled(watch));
}

unsigned int BusConnection::addTimeout(DBusTimeout* timeout, void* data) {
    auto* self = static_cast<BusConnection*>(data);
    auto* timer = new QTimer(self);
    timer->setInterval(dbus_timeout_get_interval(timeout));
    QObject::connect(timer, &QTimer::timeout, self, [self, timeout] {
        self->dispatchQueued_ = true;
        dbus_timeout_handle(timeout);
        self->dispatch();
    });
    if (dbus_timeout_get_enabled(timeout)) timer->start();
    self->timeouts_[timeout] = timer;
    return true;
}

void BusConnection::removeTimeout(DBusTimeout* timeout, void* data) {
    auto* self = static_cast<BusConnection*>(data);
    const auto it = self->timeouts_.find(timeout);
    if (it == self->timeouts_.end()) return;
    it->second->stop();
    it->second->deleteLater();
    self->timeouts_.erase(it);
}

void BusConnection::toggleTimeout(DBusTimeout* timeout, void* data) {
    auto* self = static_cast<BusConnection*>(data);
    const auto it = self->timeouts_.find(timeout);
    if (it == self->timeouts_.end()) return;
    it->second->setInterval(dbus_timeout_get_interval(timeout));
    if (dbus_timeout_get_enabled(timeout))
        it->second->start();
    else
        it->second->stop();
}

}  // namespace orvane
