// The main window as the operator sees it: rendered colours at the places where the controls
// lie, the pages, the map, keyboard focus order, texts that fit, and what a screen reader reads.
#include "FakePlatform.h"
#include "FakeStation.h"
#include "PtyPeer.h"

#include "ui/CaptionLabel.h"
#include "ui/PictureBox.h"
#include "ui/TabControl.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

#include <initializer_list>
#include <memory>
#include <tuple>

using namespace roteka;
using namespace roteka::test;

namespace {

// A window after start-up with a valid settings file and port 3 opening, shown offscreen.
struct StartedWindow : FakeStation {
    StartedWindow() { form.show(); }
    QImage render() { return form.grab().toImage(); }
    void showPage(int index) {
        QTabBar* tabs = form.SSTab1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    QWidget* control(const QString& name) const {
        auto* widget = form.findChild<QWidget*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    // The control with its page shown, as the operator sees it.
    QWidget* shownControl(const QString& name);
};

QString accessibleText(QWidget* widget, QAccessible::Text kind) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(kind) : QStringLiteral("<no accessible interface>");
}

// The name of the control that holds the focus (an inner widget counts as its control).
QString focusedControl() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (!w->objectName().isEmpty())
            return w->objectName();
    }
    return QString();
}

const QStringList OperatingControls{QStringLiteral("Command1"), QStringLiteral("Command2"),
                                    QStringLiteral("Command3"), QStringLiteral("Label4"),
                                    QStringLiteral("Command5"), QStringLiteral("Command4"),
                                    QStringLiteral("Picture1")};
const QStringList SettingsControls{
    QStringLiteral("Frame1"),   QStringLiteral("Label2_4"),  QStringLiteral("Combo1"),
    QStringLiteral("Label2_0"), QStringLiteral("Text1"),     QStringLiteral("Label2_1"),
    QStringLiteral("Text2"),    QStringLiteral("Label2_3"),  QStringLiteral("Text5"),
    QStringLiteral("Command8"), QStringLiteral("Label2_2"),  QStringLiteral("Frame2"),
    QStringLiteral("Text3"),    QStringLiteral("Command9"),  QStringLiteral("Label3_0"),
    QStringLiteral("Command7"), QStringLiteral("Command10"), QStringLiteral("Command11"),
    QStringLiteral("Command12")};
const QStringList WindowControls{QStringLiteral("Label1"), QStringLiteral("Label2_5"),
                                 QStringLiteral("Label5"), QStringLiteral("Command6"),
                                 QStringLiteral("SSTab1")};
const QStringList ControlsWithTooltip{
    QStringLiteral("Label1"),    QStringLiteral("Command6"),  QStringLiteral("Command1"),
    QStringLiteral("Command2"),  QStringLiteral("Command3"),  QStringLiteral("Label4"),
    QStringLiteral("Command5"),  QStringLiteral("Command4"),  QStringLiteral("Picture1"),
    QStringLiteral("Combo1"),    QStringLiteral("Text1"),     QStringLiteral("Text2"),
    QStringLiteral("Text5"),     QStringLiteral("Command8"),  QStringLiteral("Text3"),
    QStringLiteral("Command9"),  QStringLiteral("Label3_0"),  QStringLiteral("Command7"),
    QStringLiteral("Command10"), QStringLiteral("Command11"), QStringLiteral("Command12")};

// Text drawn in a font on white, wide enough for the longest caption on one line.
QImage textImage(const QString& text, const QFont& font) {
    QImage image(1000, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignLeft | Qt::AlignVCenter, text);
    return image;
}

// The caption a label or button shows.
QString captionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    return qobject_cast<QPushButton*>(widget)->text();
}

