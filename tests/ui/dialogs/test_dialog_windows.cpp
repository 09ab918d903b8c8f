#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "fakes/fakes.h"
#include "platform/linux/desktop_link_opener.h"
#include "platform/posix/reg_file_backend.h"
#include "support/test_support.h"
#include "ui/alarms/control_center_window.h"
#include "ui/common/dialog_slot.h"
#include "ui/dialogs/about_window.h"
#include "ui/dialogs/link_label.h"
#include "ui/dialogs/wizard_window.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// A real store file in a temporary folder, fakes for the rest, and a journal of the calls
// the dialogs make outward.
struct Env {
    explicit Env(const QString& dir)
        : path(dir + "/Orvane.reg"), user(path.toStdString()), store(user, machine) {
        store.EnsureKeys();
    }
    QByteArray file() const { return QByteArray::fromStdString(readText(path.toStdString())); }
    ControlCenterWindow* controlCenter(QWidget* owner) {
        auto model = std::make_unique<ControlCenterModel>(
            store, messages, power,
            ControlCenterActions{[this] { calls << "loadAlarms"; },
                                 [this] { calls << "updateDisplay"; },
                                 [this] { calls << "clearLastUpdate"; }});
        return new ControlCenterWindow(
            std::move(model), [this] { calls << "mainToFront"; }, owner);
    }

