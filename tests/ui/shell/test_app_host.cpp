#include "ui/alarms/control_center_window.h"
#include "ui/dialogs/about_window.h"
#include "ui/dialogs/wizard_window.h"
#include "ui/program.h"

using namespace orvane;
using namespace orvane::test;

class AppHostTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunWritesTheDefaultsAndShowsTheStatus() {
        Program p(Program::First);
        // The wizard comes first, alone: three hours, then its Control Center, modal over it,
        // resets the learnt data (which redraws the status before there is a tray icon) and
        // brings no main window forward as it closes; the wizard keeps its time for Done.
        bool mainShownDuringWizard = true;
        QTimer::singleShot(0, [&] {
            auto* wizard = qobject_cast<WizardWindow*>(QApplication::activeModalWidget());
            QVERIFY(wizard);
            wizard->timeSlider()->setValue(180);
            QTimer::singleShot(0, [&, wizard] {
                auto* center =
                    qobject_cast<ControlCenterWindow*>(QApplication::activeModalWidget());
                QVERIFY(center && center->parentWidget() == wizard && center->isModal());
                p.messages.answers = {MsgAnswer::Yes, MsgAnswer::Ok};
                center->resetButton()->click();
                center->okButton()->click();
            });
            wizard->controlCenterButton()->click();
            mainShownDuringWizard = p.main().isVisible() || p.host->tray().isShown();
            wizard->doneButton()->click();
        });
        QVERIFY(p.host->start());
        QVERIFY(!mainShownDuringWizard);
        QCOMPARE(p.messages.shown.size(), std::size_t(3));  // reset question and its answer
        QCOMPARE(QString::fromStdString(p.messages.shown[2].title), "Welcome to Orvane");
        QCOMPARE(p.get({Setting::Data, Setting::Count, Setting::FirstUse}), "1.8 10 1");

        MainWindow& w = p.main();
        QVERIFY(w.isVisible());
        QCOMPARE(w.pos(), QPoint(0, 0));
        // Its title, the three values, the bar, the picture and the time's prompt.
        QCOMPARE(QStringList({w.windowTitle(), w.displayText(0), w.displayText(1), w.displayText(2),
                              QString::number(w.barValue()), w.pictureKey(), w.promptText(1)})
                     .join('|'),
                 "Orvane|85% Remaining|2:05|Battery|85|80L|Battery Time:");

