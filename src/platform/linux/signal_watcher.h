#pragma once

#include <QObject>

class QSocketNotifier;

namespace orvane {

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the UI thread, so the program can
// save its settings as it does when the desktop session ends.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested();

private:
    void onReadable();
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace orvane