// Captions the window shows later than start-up, with the control that shows them.
const std::initializer_list<std::tuple<const char*, const char*, QString>> LiveCaptions{
    {"marker after the first reading", "Label2_5", QStringLiteral("設定角度 ＝")},
    {"disconnect caption", "Command6", QStringLiteral("切断")},
    {"status after disconnecting", "Label1", QStringLiteral("Port を切断しました。False")},
    {"status after registering", "Label1", QStringLiteral("Port = True ﾎﾟｰﾄ=True")},
    {"closed port", "Label1", QStringLiteral("port = False")},
    {"widest target", "Label5", QStringLiteral("-359")},
};

QFont shapedFont(QFont font) {
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

QWidget* StartedWindow::shownControl(const QString& name) {
    QWidget* widget = control(name);
    for (int page = 0; page < TabControl::PageCount; ++page) {
        if (form.SSTab1->page(page)->isAncestorOf(widget))
            showPage(page);
    }
    return widget;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void windowFrame();
    void renderedColours_data();
    void renderedColours();
    void pageAreaHasTheSystemColours();
    void azimuthTextIsBlueAndWhole();
    void startupTexts();
    void map();
    void pagesShowOnlyTheirControls();
    void hiddenPageTakesNoClicks();
    void screenOnlyDrawingGoesWithThePage();
    void switchStateColourShows();
    void focusOrder_data();
    void focusOrder();
    void fonts_data();
    void fonts();
    void textsFit_data();
    void textsFit();
    void typedTextIsShaped_data();
    void typedTextIsShaped();
    void accessibleNames_data();
    void accessibleNames();
    void liveTextsAreReadAsShown();
    void tooltipsAreDescriptions();
    void windowIcon();
};

void WindowTest::initTestCase() {
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void WindowTest::windowFrame() {
    StartedWindow w;
    QCOMPARE(w.form.windowTitle(), QStringLiteral("ROTEKA"));
    QCOMPARE(w.form.size(), QSize(216, 316));
    QCOMPARE(w.form.minimumSize(), w.form.maximumSize());
    QCOMPARE(w.render().size(), QSize(216, 316));
}

void WindowTest::renderedColours_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");

    const QColor windowBlue(0x00, 0x00, 0xC0);
    QTest::newRow("window between the top labels") << 0 << QPoint(160, 20) << windowBlue;
    QTest::newRow("window left of the tabs") << 0 << QPoint(0, 200) << windowBlue;
    QTest::newRow("window right of the tabs") << 0 << QPoint(215, 200) << windowBlue;
    QTest::newRow("window, settings page shown") << 1 << QPoint(160, 20) << windowBlue;
    QTest::newRow("status line") << 0 << QPoint(170, 4) << windowBlue;
    QTest::newRow("azimuth box top left") << 0 << QPoint(146, 60) << QColor(0xFF, 0xC0, 0xFF);
    QTest::newRow("azimuth box bottom right") << 0 << QPoint(204, 84) << QColor(0xFF, 0xC0, 0xFF);
    QTest::newRow("turn left") << 0 << QPoint(12, 60) << QColor(0xC0, 0xFF, 0xC0);
    QTest::newRow("stop") << 0 << QPoint(56, 82) << QColor(0xC0, 0xFF, 0xC0);
    QTest::newRow("turn right") << 0 << QPoint(135, 60) << QColor(0xC0, 0xFF, 0xC0);
    QTest::newRow("step left") << 0 << QPoint(33, 93) << QColor(0xE0, 0xE0, 0xE0);
    QTest::newRow("step right") << 0 << QPoint(107, 100) << QColor(0xE0, 0xE0, 0xE0);
    QTest::newRow("connect") << 0 << QPoint(183, 10) << QColor(0xFF, 0xFF, 0xC0);
    QTest::newRow("port list") << 1 << QPoint(170, 79) << QColor(0xC0, 0xFF, 0xFF);
    QTest::newRow("port number") << 1 << QPoint(139, 99) << QColor(0xC0, 0xFF, 0xC0);
    QTest::newRow("line settings") << 1 << QPoint(199, 121) << QColor(0xC0, 0xFF, 0xC0);
    QTest::newRow("offset") << 1 << QPoint(145, 143) << QColor(0xC0, 0xFF, 0xC0);
    QTest::newRow("register") << 1 << QPoint(116, 170) << QColor(0x80, 0xFF, 0x80);
    QTest::newRow("free command") << 1 << QPoint(61, 227) << QColor(0xFF, 0xFF, 0xC0);
    QTest::newRow("send free command") << 1 << QPoint(123, 217) << QColor(0xFF, 0xFF, 0xC0);
}

void WindowTest::renderedColours() {
    QFETCH(int, page);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    StartedWindow w;
    w.showPage(page);
    QCOMPARE(w.form.SSTab1->currentIndex(), page);
    QCOMPARE(w.render().pixelColor(at), colour);
}

void WindowTest::pageAreaHasTheSystemColours() {
    StartedWindow w;
    const QColor page = w.render().pixelColor(152, 96);
    QVERIFY2(page.red() == page.green() && page.green() == page.blue() && page.red() > 0xC0,
             qPrintable(page.name()));
    for (const QString& name : OperatingControls + SettingsControls) {
        QVERIFY2(w.control(name)->palette().color(QPalette::Window) != QColor(0x00, 0x00, 0xC0),
                 qPrintable(name));
    }
}

void WindowTest::azimuthTextIsBlueAndWhole() {
    StartedWindow w;
    const QImage shot = w.render();
    const QRect box(144, 58, 63, 29);
    const QColor pink(0xFF, 0xC0, 0xFF);
    int blue = 0;
    QRect ink;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c == QColor(0x00, 0x00, 0xFF))
                ++blue;
            if (c != pink)
                ink |= QRect(x, y, 1, 1);
        }
    }
    QVERIFY2(blue > 60, qPrintable(QString::number(blue)));
    QVERIFY2(box.adjusted(2, 2, -2, -2).contains(ink), "the azimuth is clipped");
    QVERIFY(qAbs((ink.left() - box.left()) - (box.right() - ink.right())) <= 2);
}

