#include "platform/linux/desktop_link_opener.h"
#include "ui/alarms/control_center_window.h"
#include "ui/dialogs/about_window.h"
#include "ui/dialogs/link_label.h"
#include "ui/dialogs/wizard_window.h"
#include "ui/program.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// The store file and fakes of a program not started, and a journal of the calls the dialogs
// make outward.
struct Env : Program {
    Env() : Program(Program::First) { store.EnsureKeys(); }
    QByteArray file() { return QByteArray::fromStdString(readText(user.location())); }
    ControlCenterWindow* controlCenter(QWidget* owner) {
        const auto note = [this](const char* call) { return [this, call] { calls << call; }; };
        auto model = std::make_unique<ControlCenterModel>(
            store, messages, power,
            ControlCenterActions{note("loadAlarms"), note("updateDisplay"),
                                 note("clearLastUpdate")});
        return new ControlCenterWindow(std::move(model), note("mainToFront"), owner);
    }
    QStringList calls;
};

void writeScript(const QString& path, const std::string& body) {
    writeText(path.toStdString(), "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(path.toStdString(), std::filesystem::perms::owner_all);
}

}  // namespace

class DialogWindowsTest : public QObject {
    Q_OBJECT
private slots:
    // The window as the model has it, changed the same way each time: Cancel, Esc and the
    // close box write nothing but bring the main window forward; Enter presses Ok, which stores.
    void controlCenterShowsTheModelAndOnlyOkStores() {
        Env e;
        const QByteArray before = e.file();
        using W = ControlCenterWindow;
        const std::tuple<const char*, void (*)(W*), bool> closers[] = {
            {"Cancel", [](W* w) { w->cancelButton()->click(); }, false},
            {"Esc", [](W* w) { QTest::keyClick(w, Qt::Key_Escape); }, false},
            {"close box", [](W* w) { w->close(); }, false},
            {"Enter", [](W* w) { QTest::keyClick(w->focusWidget(), Qt::Key_Return); }, true}};
        for (const auto& [name, close, stores] : closers) {
            e.calls.clear();
            QPointer<ControlCenterWindow> w = e.controlCenter(nullptr);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            // The tab order, once round and back to its start.
            QStringList order;
            for (QWidget* at = w->checkBox(AlarmCheck::LowBatt); order.size() < 15;
                 at = at->nextInFocusChain())
                if (at->focusPolicy() & Qt::TabFocus) order << at->objectName();
            QCOMPARE(order.join(' '),
                     "chkLowBatt sliderLowBatt chkCriticalBatt sliderCriticalBatt chkLowBattTime "
                     "sliderLowBattTime chkCriticalBattTime sliderCriticalBattTime chkPowerSource "
                     "chkFullBatt cmdFinish cmdCancel cmdInfo cmdReset chkLowBatt");
            QVERIFY(w->okButton()->isDefault());

            const QStringList labels{"10%", "0%", "0:25", "0:00"};
            for (int i = 0; i < 4; ++i) {
                const auto s = static_cast<AlarmSlider>(i);
                QCOMPARE(w->valueLabel(s)->text(), labels[i]);
                QVERIFY2(!w->slider(s)->isEnabled() && !w->valueLabel(s)->isEnabled(),
                         qPrintable(labels[i]));
            }
            QCOMPARE(w->slider(AlarmSlider::LowBattTime)->maximum(), 120);

            w->checkBox(AlarmCheck::LowBatt)->click();
            QVERIFY(w->slider(AlarmSlider::LowBatt)->isEnabled());
            w->slider(AlarmSlider::LowBatt)->setValue(0);
            QCOMPARE(w->slider(AlarmSlider::LowBatt)->value(), 1);
            QCOMPARE(w->valueLabel(AlarmSlider::LowBatt)->text(), "1%");
            w->checkBox(AlarmCheck::LowBattTime)->click();
            w->slider(AlarmSlider::LowBattTime)->setFocus();
            QTest::keyClick(w->slider(AlarmSlider::LowBattTime), Qt::Key_PageUp);
            QCOMPARE(w->valueLabel(AlarmSlider::LowBattTime)->text(), "0:35");

            close(w);
            QTRY_VERIFY2(!w, name);
            QCOMPARE(e.calls.join(' '), stores ? "loadAlarms mainToFront" : "mainToFront");
            QVERIFY2(stores || e.file() == before, name);
        }
        QCOMPARE(e.get({Setting::LowBatt, Setting::LowBattVal, Setting::LowBattTimeVal}), "1 1 35");
    }

