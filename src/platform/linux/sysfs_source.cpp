#include "platform/linux/sysfs_source.h"

#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cerrno>

#include "platform/linux/linux_log.h"

namespace orvane {

SysfsPowerSource::SysfsPowerSource(const QString& root, std::chrono::milliseconds minInterval,
                                   QObject* parent)
    : QObject(parent), root_(root), throttle_(minInterval) {
    rereadTimer_ = new QTimer(this);
    rereadTimer_->setSingleShot(true);
    connect(rereadTimer_, &QTimer::timeout, this, &SysfsPowerSource::reread);

    snapshot_ = readSysfsPowerSupply(root_.toStdString());
    throttle_.readDone(RereadThrottle::Clock::now());
    qCDebug(lcPower) << "sysfs" << root_ << "initial" << snapshot_.acStatus
                     << snapshot_.batteryStatus << snapshot_.batteryLifePercent
                     << snapshot_.batteryLifeTime << snapshot_.batteryFullTime;
    openUeventSocket();
}

SysfsPowerSource::~SysfsPowerSource() {
    if (socket_ >= 0) ::close(socket_);
}

void SysfsPowerSource::setChangeListener(std::function<void()> listener) {
    listener_ = std::move(listener);
}

void SysfsPowerSource::openUeventSocket() {
    const int fd =
        ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    if (fd < 0) {
        qCDebug(lcPower) << "no uevent socket, errno" << errno;
        return;
    }
    sockaddr_nl addr{};
    addr.nl_family = AF_NETLINK;
    addr.nl_groups = 1;  // the kernel's own events, not udev's re-broadcasts
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        qCDebug(lcPower) << "uevent bind failed, errno" << errno;
        ::close(fd);
        return;
    }
    socket_ = fd;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SysfsPowerSource::onSocketReadable);
}

void SysfsPowerSource::onSocketReadable() {
    std::array<char, 8192> buf;
    bool relevant = false;
    for (;;) {
        const ssize_t n = ::recv(socket_, buf.data(), buf.size(), 0);
        if (n >= 0) {
            relevant = relevant || isPowerSupplyUevent(buf.data(), static_cast<std::size_t>(n));
            continue;
        }
        const int err = errno;
        if (err == EINTR) continue;
        if (err == ENOBUFS) {  // events were dropped; one of them may have been ours
            relevant = true;
            continue;
        }
        if (err != EAGAIN && err != EWOULDBLOCK) {
            // A broken socket would wake us forever; give up on notifications.
            qCDebug(lcPower) << "uevent socket failed, errno" << err;
            notifier_->setEnabled(false);
        }
        break;
    }
    if (relevant) handleUevent();
}

void SysfsPowerSource::handleUevent() {
    const auto delay = throttle_.onEvent(RereadThrottle::Clock::now());
    if (!delay) return;
    rereadTimer_->start(*delay);
}

void SysfsPowerSource::refresh() {
    snapshot_ = readSysfsPowerSupply(root_.toStdString());
    throttle_.readDone(RereadThrottle::Clock::now());
    qCDebug(lcPower) << "sysfs refreshed" << snapshot_.acStatus << snapshot_.batteryStatus
                     << snapshot_.batteryLifePercent << snapshot_.batteryLifeTime
                     << snapshot_.batteryFullTime;
}

void SysfsPowerSource::reread() {
    const PowerSnapshot next = readSysfsPowerSupply(root_.toStdString());
    throttle_.readDone(RereadThrottle::Clock::now());
    qCDebug(lcPower) << "sysfs snapshot" << next.acStatus << next.batteryStatus
                     << next.batteryLifePercent << next.batteryLifeTime << next.batteryFullTime;
    if (next == snapshot_) return;
    snapshot_ = next;
    if (listener_) listener_();
}

}  // namespace orvane