void WindowTest::startupTexts() {
    StartedWindow w;
    QVERIFY(w.platform.serial.portOpen());
    QCOMPARE(w.form.Label5->text(), QString());
    QCOMPARE(w.form.Label4->text(), QStringLiteral("000"));
    const QImage shot = w.render();
    for (int y = 16; y < 29; ++y) {
        for (int x = 80; x < 153; ++x)
            QCOMPARE(shot.pixelColor(x, y), QColor(0x00, 0x00, 0xC0));
    }
}

void WindowTest::map() {
    const QImage map(QStringLiteral(ROTEKA_PICTURE_SOURCES "/map.png"));
    QCOMPARE(map.size(), QSize(200, 200));
    StartedWindow w;
    const QPoint inner = w.form.Picture1->mapTo(&w.form, w.form.Picture1->contentsRect().topLeft());
    QCOMPARE(inner, QPoint(8, 108));
    const QImage shot = w.render();
    const QSize visible = w.form.Picture1->contentsRect().size().boundedTo(map.size());
    int differing = 0;
    for (int y = 0; y < visible.height(); ++y) {
        for (int x = 0; x < visible.width(); ++x)
            differing += shot.pixel(inner + QPoint(x, y)) != map.pixel(x, y);
    }
    QCOMPARE(differing, 0);
    QCOMPARE(shot.pixelColor(inner + QPoint(3, 3)), QColor(Qt::white));
    QCOMPARE(shot.pixelColor(inner + QPoint(196, 3)), QColor(Qt::white));
    bool northLine = false;
    for (int y = 30; y < 90 && !northLine; ++y) {
        for (int x = 98; x <= 102; ++x)
            northLine = northLine || shot.pixelColor(inner + QPoint(x, y)) != QColor(Qt::white);
    }
    QVERIFY2(northLine, "nothing drawn north of the station");
}