    QString path;
    RegFileBackend user;
    MemoryBackend machine;
    SettingsStore store;
    ScriptedMessages messages;
    FakePowerSource power;
    QStringList calls;
};

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class DialogWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void controlCenterShowsTheModelAndOkStoresWhatItShows() {
        Env e(dir_->path());
        QPointer<ControlCenterWindow> w = e.controlCenter(nullptr);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->objectName(), QString("frmControlCenter"));
        QCOMPARE(w->windowTitle(), QString("Control Center"));
        QCOMPARE(w->minimumSize(), w->maximumSize());

        QStringList order;
        QWidget* at = w->checkBox(AlarmCheck::LowBatt);
        do {
            if (at->focusPolicy() & Qt::TabFocus) order << at->objectName();
            at = at->nextInFocusChain();
        } while (at != w->checkBox(AlarmCheck::LowBatt) && order.size() < 20);
        QCOMPARE(order,
                 (QStringList{"chkLowBatt", "sliderLowBatt", "chkCriticalBatt",
                              "sliderCriticalBatt", "chkLowBattTime", "sliderLowBattTime",
                              "chkCriticalBattTime", "sliderCriticalBattTime", "chkPowerSource",
                              "chkFullBatt", "cmdFinish", "cmdCancel", "cmdInfo", "cmdReset"}));
        QCOMPARE(w->okButton()->text(), QString("&Ok"));
        QVERIFY(w->okButton()->isDefault());

        const QStringList labels{"10%", "0%", "0:25", "0:00"};
        for (int i = 0; i < 4; ++i) {
            const auto s = static_cast<AlarmSlider>(i);
            QCOMPARE(w->valueLabel(s)->text(), labels[i]);
            QVERIFY(!w->slider(s)->isEnabled());
            QVERIFY(!w->valueLabel(s)->isEnabled());
        }
        QCOMPARE(w->slider(AlarmSlider::LowBattTime)->maximum(), 120);

        w->checkBox(AlarmCheck::LowBatt)->click();
        QVERIFY(w->slider(AlarmSlider::LowBatt)->isEnabled());
        w->slider(AlarmSlider::LowBatt)->setValue(0);
        QCOMPARE(w->slider(AlarmSlider::LowBatt)->value(), 1);
        QCOMPARE(w->valueLabel(AlarmSlider::LowBatt)->text(), QString("1%"));
        w->checkBox(AlarmCheck::LowBattTime)->click();
        w->slider(AlarmSlider::LowBattTime)->setFocus();
        QTest::keyClick(w->slider(AlarmSlider::LowBattTime), Qt::Key_PageUp);
        QCOMPARE(w->valueLabel(AlarmSlider::LowBattTime)->text(), QString("0:35"));

        QTest::keyClick(w->slider(AlarmSlider::LowBattTime), Qt::Key_Return);  // Enter presses Ok
        flushDeletes();
        QVERIFY(!w);
        QCOMPARE(e.calls, (QStringList{"loadAlarms", "mainToFront"}));
        const QByteArray file = e.file();
        QVERIFY(file.contains("\"LowBatt\"=\"1\""));
        QVERIFY(file.contains("\"LowBattVal\"=\"1\""));
        QVERIFY(file.contains("\"LowBattTimeVal\"=\"35\""));
    }

    void cancelEscAndTheCloseBoxWriteNothingButBringTheMainWindowForward() {
        Env e(dir_->path());
        const QByteArray before = e.file();
        const std::vector<std::function<void(ControlCenterWindow*)>> closers{
            [](ControlCenterWindow* w) { w->cancelButton()->click(); },
            [](ControlCenterWindow* w) { QTest::keyClick(w, Qt::Key_Escape); },
            [](ControlCenterWindow* w) { w->close(); },
        };
        for (const auto& close : closers) {
            e.calls.clear();
            QPointer<ControlCenterWindow> w = e.controlCenter(nullptr);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            w->checkBox(AlarmCheck::PowerSource)->click();
            close(w);
            flushDeletes();
            QVERIFY(!w);
            QCOMPARE(e.calls, QStringList{"mainToFront"});
            QCOMPARE(e.file(), before);
        }
    }

    void wizardStartsOnTheSliderAndTheKeysSetTheTime() {
        Env e(dir_->path());
        WizardWindow w(e.store, e.messages, {});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.objectName(), QString("frmPersonalize"));
        QCOMPARE(w.windowTitle(), QString("Personalizing Orvane"));
        QCOMPARE(w.focusWidget(), w.timeSlider());
        QCOMPARE(w.timeSlider()->value(), 0);
        QCOMPARE(w.timeLabel()->text(), QString("N/A"));
        QVERIFY(w.doneButton()->isDefault());
        QCOMPARE(w.findChild<QLabel*>("lblMessage0")->text(), QString("Welcome to Orvane!"));
        QVERIFY(!w.windowIcon().isNull());
        // The introduction keeps to its column, clear of both frames.
        const QRect intro = w.findChild<QLabel*>("lblMessage2")->geometry();
        QVERIFY(intro.right() < w.findChild<QWidget*>("fraPersonalize0")->geometry().left());
        QVERIFY(intro.bottom() < w.findChild<QWidget*>("fraPersonalize1")->geometry().top());

        const std::vector<std::pair<Qt::Key, QString>> keys{
            {Qt::Key_Right, "0:15"}, {Qt::Key_PageUp, "1:15"}, {Qt::Key_End, "10:00"},
            {Qt::Key_Home, "N/A"},   {Qt::Key_PageUp, "1:00"}, {Qt::Key_Left, "0:45"},
        };
        for (const auto& [key, label] : keys) {
            QTest::keyClick(w.timeSlider(), key);
            QCOMPARE(w.timeLabel()->text(), label);
        }
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
    }

    void wizardDoneSeedsTheStoreAndTheCloseBoxWritesNothing() {
        struct Case {
            int minutes;  // -1: close with the close box instead of Done
            const char* data;
            const char* count;
            std::size_t messages;
        };
        const std::vector<Case> cases{
            {15, "\"Data\"=\"0.15\"", "\"Count\"=\"10\"", 0},
            {600, "\"Data\"=\"6\"", "\"Count\"=\"10\"", 0},
            {360, "\"Data\"=\"3.6\"", "\"Count\"=\"10\"", 0},
            {0, "\"Data\"=\"0\"", "\"Count\"=\"0\"", 1},
            {-1, nullptr, nullptr, 0},
        };
        for (const Case& c : cases) {
            QTemporaryDir dir;
            Env e(dir.path());
            e.store.save(Setting::Data, "2.5");
            const QByteArray before = e.file();
            WizardRunner runner(e.store, e.messages, {});
            QTimer::singleShot(0, [&c] {
                auto* w = qobject_cast<WizardWindow*>(QApplication::activeModalWidget());
                QVERIFY(w);
                if (c.minutes < 0) {
                    w->timeSlider()->setValue(300);
                    w->close();
                    return;
                }
                w->timeSlider()->setValue(c.minutes == 0 ? 60 : 0);
                w->timeSlider()->setValue(c.minutes);
                QTest::keyClick(w->timeSlider(), Qt::Key_Return);
            });
            runner.run();
            QVERIFY(!QApplication::activeModalWidget());
            QCOMPARE(e.messages.shown.size(), c.messages);
            if (!c.data) {
                QCOMPARE(e.file(), before);
                continue;
            }
            QVERIFY2(e.file().contains(c.data), e.file().constData());
            QVERIFY(e.file().contains(c.count));
        }
    }

    void controlCenterFromTheWizardIsModalAndOwnedByIt() {
        Env e(dir_->path());
        QPointer<QDialog> opened;
        bool wasModal = false;
        QWidget* owner = nullptr;
        WizardRunner runner(e.store, e.messages, [&](QWidget* parent) {
            owner = parent;
            opened = e.controlCenter(parent);
            return opened.data();
        });
        QTimer::singleShot(0, [&] {
            auto* wizard = qobject_cast<WizardWindow*>(QApplication::activeModalWidget());
            QVERIFY(wizard);
            wizard->timeSlider()->setValue(75);
            QTimer::singleShot(0, [&, wizard] {
                auto* cc = qobject_cast<ControlCenterWindow*>(QApplication::activeModalWidget());
                wasModal = cc && cc == opened && cc->parentWidget() == wizard && cc->isModal();
                if (cc) cc->cancelButton()->click();
                QTimer::singleShot(0, [wizard] {
                    QCOMPARE(QApplication::activeModalWidget(), wizard);
                    QCOMPARE(wizard->timeLabel()->text(), QString("1:15"));
                    QCOMPARE(wizard->timeSlider()->value(), 75);
                    wizard->doneButton()->click();
                });
            });
            wizard->controlCenterButton()->click();
        });
        runner.run();
        QVERIFY(wasModal);
        QVERIFY(owner);
        QVERIFY(!opened);
        QCOMPARE(e.calls, QStringList{"mainToFront"});
        QVERIFY(e.file().contains("\"Data\"=\"0.75\""));
    }

    void aboutBoxTextsSingleWindowAndKeys() {
        ScriptedMessages messages;
        RecordingLinkOpener opener;
        DialogSlot<AboutWindow> slot;
        const auto make = [&] { return new AboutWindow(messages, opener); };
        QPointer<AboutWindow> w = slot.show(make);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(slot.show(make), w.data());
        QCOMPARE(w->objectName(), QString("frmAbout"));
        QCOMPARE(w->windowTitle(), QString("About Orvane"));
        QVERIFY(w->windowIcon().isNull());
        QCOMPARE(w->findChild<QLabel*>("lblVersion")->text(),
                 QString("Version " ORVANE_TEST_VERSION));
        QCOMPARE(w->emailLabel()->text(), QString("E-mail: " ORVANE_TEST_EMAIL));
        QCOMPARE(w->websiteLabel()->text(), QString("Web: " ORVANE_TEST_WEB));
        QCOMPARE(w->emailLabel()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(w->minimumSize(), w->maximumSize());

        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(w && w->isVisible());
        QTest::keyClick(w, Qt::Key_Return);
        flushDeletes();
        QVERIFY(!w);
        QVERIFY(!slot.window());
    }

    void aboutBoxLinksByPointerKeyboardAndScreenReader() {
        ScriptedMessages messages;
        RecordingLinkOpener opener;
        AboutWindow w(messages, opener);
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        LinkLabel* email = w.emailLabel();
        LinkLabel* web = w.websiteLabel();
        const QPoint strip((email->geometry().left() + email->geometry().right()) / 2,
                           (email->geometry().bottom() + web->geometry().top() + 1) / 2);
        QVERIFY(!w.childAt(strip));
        struct Step {
            QPoint at;
            bool email;
            bool web;
        };
        const std::vector<Step> steps{
            {email->geometry().center(), true, false},
            {strip, false, false},
            {web->geometry().center(), false, true},
            {w.okButton()->geometry().center(), false, true},
            {email->geometry().center(), true, true},
            {QPoint(2, w.height() - 2), false, false},
        };
        for (const Step& s : steps) {
            QTest::mouseMove(w.windowHandle(), s.at);
            QCOMPARE(email->font().underline(), s.email);
            QCOMPARE(web->font().underline(), s.web);
        }

        // A click opens through the desktop's opener; its two failures each have a message.
        QTest::mouseClick(w.emailLabel(), Qt::LeftButton);
        QTest::mouseClick(w.websiteLabel(), Qt::LeftButton);
        QCOMPARE(opener.opened,
                 (std::vector<std::string>{"mailto:" ORVANE_TEST_EMAIL, ORVANE_TEST_WEB}));
        QVERIFY(messages.shown.empty());

        opener.result = LinkOpenResult::NoHandler;
        QTest::mouseClick(w.websiteLabel(), Qt::LeftButton);
        opener.result = LinkOpenResult::Failed;
        QTest::mouseClick(w.emailLabel(), Qt::LeftButton);
        QStringList shown;
        for (const MessageRequest& r : messages.shown)
            shown << QString::fromStdString(r.title + "|" + r.text);
        QCOMPARE(shown, (QStringList{"Browser Not Found|Could not find default Internet Browser",
                                     "URL Failed|Attemp failed. Address mailto:" ORVANE_TEST_EMAIL
                                     " cannot be opened"}));
        QVERIFY(w.isVisible());

        opener.result = LinkOpenResult::Opened;
        opener.opened.clear();
        messages.shown.clear();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.okButton()->setFocus();
        QWindow* window = w.windowHandle();
        QCOMPARE(QApplication::focusWidget(), w.okButton());
        // Tab: OK, the e-mail link, the web link, OK again; Enter and Space open a link and
        // leave the box open (Enter is not the default button's there).
        QTest::keyClick(window, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.emailLabel());
        QTest::keyClick(window, Qt::Key_Return);
        QTest::keyClick(window, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.websiteLabel());
        QTest::keyClick(window, Qt::Key_Space);
        QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(opener.opened, (std::vector<std::string>{"mailto:" ORVANE_TEST_EMAIL,
                                                          ORVANE_TEST_WEB, ORVANE_TEST_WEB}));
        QVERIFY(w.isVisible());
        QTest::keyClick(window, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.okButton());
        QTest::keyClick(window, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), w.websiteLabel());

        // What a screen reader is told: two links by their texts, each with a press action.
        for (auto [label, address] :
             {std::pair{w.emailLabel(), std::string("mailto:" ORVANE_TEST_EMAIL)},
              std::pair{w.websiteLabel(), std::string(ORVANE_TEST_WEB)}}) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
            QVERIFY(a);
            QCOMPARE(a->role(), QAccessible::Link);
            QCOMPARE(a->text(QAccessible::Name), label->text());
            QVERIFY(a->state().focusable);
            QAccessibleActionInterface* act = a->actionInterface();
            QVERIFY(act);
            QCOMPARE(act->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
            opener.opened.clear();
            act->doAction(QAccessibleActionInterface::pressAction());
            QCOMPARE(opener.opened, std::vector<std::string>{address});
        }
        QVERIFY(messages.shown.empty());
    }

    void desktopOpenerAsksForTheSchemeHandlerWithoutAShell() {
        QTemporaryDir dir;
        const QString script = dir.path() + "/xdg-mime";
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nprintf '%s|' \"$@\"\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        DesktopLinkOpener echoing(script);
        QCOMPARE(echoing.defaultHandler("mailto"),
                 QString("query|default|x-scheme-handler/mailto|"));
        QCOMPARE(echoing.defaultHandler("https; touch x"),
                 QString("query|default|x-scheme-handler/https; touch x|"));

        DesktopLinkOpener missing(dir.path() + "/no-such-program");
        QCOMPARE(missing.open("https://maker.example/"), LinkOpenResult::NoHandler);
        QCOMPARE(missing.open("mailto:someone@maker.example"), LinkOpenResult::NoHandler);
    }

    // The handler's own command is started, so a handler that cannot start is a failure at once.
    void desktopOpenerStartsTheHandlersCommand() {
        QTemporaryDir dir;
        const QString apps = dir.path() + "/data/applications";
        QVERIFY(QDir().mkpath(apps + "/vendor"));
        const auto write = [](const QString& path, const QByteArray& text, bool run = false) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
            f.close();
            if (run) f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
        const QString record = dir.path() + "/args";
        write(dir.path() + "/browser",
              "#!/bin/sh\nprintf '%s|' \"$@\" >" + record.toLocal8Bit() + ".part && mv " +
                  record.toLocal8Bit() + ".part " + record.toLocal8Bit() + "\n",
              true);
        write(apps + "/web.desktop", "[Desktop Entry]\nName=Web\nIcon=web\nExec=\"" +
                                         dir.path().toLocal8Bit() +
                                         "/browser\" --new %u 100%% %c %i\n");
        write(apps + "/vendor/mail.desktop", "[Desktop Entry]\nExec=/nonexistent/mailer %U\n");
        write(apps + "/plain.desktop", "[Desktop Entry]\nExec=plain --x\n");
        write(apps + "/dbus.desktop", "[Desktop Entry]\nDBusActivatable=true\n");
        // Not installed (its TryExec is not there); one that would run the address itself.
        write(apps + "/gone.desktop",
              "[Desktop Entry]\nTryExec=/nonexistent/web\nExec=/bin/true %u\n");
        write(apps + "/self.desktop", "[Desktop Entry]\nExec=%u\n");
        write(dir.path() + "/xdg-mime",
              "#!/bin/sh\ncase $3 in *https) echo web.desktop;; *mailto) echo "
              "vendor-mail.desktop;; esac\n",
              true);
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", (dir.path() + "/data").toLocal8Bit());

        using Kind = DesktopLinkOpener::Launch::Kind;
        const auto launch = [](const char* id) {
            return DesktopLinkOpener::launchCommand(id, "https://a.example/");
        };
        QCOMPARE(launch("plain.desktop").command,
                 (QStringList{"plain", "--x", "https://a.example/"}));
        QCOMPARE(launch("dbus.desktop").kind, Kind::NoCommand);
        QCOMPARE(launch("../web.desktop").kind, Kind::NoCommand);
        QCOMPARE(launch("gone.desktop").kind, Kind::NotInstalled);
        QCOMPARE(launch("self.desktop").kind, Kind::Refused);

        DesktopLinkOpener opener(dir.path() + "/xdg-mime");
        QCOMPARE(opener.open("https://maker.example/a b"), LinkOpenResult::Opened);
        QTRY_VERIFY(QFile::exists(record));
        QFile args(record);
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(args.readAll(),
                 QByteArray("--new|https://maker.example/a%20b|100%|Web|--icon|web|"));
        QCOMPARE(opener.open("mailto:someone@maker.example"), LinkOpenResult::Failed);
        // The results the About box turns into "Browser Not Found" and "URL Failed".
        write(
            dir.path() + "/xdg-mime",
            "#!/bin/sh\ncase $3 in *https) echo gone.desktop;; *mailto) echo self.desktop;; esac\n",
            true);
        QCOMPARE(opener.open("https://maker.example/"), LinkOpenResult::NoHandler);
        QCOMPARE(opener.open("mailto:someone@maker.example"), LinkOpenResult::Failed);
        qputenv("XDG_DATA_HOME", oldData);
    }

    void cleanup() { dir_.reset(); }

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(DialogWindowsTest)
#include "test_dialog_windows.moc"
