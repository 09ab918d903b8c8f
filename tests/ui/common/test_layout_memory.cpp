#include "ui/common/layout_memory.h"

#include "ui/program.h"

namespace orvane::test {

// A start shows the main window at the size the last start's layout came to and makes its
// controls after the tray icon. Whatever was kept, the window ends as a fresh layout has it.
class LayoutMemoryTest : public QObject {
    Q_OBJECT
private slots:
    void keptSizeCountsOnlyForItsKey();
    void windowEndsAsAFreshLayout();
};

void LayoutMemoryTest::keptSizeCountsOnlyForItsKey() {
    QTemporaryDir dir;
    const QString file = dir.path() + "/cache/main-window-size";
    QVERIFY(!LayoutMemory(file).recall("key"));
    LayoutMemory(file).remember("key", {278, 123});
    LayoutMemory kept(file);
    QCOMPARE(kept.recall("key"), std::optional(QSize(278, 123)));
    QVERIFY(!kept.recall("other key"));

    for (const char* damaged : {"", "key\n", "key\n278\n", "key\n0 123\n", "key\n-278 123\n",
                                "key\n278 abc\n", "key\n99999 123\n", "key\n278 123 4\n"}) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged);
        f.close();
        QVERIFY2(!LayoutMemory(file).recall("key"), damaged);
    }

    // A cache that cannot be written is no size, and no fault.
    QFile blocker(dir.path() + "/blocker");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LayoutMemory(dir.path() + "/blocker/main-window-size").remember("key", {278, 123});
    QVERIFY(!LayoutMemory(dir.path() + "/blocker/main-window-size").recall("key"));
}

namespace {

// Counts the main window's resizes while it is shown.
struct ResizesWhileShown : QObject {
    int count = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && static_cast<QWidget*>(watched)->isVisible()) ++count;
        return false;
    }
};

}  // namespace

void LayoutMemoryTest::windowEndsAsAFreshLayout() {
    Program fresh;
    QVERIFY(fresh.main().isVisible());
    const QSize size = fresh.main().size();
    const QRect value = fresh.main().findChild<QLabel*>("lblDisplay2")->geometry();

    struct Row {
        const char* kept;
        QSize size;    // none: no file
        bool resized;  // after it was shown
    };
    for (const Row& row : {Row{"none", {}, false}, Row{"the size it comes to", size, false},
                           Row{"another font's", {10, 10}, true}}) {
        Program p(Program::Returning);
        const QString file = p.dir + "/cache/main-window-size";
        if (row.size.isValid()) LayoutMemory(file).remember(p.main().layoutKey(), row.size);
        p.host->rememberLayoutIn(file);
        ResizesWhileShown resizes;
        p.main().installEventFilter(&resizes);
        QVERIFY(p.host->start());

        QVERIFY2(p.main().isVisible(), row.kept);
        QCOMPARE(p.main().size(), size);
        QCOMPARE(p.main().findChild<QLabel*>("lblDisplay2")->geometry(), value);
        QVERIFY2(p.main().findChild<QLabel*>("lblDisplay2")->isVisible(), row.kept);
        QCOMPARE(p.main().findChild<QLabel*>("lblDisplay0")->text(), QString("85% Remaining"));
        QCOMPARE(resizes.count > 0, row.resized);
        // What the next start finds.
        QCOMPARE(LayoutMemory(file).recall(p.main().layoutKey()), std::optional(size));
    }
}

}  // namespace orvane::test

QTEST_MAIN(orvane::test::LayoutMemoryTest)
#include "test_layout_memory.moc"