void WindowTest::pagesShowOnlyTheirControls() {
    StartedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QCOMPARE(w.form.SSTab1->currentIndex(), 0);
    for (int page : {0, 1, 0}) {
        w.showPage(page);
        QCOMPARE(w.form.SSTab1->currentIndex(), page);
        for (const QString& name : OperatingControls)
            QVERIFY2(w.control(name)->isVisible() == (page == 0), qPrintable(name));
        for (const QString& name : SettingsControls)
            QVERIFY2(w.control(name)->isVisible() == (page == 1), qPrintable(name));
        for (const QString& name : WindowControls)
            QVERIFY2(w.control(name)->isVisible(), qPrintable(name));
    }
}

void WindowTest::hiddenPageTakesNoClicks() {
    StartedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QWindow* window = w.form.windowHandle();
    const QPoint turnLeft(29, 71);
    const QPoint switch1(35, 295);

    w.showPage(1);
    QTest::mouseClick(window, Qt::LeftButton, {}, turnLeft);
    QCOMPARE(w.platform.serial.written, QByteArray());
    QTest::mouseClick(window, Qt::LeftButton, {}, switch1);
    QCOMPARE(w.platform.messages.shown, QStringList{QStringLiteral("作成中です。")});

    w.platform.messages.shown.clear();
    w.showPage(0);
    QTest::mouseClick(window, Qt::LeftButton, {}, turnLeft);
    QCOMPARE(w.platform.serial.written, QByteArray("L\r\n"));
    QTest::mouseClick(window, Qt::LeftButton, {}, switch1);
    QCOMPARE(w.platform.messages.shown, QStringList());
}

void WindowTest::screenOnlyDrawingGoesWithThePage() {
    StartedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    PictureBox* box = w.form.Picture1;
    const QColor before = box->persistentImage().pixelColor(100, 50);
    box->setForeColor(QColor(0xFF, 0x00, 0x00));
    box->setAutoRedraw(true);
    box->line({1500, 1500}, {2700, 1500});
    box->setAutoRedraw(false);
    box->line({1500, 1500}, {1500, 300});
    QCOMPARE(box->screenImage().pixelColor(100, 50), QColor(0xFF, 0x00, 0x00));

    w.showPage(1);
    w.showPage(0);
    QCOMPARE(box->screenImage().pixelColor(100, 50), before);
    QCOMPARE(box->screenImage().pixelColor(150, 100), QColor(0xFF, 0x00, 0x00));
    QCOMPARE(w.render().pixelColor(8 + 150, 108 + 100), QColor(0xFF, 0x00, 0x00));
}

void WindowTest::switchStateColourShows() {
    StartedWindow w;
    w.showPage(1);
    const QColor face = QApplication::palette(w.form.Command7).color(QPalette::Button);
    QCOMPARE(w.form.Command7->palette().color(QPalette::Button), face);
    const QPoint switch1(16, 290);
    QCOMPARE(w.render().pixelColor(switch1), face);
    w.form.Command7->click();
    QCOMPARE(w.render().pixelColor(switch1), QColor(0xFF, 0xC0, 0xFF));
    w.form.Command7->click();
    QCOMPARE(w.render().pixelColor(switch1), face);
}

void WindowTest::focusOrder_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("operating page")
        << 0 << QStringList{"SSTab1",   "Picture1", "Command1", "Command2", "Command3",
                            "Command4", "Command5", "Command6", "SSTab1"};
    QTest::newRow("settings page")
        << 1 << QStringList{"SSTab1",    "Command8",  "Text2",     "Text1",  "Command9",
                            "Text3",     "Command6",  "Text5",     "Combo1", "Command7",
                            "Command10", "Command11", "Command12", "SSTab1"};
}

void WindowTest::focusOrder() {
    QFETCH(int, page);
    QFETCH(QStringList, order);
    StartedWindow w;
    w.showPage(page);
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    w.form.SSTab1->tabBar()->setFocus(Qt::TabFocusReason);
    QStringList seen{focusedControl()};
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << focusedControl();
    }
    QCOMPARE(seen, order);
}

