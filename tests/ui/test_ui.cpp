// The window as the operator sees it: both pages drawn pixel for pixel as the committed
// pictures in golden/ (captions, colours, fonts, the map, the pointers), what each control says
// and a screen reader reads, what a hidden page does with clicks, the keyboard focus order, and
// the operator's own station map.
#include "Stations.h"

#include "ui/StationMap.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QScreen>
#include <QTabBar>

#include <cstdio>
#include <unistd.h>

using namespace roteka;
using namespace roteka::test;

namespace {

// The window after start-up on the fake port, shown.
struct Shown : FakeStation {
    Shown() { form.show(); }
    void showPage(int index) {
        QTabBar* tabs = form.SSTab1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    QWidget* control(const QString& name) const { return form.findChild<QWidget*>(name); }
};

QString accessible(QWidget* widget, QAccessible::Text kind) {
    return QAccessible::queryAccessibleInterface(widget)->text(kind);
}

// The name of the control that holds the focus (an inner widget counts as its control).
QString focusedControl() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (!w->objectName().isEmpty())
            return w->objectName();
    }
    return QString();
}

} // namespace

class UiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

    // The window as golden/ shows it in each state, its size fixed.
    void pages() {
        for (const QString state :
             {"started", "pointers", "disconnected", "settings", "switch", "typed"}) {
            Shown w;
            Form1& form = w.form;
            QCOMPARE(form.windowTitle(), "ROTEKA");
            QVERIFY(form.minimumSize() == QSize(216, 316) && form.maximumSize() == QSize(216, 316));
            if (state == "pointers") {
                form.Text5->setText(QStringLiteral("10"));
                w.platform.serial.feed("AZ=100\r\nAZ=200\r\n");
                form.Label5->setText(QStringLiteral("-359"));
            } else if (state == "disconnected") {
                form.Command6->click();
            } else if (state != "started") {
                w.showPage(1);
                if (state == "switch")
                    form.Command7->click();
                if (state == "typed") {
                    form.Text3->setText(QStringLiteral("V 方位"));
                    form.Command8->click();
                }
            }
            QVERIFY2(sameAsGolden(form.grab().toImage(), ROTEKA_GOLDEN "/" + state + ".png"),
                     qPrintable(state));
        }
    }

    // A click where a control of the hidden page lies reaches nothing; the keyboard focus goes
    // round each page.
    void pagesBehave() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        const QPoint turnLeft(29, 71), switch1(35, 295);
        for (int page : {1, 0}) {
            w.showPage(page);
            QTest::mouseClick(w.form.windowHandle(), Qt::LeftButton, {}, turnLeft);
            QTest::mouseClick(w.form.windowHandle(), Qt::LeftButton, {}, switch1);
        }
        QCOMPARE(w.platform.serial.written, QByteArray("L\r\nM220\r\n")); // the map lies there
        QCOMPARE(w.platform.messages.shown, QStringList{QStringLiteral("作成中です。")});
        w.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        for (const auto& [page, order] :
             {std::pair{
                  0,
                  "SSTab1 Picture1 Command1 Command2 Command3 Command4 Command5 Command6 SSTab1"},
              {1, "SSTab1 Command8 Text2 Text1 Command9 Text3 Command6 Text5 Combo1 Command7 "
                  "Command10 Command11 Command12 SSTab1"}}) {
            w.showPage(page);
            w.form.SSTab1->tabBar()->setFocus(Qt::TabFocusReason);
            QStringList seen{focusedControl()};
            while (seen.size() < QString(order).count(' ') + 1) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                seen << focusedControl();
            }
            QCOMPARE(seen.join(' '), order);
        }
    }

    // Replies quicker than the display's frames are shown together when the frame ends: what
    // is on the screen then is the window as it stands.
    void repaintsFollowTheReplies() {
        Shown w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        for (int azimuth = 100; azimuth <= 190; azimuth += 10)
            w.platform.serial.feed(QStringLiteral("AZ=%1\r\n").arg(azimuth).toLatin1());
        QTest::qWait(200);
        const QImage screen = w.form.screen()->grabWindow(w.form.winId()).toImage();
        QCOMPARE(screen.convertToFormat(QImage::Format_RGB32),
                 w.form.grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    // What each control says: its caption or text, tool tip, and what a screen reader reads
    // (name and description), as golden/controls.txt has it; the window icon's sizes.
    void controlTexts() {
        Shown w;
        QString texts;
        for (QWidget* control : w.form.findChildren<QWidget*>()) {
            if (control->objectName().isEmpty())
                continue;
            const QVariant caption =
                control->property(control->inherits("QGroupBox") ? "title" : "text");
            texts += QStringList{control->objectName(), caption.toString(), control->toolTip(),
                                 accessible(control, QAccessible::Name),
                                 accessible(control, QAccessible::Description)}
                         .join(" | ") +
                     '\n';
        }
        QFile golden(ROTEKA_GOLDEN "/controls.txt");
        if (qEnvironmentVariableIsSet("ROTEKA_UPDATE_GOLDEN") && golden.open(QIODevice::WriteOnly))
            golden.write(texts.toUtf8());
        golden.close();
        QVERIFY(golden.open(QIODevice::ReadOnly));
        QCOMPARE(texts, QString::fromUtf8(golden.readAll()));
        const QList<QSize> sizes = w.form.windowIcon().availableSizes();
        for (int size : {16, 22, 24, 32, 48, 64})
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    }

    // The operator's own map, as roteka-mapgen writes it where ROTEKA looks (in XDG_DATA_HOME),
    // is shown in place of the built-in one; a file that is there but is no 200 x 200 picture
    // leaves the built-in map and is named on stderr with the reason.
    void ownStationMap() {
        QCoreApplication::setApplicationName("roteka");
        TestDirectory dir;
        QProcess mapgen;
        mapgen.start(ROTEKA_MAPGEN, {"--locator", "IO91wm"});
        QVERIFY(mapgen.waitForFinished(10000) && mapgen.exitCode() == 0);
        const QString path = dir.path() + "/data/roteka/map.png";
        QCOMPARE(userMapPath(), path);
        QVERIFY(mapgen.readAllStandardOutput().contains(path.toUtf8()));
        const QImage own(path), builtIn(":/roteka/map.png");
        QImage small(100, 100, QImage::Format_RGB32), large(400, 400, QImage::Format_RGB32);
        small.fill(Qt::red);
        large.fill(Qt::red);
        // clang-format off
        for (const auto& [content, shown, complaint] : std::initializer_list<std::tuple<QByteArray, const QImage*, const char*>>{
                 {"", &own, ""}, {"png 100", &builtIn, "is not shown: it is 100 x 100 pixels, not 200 x 200"},
                 {"png 400", &builtIn, "is not shown: it is 400 x 400 pixels"}, {"3,9600,N,8,1:0\r\n", &builtIn, "is not shown: "},
                 {"\x89PNG\r\n\x1a\n broken", &builtIn, "is not shown: "}, {"none", &builtIn, ""}}) {
            // clang-format on
            if (content == "none")
                QFile::remove(path);
            else if (content.startsWith("png "))
                (content == "png 100" ? small : large).save(path);
            else if (!content.isEmpty())
                dir.writeFile("data/roteka/map.png", content);
            QTemporaryFile err; // stderr while the window starts
            QVERIFY(err.open());
            const int saved = ::dup(2);
            ::dup2(err.handle(), 2);
            FakePlatform platform;
            Form1 form(platform.services());
            ::dup2(saved, 2);
            ::close(saved);
            QFile written(err.fileName());
            const QByteArray said =
                written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
            const QByteArray line =
                "roteka: " + path.toUtf8() + ' ' + complaint; // (a broken PNG: libpng says so too)
            QVERIFY2(*complaint ? said.count(line) == 1 && said.count("roteka: ") == 1
                                : said.isEmpty(),
                     said.constData());
            const QRect visible(0, 0, 199, 200);
            QCOMPARE(form.Picture1->persistentImage().copy(visible),
                     shown->convertToFormat(QImage::Format_RGB32).copy(visible));
        }
        QVERIFY(own != builtIn);
    }
};

QTEST_MAIN(UiTest)
#include "test_ui.moc"
