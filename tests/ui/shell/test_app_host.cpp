#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "ui/alarms/control_center_window.h"
#include "ui/dialogs/about_window.h"
#include "ui/program.h"
#include "ui/shell/tray_icon.h"

using namespace orvane;
using namespace orvane::test;

class AppHostTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void firstRunWritesTheDefaultsAndShowsTheStatus() {
        Program p(dir_->path());
        // The wizard comes first: its Control Center resets the learnt data (which redraws the
        // status before there is a tray icon), then three hours and Done.
        bool mainShownDuringWizard = true;
        const auto press = [](QWidget* w, const QString& caption) {
            for (auto* b : w->findChildren<QPushButton*>())
                if (b->text() == caption) b->click();
        };
        QTimer::singleShot(0, [&] {
            auto* wizard = QApplication::activeModalWidget();
            QVERIFY(wizard);
            QCOMPARE(wizard->windowTitle(), QString("Personalizing Orvane"));
            mainShownDuringWizard = p.main().isVisible() || p.host->tray().isShown();
            QTimer::singleShot(0, [&] {
                auto* center = QApplication::activeModalWidget();
                QVERIFY(center && center != wizard);
                p.messages.answers = {MsgAnswer::Yes, MsgAnswer::Ok};
                press(center, "&Reset");
                press(center, "&Ok");
            });
            press(wizard, "Launch &Control Center");
            wizard->findChild<QSlider*>()->setValue(180);
            press(wizard, "&Done");
        });
        QVERIFY(p.host->start());
        QVERIFY(!mainShownDuringWizard);
        QCOMPARE(p.messages.shown.size(), std::size_t(3));  // reset question and its answer
        QCOMPARE(QString::fromStdString(p.messages.shown[2].title), QString("Welcome to Orvane"));
        QCOMPARE(p.get(Setting::Data), std::string("1.8"));
        QCOMPARE(p.get(Setting::Count), std::string("10"));
        QCOMPARE(p.get(Setting::FirstUse), std::string("1"));