void WindowTest::fonts_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("fixedPitch");

    QTest::newRow("window") << "" << 11 << false << false;
    QTest::newRow("status line") << "Label1" << 13 << false << false;
    QTest::newRow("marker") << "Label2_5" << 11 << false << false;
    QTest::newRow("target") << "Label5" << 13 << false << false;
    QTest::newRow("left") << "Command1" << 15 << true << false;
    QTest::newRow("stop") << "Command2" << 11 << false << false;
    QTest::newRow("right") << "Command3" << 16 << true << false;
    QTest::newRow("azimuth") << "Label4" << 24 << true << true;
    QTest::newRow("port list") << "Combo1" << 11 << false << false;
    QTest::newRow("port number") << "Text1" << 13 << true << false;
    QTest::newRow("line settings") << "Text2" << 13 << false << false;
    QTest::newRow("offset") << "Text5" << 11 << false << false;
    QTest::newRow("register") << "Command8" << 13 << false << false;
    QTest::newRow("command line") << "Text3" << 13 << true << true;
    QTest::newRow("command help") << "Label3_0" << 11 << false << false;
}

// Each control's font as laid out, unhinted, and drawn in its own family: the family is an
// installed one, so no fallback search picks another.
void WindowTest::fonts() {
    QFETCH(QString, control);
    QFETCH(int, pixelSize);
    QFETCH(bool, bold);
    QFETCH(bool, fixedPitch);
    StartedWindow w;
    const QFont font = control.isEmpty() ? w.form.font() : w.shownControl(control)->font();
    QCOMPARE(font.pixelSize(), pixelSize);
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.styleHint(), fixedPitch ? QFont::Monospace : QFont::SansSerif);
    QCOMPARE(font.hintingPreference(), QFont::PreferNoHinting);
    QVERIFY(QFontDatabase::hasFamily(font.family()));
    QCOMPARE(QFontInfo(font).family(), font.family());
}

void WindowTest::textsFit_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("frame");

    for (const char* name :
         {"Label2_0", "Label2_1", "Label2_2", "Label2_3", "Label2_4", "Label2_5", "Label4",
          "Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "Command7",
          "Command8", "Command9", "Command10", "Command11", "Command12"}) {
        const bool button = QByteArray(name).startsWith("Command");
        QTest::newRow(name) << name << QString() << (button ? 2 : 0);
    }
    QTest::newRow("widest azimuth") << "Label4"
                                    << "888" << 2;
    for (const auto& [row, name, text] : LiveCaptions) {
        const bool button = QByteArray(name).startsWith("Command");
        QTest::newRow(row) << name << text << (button ? 2 : 0);
    }
}

void WindowTest::textsFit() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(int, frame);
    StartedWindow w;
    QWidget* widget = w.shownControl(control);
    if (text.isEmpty())
        text = captionOf(widget);
    const int needed = widget->fontMetrics().horizontalAdvance(text) + 2 * frame;
    // The connect button lies over the right end of the status line.
    const int room = widget == w.form.Label1 ? w.form.Command6->x() - widget->x()
                                             : widget->contentsRect().width();
    QVERIFY2(needed <= room,
             qPrintable(QStringLiteral("%1 needs %2 px, has %3").arg(text).arg(needed).arg(room)));
}

void WindowTest::typedTextIsShaped_data() {
    QTest::addColumn<QString>("control");
    for (const char* name : {"Combo1", "Text1", "Text2", "Text3", "Text5"})
        QTest::newRow(name) << name;
}

// What the operator types is shaped: a combining mark sits on its letter, where unshaped it
// would stand apart.
void WindowTest::typedTextIsShaped() {
    QFETCH(QString, control);
    StartedWindow w;
    const QFont font = w.shownControl(control)->font();
    const QString typed = QStringLiteral("か\u3099 e\u0301");
    QCOMPARE(textImage(typed, font), textImage(typed, shapedFont(font)));
}

