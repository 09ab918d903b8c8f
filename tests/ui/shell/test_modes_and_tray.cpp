#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include <QSystemTrayIcon>
#include "ui/program.h"

#include "ui/shell/tray_icon.h"

using namespace orvane;
using namespace orvane::test;

class ModesAndTrayTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void menuSwitchesModesAndStoresThem() {
        Program p(dir_->path(), Program::Run::Returning);
        QVERIFY(p.host->start());
        struct Row {
            MenuItem item;
            const char* display;
            bool main, compact, onTopItem;
        };
        const Row rows[] = {
            {MenuItem::Compact, "1", false, true, false},
            {MenuItem::Minimize, "2", false, false, true},
            {MenuItem::Compact, "1", false, true, false},
            {MenuItem::Full, "0", true, false, true},
            {MenuItem::Full, "0", true, false, true},  // the mode in effect, applied again
        };
        // Without a tray to click (as offscreen), Minimize keeps the main window.
        const bool noTray = !QSystemTrayIcon::isSystemTrayAvailable();
        for (const Row& r : rows) {
            p.choose(r.item);
            QCOMPARE(p.get(Setting::Display), std::string(r.display));
            QCOMPARE(p.main().isVisible(), r.main || (noTray && r.item == MenuItem::Minimize));
            QCOMPARE(p.compact()->isVisible(), r.compact);
            QCOMPARE(p.main().menuAction(MenuItem::AlwaysOnTop)->isVisible(), r.onTopItem);
            for (MenuItem m : {MenuItem::Full, MenuItem::Compact, MenuItem::Minimize}) {
                QCOMPARE(p.checked(m), m == r.item);
            }
        }
    }

    void compactPlaceSurvivesARestartAndSnapsToEdges() {
        {
            Program p(dir_->path(), Program::Run::Returning);
            QVERIFY(p.host->start());
            p.choose(MenuItem::Compact);
            QVERIFY(p.compact()->windowFlags() & Qt::WindowStaysOnTopHint);
            struct Row {
                QPoint dropped;
                QPoint settled;
            };
            // 15 twips a pixel: 150 twips is 10 pixels, 180 twips 12.
            const Row rows[] = {
                {{10, 50}, {0, 50}}, {{12, 50}, {12, 50}},       {{100, -5}, {100, 0}},
                {{-40, 11}, {0, 0}}, {{2000, 700}, {2000, 700}}, {{300, 120}, {300, 120}},
            };
            for (const Row& r : rows) {
                p.compact()->move(r.dropped);
                emit p.compact()->dragFinished();
                QCOMPARE(p.compact()->pos(), r.settled);
                QCOMPARE(p.get(Setting::CompactX),
                         std::to_string(r.settled.x() * 15));  // at each drop
            }
            p.host->terminate();
            QCOMPARE(p.get(Setting::CompactX), std::string("4500"));
            QCOMPARE(p.get(Setting::CompactY), std::string("1800"));
            QCOMPARE(p.get(Setting::Display), std::string("1"));
        }
        Program again(dir_->path(), Program::Run::Returning);
        QVERIFY(again.host->start());
        QVERIFY(again.compact()->isVisible());
        QVERIFY(!again.main().isVisible());
        QCOMPARE(again.compact()->pos(), QPoint(300, 120));
    }

    void alwaysOnTopIsSavedAndRestored() {
        {
            Program p(dir_->path(), Program::Run::Returning);
            QVERIFY(p.host->start());
            QVERIFY(!(p.main().windowFlags() & Qt::WindowStaysOnTopHint));
            p.choose(MenuItem::AlwaysOnTop);
            QVERIFY(p.checked(MenuItem::AlwaysOnTop));
            QVERIFY(p.main().windowFlags() & Qt::WindowStaysOnTopHint);
            QVERIFY(p.main().isVisible());
            QCOMPARE(p.get(Setting::AlwaysOnTop), std::string("-1"));  // at once, not at the end
            // A move of the main window is stored once it stands still.
            p.main().move(240, 90);
            QTRY_COMPARE(p.get(Setting::X), std::string("3600"));
            QCOMPARE(p.get(Setting::Y), std::string("1350"));
        }
        {
            Program p(dir_->path(), Program::Run::Returning);
            QVERIFY(p.host->start());
            QVERIFY(p.checked(MenuItem::AlwaysOnTop));
            QVERIFY(p.main().windowFlags() & Qt::WindowStaysOnTopHint);
            p.choose(MenuItem::AlwaysOnTop);
            QVERIFY(!(p.main().windowFlags() & Qt::WindowStaysOnTopHint));
        }
    }

    // A window manager's iconify animation moves the frame of a window it minimizes (openbox
    // to the screen's bottom). That place is never taken: not stored, not moved to (which
    // would restore the window), and the window's place stays where it stood.
    void minimizedWindowKeepsItsPlace() {
        Program p(dir_->path(), Program::Run::Returning);
        QVERIFY(p.host->start());
        QSignalSpy settled(&p.main(), &MainWindow::placeSettled);
        p.main().move(100, 60);
        QVERIFY(settled.wait());
        QCOMPARE(p.get(Setting::X), std::string("1500"));
        p.main().showMinimized();
        QTRY_VERIFY(p.main().isMinimized());
        p.main().move(149, 786);
        QVERIFY(!settled.wait(1000));
        QVERIFY(p.main().isMinimized());
        QCOMPARE(p.get(Setting::X), std::string("1500"));
        QCOMPARE(p.get(Setting::Y), std::string("900"));
        QCOMPARE(p.main().position().x, 1500.0);
        QCOMPARE(p.main().position().y, 900.0);
    }

    void trayEventsActByMode() {
        Program p(dir_->path(), Program::Run::Returning);
        QVERIFY(p.host->start());
        QMenu* menu = p.main().popupMenu();
        QWidget elsewhere;  // another window that has the focus before each event
        elsewhere.show();
        enum Front { Nothing, Main, Panel };
        struct Row {
            MenuItem mode;
            TrayEvent event;
            Front front;
            bool menu;
        };
        // What each kind of click does to a real window; the controller's table test has
        // every mode and event.
        const Row rows[] = {
            {MenuItem::Full, TrayEvent::LeftButtonUp, Nothing, false},
            {MenuItem::Full, TrayEvent::LeftDoubleClick, Main, false},
            {MenuItem::Full, TrayEvent::Activate, Main, false},
            {MenuItem::Compact, TrayEvent::LeftButtonUp, Panel, false},
            {MenuItem::Minimize, TrayEvent::RightButtonUp, Nothing, true},
        };
        for (const Row& r : rows) {
            p.choose(r.mode);
            const bool minimized = r.mode == MenuItem::Full && r.event != TrayEvent::RightButtonUp;
            if (minimized) p.main().showMinimized();
            elsewhere.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &elsewhere);
            p.host->onTrayClicked(r.event, std::nullopt);
            QCOMPARE(menu->isVisible(), r.menu);
            menu->hide();
            // Offscreen, the pop-up keeps the activation once it has had it; where a menu opens,
            // the controller's table test checks that the main window comes first.
            if (!r.menu) {
                QWidget* const want = r.front == Main    ? static_cast<QWidget*>(&p.main())
                                      : r.front == Panel ? p.compact()
                                                         : &elsewhere;
                QTRY_COMPARE(QApplication::activeWindow(), want);
            }
            // Only the double click in Full mode restores the window.
            if (minimized) QCOMPARE(p.main().isMinimized(), r.front != Main);
        }
        // A host that says where the menu goes has it there.
        p.host->onTrayClicked(TrayEvent::RightButtonUp, QPoint(300, 200));
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), QPoint(300, 200));
        menu->hide();
    }

    void compactPlatformCloseAndDoubleClickNo() {
        Program p(dir_->path(), Program::Run::Returning);
        QVERIFY(p.host->start());
        QSignalSpy finished(p.host.get(), &AppHost::finished);
        p.choose(MenuItem::Compact);
        p.compact()->move(600, 30);

        // Closed by the platform: its place is saved and the panel comes back there.
        p.compact()->close();
        QCOMPARE(p.get(Setting::CompactX), std::string("9000"));
        QVERIFY(p.compact() && p.compact()->isVisible());
        QCOMPARE(p.compact()->pos(), QPoint(600, 30));
        QCOMPARE(p.get(Setting::Display), std::string("1"));

        // No keeps everything; Yes (saving the place and ending) is the end-to-end run's.
        p.messages.answers = {MsgAnswer::No};
        emit p.compact()->iconDoubleClicked();
        QCOMPARE(p.messages.shown.back().text,
                 std::string("Are you sure you want to exit Orvane?"));
        QCOMPARE(finished.count(), 0);
        QVERIFY(p.compact()->isVisible());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(ModesAndTrayTest)
#include "test_modes_and_tray.moc"
