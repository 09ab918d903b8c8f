#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct DBusConnection;
struct DBusMessage;
struct DBusMessageIter;
struct DBusPendingCall;
struct DBusTimeout;
struct DBusWatch;
class QSocketNotifier;
class QTimer;

namespace orvane {

struct MessageUnref {
    void operator()(DBusMessage* message) const;
};
using BusMessage = std::unique_ptr<DBusMessage, MessageUnref>;

// Whether `message` is a method's return (not an error, and not missing).
bool isReply(DBusMessage* message);
// Calls `each` with every string of the array at `array`; nothing where it holds no strings.
void forEachString(DBusMessageIter* array, const std::function<void(const char*)>& each);

// A private connection to a bus through libdbus, run by the main thread's event loop. A power
// change then costs one wakeup of one thread and no conversion to QVariant; through Qt's D-Bus
// module it was a third of what the program spent on each change.
class BusConnection : public QObject {
public:
    // The system bus, or the bus at `address`; either may come back not connected.
    static std::unique_ptr<BusConnection> system();
    static std::unique_ptr<BusConnection> open(const std::string& address);
    // Takes the connection over; null is a connection that is not there.
    explicit BusConnection(DBusConnection* connection);
    ~BusConnection() override;

    bool connected() const { return connection_ != nullptr; }
    // Asks the bus for the signals `rule` matches; not waited for, the bus reads it in order.
    void addMatch(const std::string& rule);
    // Every signal that arrives, the bus's own "Disconnected" included.
    void onSignal(std::function<void(DBusMessage*)> handler) { onSignal_ = std::move(handler); }
    // After the messages that arrived together have been handled.
    void onDrained(std::function<void()> handler) { onDrained_ = std::move(handler); }

    // A method call; the reply (null where none came in time) is waited for. Signals that come
    // meanwhile wait for the event loop.
    BusMessage call(BusMessage message, int timeoutMs);
    // Calls sent together, their replies waited for together: one round trip, not one each.
    std::vector<BusMessage> callAll(std::vector<BusMessage> messages, int timeoutMs);
    // The reply, an error or null (no connection) goes to `done`, never after this is gone.
    void callAsync(BusMessage message, std::function<void(DBusMessage* reply)> done);
    // The current owner of `name`, or "" while it has none.
    std::string nameOwner(const std::string& name, int timeoutMs);
    // Whether the bus can start `name` on demand.
    bool activatable(const std::string& name, int timeoutMs);

private:
    struct Watch {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };

    void dispatch();
    void handleWatch(DBusWatch* watch, unsigned int flags);
    static unsigned int addWatch(DBusWatch* watch, void* self);
    static void removeWatch(DBusWatch* watch, void* self);
    static void toggleWatch(DBusWatch* watch, void* self);
    static unsigned int addTimeout(DBusTimeout* timeout, void* self);
    static void removeTimeout(DBusTimeout* timeout, void* self);
    static void toggleTimeout(DBusTimeout* timeout, void* self);

    DBusConnection* connection_ = nullptr;
    std::map<DBusWatch*, Watch> watches_;
    std::map<DBusTimeout*, QTimer*> timeouts_;
    std::map<DBusPendingCall*, std::function<void(DBusMessage*)>> pending_;
    std::function<void(DBusMessage*)> onSignal_;
    std::function<void()> onDrained_;
    bool dispatchQueued_ = false;
    bool dispatching_ = false;
};

}  // namespace orvane