        MainWindow& w = p.main();
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowTitle(), QString("Orvane"));
        QCOMPARE(w.pos(), QPoint(0, 0));
        QCOMPARE(w.displayText(0), QString("85% Remaining"));
        QCOMPARE(w.displayText(1), QString("2:05"));
        QCOMPARE(w.displayText(2), QString("Battery"));
        QCOMPARE(w.barValue(), 85);
        QCOMPARE(w.pictureKey(), QString("80L"));
        QCOMPARE(w.promptText(1), QString("Battery Time:"));
        QCOMPARE(p.host->tray().toolTip(),
                 QString("Status: 85% Remaining | Time: 2:05 | Pwr: Battery"));

        // The layout keeps the design's proportions: the status value sits right of its prompt.
        auto* frame = w.findChild<QGroupBox*>("fraStatus");
        QVERIFY(frame);
        QCOMPARE(frame->title(), QString("Power Status"));
        const auto* prompt = w.findChild<QLabel*>("lblPrompt0");
        const auto* value = w.findChild<QLabel*>("lblDisplay0");
        QVERIFY(value->font().bold());
        QVERIFY(!prompt->font().bold());
        QCOMPARE(value->geometry().left(), qRound(1305 * w.layoutScale()));
        QVERIFY(prompt->geometry().right() < value->geometry().left());
    }

    void menuHasItsFourteenItemsInOrder() {
        Program p(dir_->path(), Program::Run::Returning);
        QVERIFY(p.host->start());
        const QList<QAction*> items = p.main().popupMenu()->actions();
        const QStringList names{"sbjExit",
                                "sbjLine1",
                                "sbjControlCenter",
                                "sbjLine2",
                                "sbjRefresh",
                                "sbjLine0",
                                "sbjFull",
                                "sbjCompact",
                                "sbjMinimize",
                                "sbjLine3",
                                "sbjStartWithWindows",
                                "sbjAlwaysOnTop",
                                "sbjLine4",
                                "sbjAbout"};
        QCOMPARE(items.size(), names.size());
        for (int i = 0; i < names.size(); ++i) QCOMPARE(items[i]->objectName(), names[i]);
        QCOMPARE(items[10]->text(), QString("Start with Windows"));
        QVERIFY(items[6]->isChecked());
        QVERIFY(!items[7]->isChecked());
        // Qt would untick a ticked item on a click; the logic keeps the mode's mark.
        items[6]->trigger();
        QVERIFY(items[6]->isChecked());
    }

    void exitQuestionNoKeepsRunningYesSaves() {
        Program p(dir_->path(), Program::Run::Returning);
        QVERIFY(p.host->start());
        QSignalSpy finished(p.host.get(), &AppHost::finished);
        p.main().move(200, 100);

        p.messages.answers = {MsgAnswer::No};
        p.main().close();
        QCOMPARE(p.messages.shown.back().text,
                 std::string("Are you sure you want to exit Orvane?"));
        QVERIFY(p.main().isVisible());
        QCOMPARE(finished.count(), 0);

        p.messages.answers = {MsgAnswer::Yes};
        const auto asked = p.messages.shown.size();
        p.main().menuAction(MenuItem::Exit)->trigger();
        QCOMPARE(p.messages.shown.size(), asked + 1);  // asked exactly once
        QCOMPARE(finished.count(), 1);
        QVERIFY(!p.host->tray().isShown());
        QCOMPARE(p.get(Setting::X), std::string("3000"));
        QCOMPARE(p.get(Setting::Y), std::string("1500"));
        QCOMPARE(p.get(Setting::AlwaysOnTop), std::string("0"));
    }

    void compactModeShowsThePanelWithShortTexts() {
        {
            Program p(dir_->path(), Program::Run::Returning);
            QVERIFY(p.host->start());
            p.host->terminate();  // shutdown saves the panel's place, so edit after it
            p.store.save(Setting::Display, "1");
            p.store.save(Setting::CompactX, "4500");
            p.store.save(Setting::CompactY, "300");
        }
        Program p(dir_->path(), Program::Run::Returning);
        p.power.snapshot.batteryStatus = 128;
        p.power.snapshot.acStatus = 1;
        QVERIFY(p.host->start());
        CompactWindow* c = p.host->compact().window();
        QVERIFY(c && c->isVisible());
        QVERIFY(!p.main().isVisible());
        QVERIFY(c->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(c->pos(), QPoint(300, 20));
        QCOMPARE(c->displayText(0), QString("N/A"));
        QCOMPARE(c->displayText(1), QString("N/A"));
        QCOMPARE(c->displayText(2), QString("AC"));
        QVERIFY(!p.main().menuAction(MenuItem::AlwaysOnTop)->isVisible());

        // A change while the main window is hidden is on it once it shows (as when the tray
        // goes away in Minimize mode), with no change after it.
        p.power.change(discharging(40, 3600));
        p.main().showWindow();
        const auto* status = p.main().findChild<QLabel*>("lblDisplay0");
        QVERIFY(status);
        QCOMPARE(status->text(), QString("40% Remaining"));
        p.main().hideWindow();
        p.power.change(charging(50));  // the charger is in again

        // The main window comes laid out and with the status on it.
        p.main().menuAction(MenuItem::Full)->trigger();
        QVERIFY(p.main().isVisible());
        QVERIFY(!c->isVisible());
        const auto* value = p.main().findChild<QLabel*>("lblDisplay2");
        QVERIFY(value);
        QCOMPARE(value->geometry().left(), qRound(1875 * p.main().layoutScale()));
        QVERIFY(p.main().width() >= qRound(3075 * p.main().layoutScale()) - 1);
        QCOMPARE(p.main().displayText(2), QString("AC Power"));
        QCOMPARE(status->text(), QString("50% Charging"));
    }

    // One Control Center, owned by the main window and not modal; the About box goes through
    // the same single-window slot, which the dialog tests check.
    void menuOpensOneControlCenter() {
        Program p(dir_->path(), Program::Run::Returning);
        QVERIFY(p.host->start());
        p.choose(MenuItem::ControlCenter);
        QPointer<ControlCenterWindow> cc = p.host->controlCenter();
        QVERIFY(cc && cc->isVisible());
        QVERIFY(!cc->isModal());
        QCOMPARE(cc->parentWidget(), &p.main());
        p.choose(MenuItem::ControlCenter);
        QCOMPARE(p.host->controlCenter(), cc.data());
        QCOMPARE(p.main().findChildren<ControlCenterWindow*>().size(), 1);
        p.choose(MenuItem::About);
        QVERIFY(p.host->about() && p.host->about()->isVisible());
    }

    void powerChangesDuringTheWizardWaitForStartUp() {
        Program p(dir_->path());
        p.store.EnsureKeys();
        p.store.save(Setting::LowBatt, "1");
        p.store.save(Setting::LowBattVal, "90");
        p.store.save(Setting::PowerSourceChange, "1");
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
        QCOMPARE(p.messages.shown.size(),
                 std::size_t(1));  // the welcome only; no alarm at start-up
        QCOMPARE(p.main().displayText(0), QString("51% Charging"));
        QCOMPARE(p.main().displayText(2), QString("AC Power"));
        QCOMPARE(p.get(Setting::Data), std::string());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_MAIN(AppHostTest)
#include "test_app_host.moc"