        // The layout keeps the design's proportions: the status value sits right of its prompt.
        const auto* prompt = w.findChild<QLabel*>("lblPrompt0");
        const auto* value = w.findChild<QLabel*>("lblDisplay0");
        QVERIFY(value->font().bold() && !prompt->font().bold());
        QCOMPARE(value->geometry().left(), qRound(1305 * w.layoutScale()));
        QVERIFY(prompt->geometry().right() < value->geometry().left());
    }

    void powerChangesDuringTheWizardWaitForStartUp() {
        Program p(Program::First);
        p.store.EnsureKeys();  // as an earlier run would have left them
        for (Setting s : {Setting::LowBatt, Setting::PowerSourceChange}) p.store.save(s, "1");
        p.store.save(Setting::LowBattVal, "90");
        std::size_t messagesDuringWizard = 99;
        QTimer::singleShot(0, [&] {
            auto* wizard = QApplication::activeModalWidget();
            QVERIFY(wizard);
            p.power.change(discharging(50, 3600));
            p.power.change(charging(51));
            messagesDuringWizard = p.messages.shown.size();
            wizard->close();  // the close box: nothing written
        });
        QVERIFY(p.host->start());
        QCOMPARE(messagesDuringWizard, std::size_t(0));
        // The welcome only; no alarm at start-up.
        QCOMPARE(p.messages.shown.size(), std::size_t(1));
        QCOMPARE(p.main().displayText(0) + "|" + p.main().displayText(2), "51% Charging|AC Power");
        QCOMPARE(p.get({Setting::Data}), "");
    }

    // One Control Center, owned by the main window and not modal; the About box goes through the
    // same single-window slot, which the dialog tests check. The windows and marks of the modes
    // are the logic's, the panel's and the tray item's cases.
    void theMenuOpensOneControlCenter() {
        Program p;
        p.choose(MenuItem::ControlCenter);
        QPointer<ControlCenterWindow> cc = p.host->controlCenter();
        QVERIFY(cc && cc->isVisible() && !cc->isModal() && cc->parentWidget() == &p.main());
        p.choose(MenuItem::ControlCenter);
        QCOMPARE(p.host->controlCenter(), cc.data());
        p.choose(MenuItem::About);
        QVERIFY(p.host->about() && p.host->about()->isVisible());
    }

    // The panel's place: snapped to the edges when dropped near them, stored at each drop, when
    // the platform closes the panel (which comes back there) and at the session's end, where the
    // next start shows it. No to the question its double click asks keeps everything; Yes is the
    // end-to-end run's.
    void compactPlaceIsStoredAndTheNextStartShowsThePanel() {
        QTemporaryDir dir;
        {
            Program p(Program::Started, dir.path());
            QSignalSpy finished(p.host.get(), &AppHost::finished);
            p.choose(MenuItem::Compact);
            // 15 twips a pixel: 150 twips is 10 pixels, 180 twips 12.
            const std::pair<QPoint, QPoint> dropsAndPlaces[] = {
                {{10, 50}, {0, 50}}, {{12, 50}, {12, 50}},       {{100, -5}, {100, 0}},
                {{-40, 11}, {0, 0}}, {{2000, 700}, {2000, 700}}, {{300, 120}, {300, 120}}};
            for (const auto& [dropped, settled] : dropsAndPlaces) {
                p.compact()->move(dropped);
                emit p.compact()->dragFinished();
                QCOMPARE(p.compact()->pos(), settled);
                QCOMPARE(p.get({Setting::CompactX}), QString::number(settled.x() * 15));
            }
            p.compact()->move(600, 30);
            p.compact()->close();
            QCOMPARE(p.get({Setting::CompactX, Setting::Display}), "9000 1");
            QVERIFY(p.compact() && p.compact()->isVisible());
            QCOMPARE(p.compact()->pos(), QPoint(600, 30));

            p.messages.answers = {MsgAnswer::No};
            emit p.compact()->iconDoubleClicked();
            QCOMPARE(p.lastMessage(), "Are you sure you want to exit Orvane?");
            QCOMPARE(finished.count(), 0);
            QVERIFY(p.compact()->isVisible());
            p.compact()->move(300, 120);
            p.host->terminate();
            QCOMPARE(p.get({Setting::CompactX, Setting::CompactY, Setting::Display}),
                     "4500 1800 1");
        }
        Program p(Program::Returning, dir.path());
        p.power.snapshot = {1, 128, 85, 7530, -1};  // no battery, whatever else is read
        QVERIFY(p.host->start());
        CompactWindow* c = p.compact();
        QVERIFY(c && c->isVisible() && !p.main().isVisible());
        QVERIFY(c->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(c->pos(), QPoint(300, 120));
        QCOMPARE(c->displayText(0) + "|" + c->displayText(1) + "|" + c->displayText(2),
                 "N/A|N/A|AC");
        QVERIFY(!p.main().menuAction(MenuItem::AlwaysOnTop)->isVisible());

        // A change while the main window is hidden is on it once it shows (as when the tray
        // goes away in Minimize mode), with no change after it.
        p.power.change(discharging(40, 3600));
        p.main().showWindow();
        const auto* status = p.main().findChild<QLabel*>("lblDisplay0");
        QCOMPARE(status->text(), "40% Remaining");
        p.main().hideWindow();
        p.power.change(charging(50));  // the charger is in again

        // The main window comes laid out and with the status on it.
        p.choose(MenuItem::Full);
        QVERIFY(p.main().isVisible() && !c->isVisible());
        const auto* value = p.main().findChild<QLabel*>("lblDisplay2");
        QCOMPARE(value->geometry().left(), qRound(1875 * p.main().layoutScale()));
        QVERIFY(p.main().width() >= qRound(3075 * p.main().layoutScale()) - 1);
        QCOMPARE(p.main().displayText(2), "AC Power");
        QCOMPARE(status->text(), "50% Charging");
    }

    void alwaysOnTopAndPlaceAreSavedAndRestoredAndEndingAsks() {
        QTemporaryDir dir;
        {
            Program p(Program::Started, dir.path());
            QVERIFY(!(p.main().windowFlags() & Qt::WindowStaysOnTopHint));
            p.choose(MenuItem::AlwaysOnTop);
            QVERIFY(p.checked(MenuItem::AlwaysOnTop) && p.main().isVisible());
            QVERIFY(p.main().windowFlags() & Qt::WindowStaysOnTopHint);
            QCOMPARE(p.get({Setting::AlwaysOnTop}), "-1");  // at once, not at the end
            // A move of the main window is stored once it stands still.
            QSignalSpy settled(&p.main(), &MainWindow::placeSettled);
            p.main().move(240, 90);
            QVERIFY(settled.wait());
            QCOMPARE(p.get({Setting::X, Setting::Y}), "3600 1350");
            // A window manager's iconify animation moves the frame of a window it minimizes
            // (openbox to the screen's bottom). That place is never taken: not stored, not
            // moved to (which would restore the window), and the window's place stays.
            p.main().showMinimized();
            QTRY_VERIFY(p.main().isMinimized());
            p.main().move(149, 786);
            QVERIFY(!settled.wait(1000));
            QVERIFY(p.main().isMinimized());
            QCOMPARE(p.get({Setting::X, Setting::Y}), "3600 1350");
            QCOMPARE(std::pair(p.main().position().x, p.main().position().y),
                     std::pair(3600.0, 1350.0));
        }
        Program p(Program::Started, dir.path());
        QVERIFY(p.checked(MenuItem::AlwaysOnTop));
        QVERIFY(p.main().windowFlags() & Qt::WindowStaysOnTopHint);
        p.choose(MenuItem::AlwaysOnTop);
        QVERIFY(!(p.main().windowFlags() & Qt::WindowStaysOnTopHint));

        // Ending asks; No keeps the program, Yes saves the window's place and ends.
        QSignalSpy finished(p.host.get(), &AppHost::finished);
        p.main().move(200, 100);
        p.messages.answers = {MsgAnswer::No};
        p.main().close();
        QCOMPARE(p.lastMessage(), "Are you sure you want to exit Orvane?");
        QVERIFY(p.main().isVisible());
        QCOMPARE(finished.count(), 0);
        p.messages.answers = {MsgAnswer::Yes};
        p.choose(MenuItem::Exit);
        QCOMPARE(p.messages.shown.size(), std::size_t(2));  // asked exactly once
        QCOMPARE(finished.count(), 1);
        QVERIFY(!p.host->tray().isShown());
        QCOMPARE(p.get({Setting::X, Setting::Y, Setting::AlwaysOnTop}), "3000 1500 0");
    }

    void trayEventsActByMode() {
        Program p;
        QMenu* menu = p.main().popupMenu();
        QWidget elsewhere;  // another window that has the focus before each event
        elsewhere.show();
        enum Front { Nothing, Main, Panel };
        // What each kind of click does to a real window: what comes to the front, whether the
        // menu opens. The controller's table test has every mode and event.
        const std::tuple<MenuItem, TrayEvent, Front, bool> rows[] = {
            {MenuItem::Full, TrayEvent::LeftButtonUp, Nothing, false},
            {MenuItem::Full, TrayEvent::LeftDoubleClick, Main, false},
            {MenuItem::Full, TrayEvent::Activate, Main, false},
            {MenuItem::Compact, TrayEvent::LeftButtonUp, Panel, false},
            {MenuItem::Minimize, TrayEvent::RightButtonUp, Nothing, true}};
        for (const auto& [mode, event, front, opens] : rows) {
            p.choose(mode);
            const bool minimized = mode == MenuItem::Full && event != TrayEvent::RightButtonUp;
            if (minimized) p.main().showMinimized();
            elsewhere.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &elsewhere);
            p.host->onTrayClicked(event, std::nullopt);
            QCOMPARE(menu->isVisible(), opens);
            menu->hide();
            // Offscreen, the pop-up keeps the activation once it has had it; where a menu opens,
            // the controller's table test checks that the main window comes first.
            const std::array<QWidget*, 3> windows{&elsewhere, &p.main(), p.compact()};
            if (!opens) QTRY_COMPARE(QApplication::activeWindow(), windows[front]);
            // Only the double click in Full mode restores the window.
            if (minimized) QCOMPARE(p.main().isMinimized(), front != Main);
        }
    }
};

QTEST_MAIN(AppHostTest)
#include "test_app_host.moc"