    void wizardStartsOnTheSliderAndTheKeysSetTheTime() {
        Env e;
        WizardWindow w(e.store, e.messages, {});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.focusWidget(), w.timeSlider());
        QCOMPARE(w.timeLabel()->text(), "N/A");
        QVERIFY(w.doneButton()->isDefault());
        // The introduction keeps to its column, clear of both frames.
        const QRect intro = w.findChild<QLabel*>("lblMessage2")->geometry();
        QVERIFY(intro.right() < w.findChild<QWidget*>("fraPersonalize0")->geometry().left());
        QVERIFY(intro.bottom() < w.findChild<QWidget*>("fraPersonalize1")->geometry().top());

        const std::pair<Qt::Key, const char*> keys[] = {
            {Qt::Key_Right, "0:15"}, {Qt::Key_PageUp, "1:15"}, {Qt::Key_End, "10:00"},
            {Qt::Key_Home, "N/A"},   {Qt::Key_PageUp, "1:00"}, {Qt::Key_Left, "0:45"}};
        for (const auto& [key, label] : keys) {
            QTest::keyClick(w.timeSlider(), key);
            QCOMPARE(w.timeLabel()->text(), label);
        }
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
    }

    void wizardDoneSeedsTheStore() {
        // The minutes set, the Data and Count stored after, the messages shown.
        const std::tuple<int, const char*, std::size_t> cases[] = {
            {15, "0.15 10", 0}, {600, "6 10", 0}, {360, "3.6 10", 0}, {0, "0 0", 1}};
        for (const auto& [minutes, stored, shown] : cases) {
            Env e;
            e.store.save(Setting::Data, "2.5");
            WizardWindow w(e.store, e.messages, {});
            w.show();
            w.timeSlider()->setValue(minutes == 0 ? 60 : 0);
            w.timeSlider()->setValue(minutes);
            QTest::keyClick(w.timeSlider(), Qt::Key_Return);
            QVERIFY(!w.isVisible());
            QCOMPARE(e.messages.shown.size(), shown);
            QCOMPARE(e.get({Setting::Data, Setting::Count}), stored);
        }
    }

    void aboutBoxTextsLinksAndKeys() {
        ScriptedMessages messages;
        RecordingLinkOpener opener;
        DialogSlot<AboutWindow> slot;
        const auto make = [&] { return new AboutWindow(messages, opener); };
        QPointer<AboutWindow> w = slot.show(make);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(slot.show(make), w.data());  // one at a time
        LinkLabel *email = w->emailLabel(), *web = w->websiteLabel();
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(w && w->isVisible());

        const std::string mail = "mailto:" ORVANE_TEST_EMAIL;
        const QPoint strip((email->geometry().left() + email->geometry().right()) / 2,
                           (email->geometry().bottom() + web->geometry().top() + 1) / 2);
        QVERIFY(!w->childAt(strip));
        // Where the pointer goes, and which links are underlined after it.
        const QPoint atEmail = email->geometry().center(), atWeb = web->geometry().center();
        const std::tuple<QPoint, bool, bool> moves[] = {
            // clang-format off
            {atEmail, true, false}, {strip, false, false}, {atWeb, false, true},
            {w->okButton()->geometry().center(), false, true}, {atEmail, true, true},
            {QPoint(2, w->height() - 2), false, false},
            // clang-format on
        };
        for (const auto& [at, emailLine, webLine] : moves) {
            QTest::mouseMove(w->windowHandle(), at);
            QCOMPARE(std::pair(email->font().underline(), web->font().underline()),
                     std::pair(emailLine, webLine));
        }

        // Clicks open through the desktop's opener; its two failures each have a message.
        using R = LinkOpenResult;
        for (auto [link, result] : {std::pair(email, R::Opened), std::pair(web, R::Opened),
                                    std::pair(web, R::NoHandler), std::pair(email, R::Failed)}) {
            opener.result = result;
            QTest::mouseClick(link, Qt::LeftButton);
        }
        opener.result = R::Opened;

        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->okButton()->setFocus();
        QCOMPARE(QApplication::focusWidget(), w->okButton());
        // Tab: OK, the e-mail link, the web link, OK again; Enter and Space open a link and
        // leave the box open (Enter is not the default button's there).
        const std::tuple<Qt::Key, Qt::KeyboardModifiers, QWidget*> keys[] = {
            // clang-format off
            {Qt::Key_Tab, {}, email}, {Qt::Key_Return, {}, email}, {Qt::Key_Tab, {}, web},
            {Qt::Key_Space, {}, web}, {Qt::Key_Enter, Qt::KeypadModifier, web},
            {Qt::Key_Tab, {}, w->okButton()}, {Qt::Key_Backtab, {}, web},
            // clang-format on
        };
        for (const auto& [key, modifiers, focus] : keys) {
            QTest::keyClick(w->windowHandle(), key, modifiers);
            QVERIFY(w && w->isVisible());
            QCOMPARE(QApplication::focusWidget(), focus);
        }

        // What a screen reader is told: two links by their texts, each with a press action.
        for (LinkLabel* label : {email, web}) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
            QVERIFY(a && a->role() == QAccessible::Link && a->state().focusable);
            QCOMPARE(a->text(QAccessible::Name), label->text());
            QAccessibleActionInterface* act = a->actionInterface();
            QVERIFY(act);
            QCOMPARE(act->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
            act->doAction(QAccessibleActionInterface::pressAction());
        }
        // The clicks' four, the keys' three, then the screen reader's two; the failures' messages
        // and no other.
        const std::string site = ORVANE_TEST_WEB;
        QCOMPARE(opener.opened,
                 (std::vector<std::string>{mail, site, site, mail, mail, site, site, mail, site}));
        QStringList shown;
        for (const MessageRequest& r : messages.shown)
            shown << QString::fromStdString(r.title + "|" + r.text);
        QCOMPARE(shown, (QStringList{"Browser Not Found|Could not find default Internet Browser",
                                     "URL Failed|Attemp failed. Address mailto:" ORVANE_TEST_EMAIL
                                     " cannot be opened"}));

        // Enter on OK closes the box, and the slot lets it go.
        w->okButton()->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
        QTRY_VERIFY(!w && !slot.window());
    }

    // The handler's own command is started, so a handler that cannot start is a failure at
    // once; the scheme's handler is asked of xdg-mime without a shell.
    void desktopOpenerStartsTheHandlersCommand() {
        QTemporaryDir dir;
        const QString d = dir.path(), apps = d + "/data/applications";
        std::filesystem::create_directories((apps + "/vendor").toStdString());
        writeScript(d + "/echo", "printf '%s|' \"$@\"");
        QCOMPARE(DesktopLinkOpener(d + "/echo").defaultHandler("https; touch x"),
                 "query|default|x-scheme-handler/https; touch x|");
        QCOMPARE(DesktopLinkOpener(d + "/none").open("https://maker.example/"),
                 LinkOpenResult::NoHandler);

        const std::string record = (d + "/args").toStdString();
        writeScript(d + "/browser",
                    "printf '%s|' \"$@\" >" + record + ".part && mv " + record + ".part " + record);
        const std::pair<const char*, std::string> entries[] = {
            {"web",
             "Name=Web\nIcon=web\nExec=\"" + d.toStdString() + "/browser\" --new %u 100%% %c %i"},
            {"vendor/mail", "Exec=/nonexistent/mailer %U"},
            {"dbus", "DBusActivatable=true"},
            // Not installed (its TryExec is not there); one that would run the address itself.
            {"gone", "TryExec=/nonexistent/web\nExec=/bin/true %u"},
            {"self", "Exec=%u"}};
        for (const auto& [name, lines] : entries)
            writeText(apps.toStdString() + "/" + name + ".desktop",
                      "[Desktop Entry]\n" + lines + "\n");
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", (d + "/data").toLocal8Bit());

        using Kind = DesktopLinkOpener::Launch::Kind;
        const std::pair<const char*, Kind> kinds[] = {
            {"dbus.desktop", Kind::NoCommand},
            {"../applications/web.desktop", Kind::NoCommand},
            {"gone.desktop", Kind::NotInstalled},
            {"self.desktop", Kind::Refused}};
        for (const auto& [id, kind] : kinds)
            QVERIFY2(DesktopLinkOpener::launchCommand(id, "https://a.example/").kind == kind, id);

        writeScript(
            d + "/xdg-mime",
            "case $3 in *https) echo web.desktop;; *mailto) echo vendor-mail.desktop;; esac");
        DesktopLinkOpener opener(d + "/xdg-mime");
        QCOMPARE(opener.open("https://maker.example/a b"), LinkOpenResult::Opened);
        QTRY_VERIFY(QFile::exists(QString::fromStdString(record)));
        QCOMPARE(QString::fromStdString(readText(record)),
                 "--new|https://maker.example/a%20b|100%|Web|--icon|web|");
        QCOMPARE(opener.open("mailto:someone@maker.example"), LinkOpenResult::Failed);
        // The results the About box turns into "Browser Not Found" and "URL Failed".
        writeScript(d + "/xdg-mime",
                    "case $3 in *https) echo gone.desktop;; *mailto) echo self.desktop;; esac");
        QCOMPARE(opener.open("https://maker.example/"), LinkOpenResult::NoHandler);
        QCOMPARE(opener.open("mailto:someone@maker.example"), LinkOpenResult::Failed);
        qputenv("XDG_DATA_HOME", oldData);
    }
};

QTEST_MAIN(DialogWindowsTest)
#include "test_dialog_windows.moc"
