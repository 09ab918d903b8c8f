#pragma once

#include <QObject>
#include <functional>
#include <utility>

#include "platform/termination_requests.h"

class QSocketNotifier;

namespace orvane {

// Turns SIGTERM, SIGHUP and SIGINT into a call on the UI thread, so the program can save
// its settings as it does when the desktop session ends.
class SignalWatcher : public QObject, public TerminationRequests {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    void setListener(std::function<void()> listener) override { listener_ = std::move(listener); }

private:
    void onReadable();
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> listener_;
};

}  // namespace orvane
