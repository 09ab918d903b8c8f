// A second floor, for the modes that show a window: a Qt tray program that shows a window with
// the main window's texts and follows UPower's battery as plainly as Qt allows (its signals
// read on the main thread through libdbus, two labels, the bar and the tip set anew). What it
// costs above the empty tray program is what showing that text costs at all. Like the program
// it logs each tip it sets ("orvane.display" debug), so the bench can time it the same way.
#include <dbus/dbus.h>
#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLoggingCategory>
#include <QPixmap>
#include <QProgressBar>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {

Q_LOGGING_CATEGORY(lcDisplay, "orvane.display", QtWarningMsg)

struct Floor {
    QLabel* status = nullptr;
    QLabel* time = nullptr;
    QProgressBar* bar = nullptr;
    QSystemTrayIcon* tray = nullptr;

    void show(int percent, long long seconds) {
        if (percent >= 0) {
            status->setText(QString::number(percent) + "% Remaining");
            bar->setValue(percent);
        }
        if (seconds >= 0)
            time->setText(QString::asprintf("%lld:%02lld", seconds / 3600, seconds / 60 % 60));
        const QString tip =
            "Status: " + status->text() + " | Time: " + time->text() + " | Pwr: Battery";
        tray->setToolTip(tip);
        qCDebug(lcDisplay).noquote() << "tip:" << tip;
    }
};

DBusHandlerResult onSignal(DBusConnection*, DBusMessage* m, void* data) {
    if (!dbus_message_is_signal(m, DBUS_INTERFACE_PROPERTIES, "PropertiesChanged") ||
        !dbus_message_has_signature(m, "sa{sv}as"))
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    int percent = -1;
    long long seconds = -1;
    DBusMessageIter args, changed, entry, value;
    dbus_message_iter_init(m, &args);
    dbus_message_iter_next(&args);  // the interface
    dbus_message_iter_recurse(&args, &changed);
    for (; dbus_message_iter_get_arg_type(&changed) == DBUS_TYPE_DICT_ENTRY;
         dbus_message_iter_next(&changed)) {
        const char* name = nullptr;
        dbus_message_iter_recurse(&changed, &entry);
        dbus_message_iter_get_basic(&entry, &name);
        dbus_message_iter_next(&entry);
        dbus_message_iter_recurse(&entry, &value);
        const int type = dbus_message_iter_get_arg_type(&value);
        if (qstrcmp(name, "Percentage") == 0 && type == DBUS_TYPE_DOUBLE) {
            double d = 0;
            dbus_message_iter_get_basic(&value, &d);
            percent = static_cast<int>(d);
        } else if (qstrcmp(name, "TimeToEmpty") == 0 && type == DBUS_TYPE_INT64) {
            dbus_int64_t s = 0;
            dbus_message_iter_get_basic(&value, &s);
            seconds = s;
        }
    }
    static_cast<Floor*>(data)->show(percent, seconds);
    return DBUS_HANDLER_RESULT_HANDLED;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap picture(32, 32);
    picture.fill(Qt::darkGreen);

    QWidget window;
    window.setWindowTitle("Floor");
    window.setFixedSize(205, 91);
    QGroupBox frame("Power Status", &window);
    frame.setGeometry(4, 2, 197, 85);
    QFont bold = window.font();
    bold.setBold(true);
    const char* prompts[] = {"Status:", "Battery Time:", "Power Source:"};
    const char* values[] = {"85% Remaining", "2:05", "Battery"};
    QLabel* shown[3] = {};
    for (int i = 0; i < 3; ++i) {
        (new QLabel(prompts[i], &frame))->setGeometry(8, 16 + 16 * i, 80, 16);
        shown[i] = new QLabel(values[i], &frame);
        shown[i]->setFont(bold);
        shown[i]->setAutoFillBackground(true);  // a new value repaints only itself
        shown[i]->setGeometry(90, 16 + 16 * i, 100, 16);
    }
    QProgressBar bar(&frame);
    bar.setGeometry(8, 66, 140, 12);
    bar.setTextVisible(false);
    bar.setValue(85);
    QLabel large(&frame);
    large.setPixmap(picture);
    large.setGeometry(155, 48, 32, 32);
    window.show();
    QSystemTrayIcon tray{QIcon(picture)};
    tray.show();

    Floor floor{shown[0], shown[1], &bar, &tray};
    floor.show(-1, -1);
    DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SYSTEM, nullptr);
    int fd = -1;
    if (!bus || !dbus_connection_get_unix_fd(bus, &fd)) return QApplication::exec();
    dbus_connection_set_exit_on_disconnect(bus, false);
    dbus_bus_add_match(bus,
                       "type='signal',interface='org.freedesktop.DBus.Properties',"
                       "path='/org/freedesktop/UPower/devices/DisplayDevice'",
                       nullptr);
    dbus_connection_add_filter(bus, onSignal, &floor, nullptr);
    dbus_connection_flush(bus);
    QSocketNotifier readable(fd, QSocketNotifier::Read);
    QObject::connect(&readable, &QSocketNotifier::activated, [bus] {
        dbus_connection_read_write(bus, 0);
        while (dbus_connection_dispatch(bus) == DBUS_DISPATCH_DATA_REMAINS) {
        }
    });
    const int rc = QApplication::exec();
    dbus_connection_close(bus);
    dbus_connection_unref(bus);
    return rc;
}