void WindowTest::accessibleNames_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::newRow("turn left") << "Command1"
                               << "左回転 (CCW)";
    QTest::newRow("stop") << "Command2"
                          << "停止";
    QTest::newRow("turn right") << "Command3"
                                << "右回転 (CW)";
    QTest::newRow("step right") << "Command4"
                                << "15度右";
    QTest::newRow("step left") << "Command5"
                               << "15度左";
    QTest::newRow("port number") << "Text1"
                                 << "Port No";
    QTest::newRow("line settings") << "Text2"
                                   << "ボーレイト等";
    QTest::newRow("offset") << "Text5"
                            << "ｵﾌｾｯﾄ";
    QTest::newRow("port list") << "Combo1"
                               << "有効Port";
    QTest::newRow("free command") << "Text3"
                                  << "ｺﾏﾝﾄﾞ入力（半角大文字）";
    QTest::newRow("register, from its caption") << "Command8"
                                                << "環境登録";
    QTest::newRow("switch, from its caption") << "Command7"
                                              << "SW1";
}

void WindowTest::accessibleNames() {
    QFETCH(QString, control);
    QFETCH(QString, name);
    StartedWindow w;
    QWidget* widget = w.control(control);
    // A combo box reads its current text as its name on this platform; its label is a relation.
    if (qobject_cast<QComboBox*>(widget))
        QCOMPARE(widget->accessibleName(), name);
    else
        QCOMPARE(accessibleText(widget, QAccessible::Name), name);
    QCOMPARE(accessibleText(widget, QAccessible::Description), widget->toolTip());
}

void WindowTest::liveTextsAreReadAsShown() {
    StartedWindow w;
    for (QWidget* live :
         {static_cast<QWidget*>(w.form.Label1), static_cast<QWidget*>(w.form.Label4),
          static_cast<QWidget*>(w.form.Label5)})
        QCOMPARE(live->accessibleName(), QString());

    QCOMPARE(accessibleText(w.form.Label1, QAccessible::Name), QStringLiteral("Port = True"));
    QCOMPARE(accessibleText(w.form.Label4, QAccessible::Name), QStringLiteral("000"));
    w.form.Label4->setCaption(QStringLiteral("123"));
    QCOMPARE(accessibleText(w.form.Label4, QAccessible::Name), QStringLiteral("123"));
    w.form.Command2->click();
    QCOMPARE(accessibleText(w.form.Label5, QAccessible::Name), w.form.Label5->text());
    QVERIFY(!w.form.Label5->text().isEmpty());

    QCOMPARE(accessibleText(w.form.Command6, QAccessible::Name), QStringLiteral("切断"));
    w.form.Command6->click();
    QCOMPARE(accessibleText(w.form.Command6, QAccessible::Name), QStringLiteral("接続"));
}

void WindowTest::tooltipsAreDescriptions() {
    StartedWindow w;
    for (const QString& name : ControlsWithTooltip) {
        QWidget* control = w.control(name);
        QVERIFY2(!control->toolTip().isEmpty(), qPrintable(name));
        QCOMPARE(control->accessibleDescription(), control->toolTip());
    }
    for (const QString& name : OperatingControls + SettingsControls + WindowControls) {
        if (!ControlsWithTooltip.contains(name))
            QVERIFY2(w.control(name)->toolTip().isEmpty(), qPrintable(name));
    }
}

void WindowTest::windowIcon() {
    StartedWindow w;
    const QList<QSize> sizes = w.form.windowIcon().availableSizes();
    for (int size : {16, 22, 24, 32, 48, 64})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    QCOMPARE(w.form.windowIcon().pixmap(32).size(), QSize(32, 32));
}

QTEST_MAIN(WindowTest)
#include "test_ui_window.moc"
