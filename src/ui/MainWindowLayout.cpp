#include "ui/MainWindow.h"

#include "control/RotatorControl.h"
#include "ui/FramePacer.h"
#include "ui/PictureBox.h"
#include "ui/StationMap.h"
#include "ui/TabControl.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <utility>
#include <vector>

namespace roteka {

namespace {

constexpr int TwipsPerPixel = 15;

QRect twips(int left, int top, int width, int height) {
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel,
            height / TwipsPerPixel};
}

// Font sizes in pixels at 96 dots per inch.
constexpr int Pt8_25 = 11;
constexpr int Pt9_75 = 13;
constexpr int Pt11_25 = 15;
constexpr int Pt12 = 16;
constexpr int Pt18 = 24;

enum class Pitch { Proportional, Fixed };

// Responsibilities: the window's two Japanese typefaces, each the first installed name of a
// list in order of preference: the design's own faces, then the IPA faces Debian ships, then
// Noto. A font whose family is missing sends Qt to the system's fallbacks, a full fontconfig
// search for every script it meets; naming an installed face avoids that. A font is given that
// one family only: given more, Qt sorts the system's fallbacks for every script the window
// writes in at once (about 0.25 ms each), where with one it does so only when the face lacks a
// character.
// Glyphs are drawn unhinted: hinting the window's seven sizes took 1.3 MiB and about 3 ms at
// start-up, and moves the glyphs by a fraction of a pixel.
class Typefaces {
public:
    QFont font(Pitch pitch, int pixelSize, bool bold = false) const {
        QFont font;
        font.setFamily(pitch == Pitch::Fixed ? fixed_ : proportional_);
        font.setStyleHint(pitch == Pitch::Fixed ? QFont::Monospace : QFont::SansSerif);
        font.setPixelSize(pixelSize);
        font.setBold(bold);
        font.setHintingPreference(QFont::PreferNoHinting);
        return font;
    }

private:
    // The first name found among the installed families. QFontDatabase::hasFamily would ask
    // fontconfig to resolve each missing name as an alias first, about 0.2 ms a name; it is
    // asked only when no name is installed under its own name (a face known by another name).
    static QString firstInstalled(const QStringList& families) {
        const QStringList installed = QFontDatabase::families();
        const auto found =
            std::find_if(families.cbegin(), families.cend(), [&installed](const QString& family) {
                return installed.contains(family, Qt::CaseInsensitive);
            });
        if (found != families.cend())
            return *found;
        const auto known =
            std::find_if(families.cbegin(), std::prev(families.cend()),
                         [](const QString& family) { return QFontDatabase::hasFamily(family); });
        return *known;
    }

    QString proportional_ =
        firstInstalled({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                        QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    QString fixed_ = firstInstalled({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                                     QStringLiteral("Noto Sans Mono CJK JP")});
};

QColor rgb(QRgb value) {
    return QColor::fromRgb(value);
}

// Background: the label's Window (filled), the button's Button, the text box's Base.
void setBackground(QWidget* widget, QColor color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    palette.setColor(QPalette::Base, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColor(QWidget* widget, QColor color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

void setTip(QWidget* widget, const QString& tip) {
    widget->setToolTip(tip);
    widget->setAccessibleDescription(tip);
}

template <class Widget>
Widget* make(QWidget* parent, const QRect& geometry, const QString& text = QString()) {
    auto* widget = new Widget(text, parent);
    widget->setGeometry(geometry);
    return widget;
}

template <class Widget>
Widget* makeOnPage(QWidget* page, const QRect& inTabControl, const QString& text = QString()) {
    auto* widget = new Widget(text, page);
    TabControl::place(widget, inTabControl);
    return widget;
}

QLabel* labelFor(QLabel* label, QWidget* buddy) {
    label->setBuddy(buddy);
    buddy->setAccessibleName(label->text());
    return label;
}

// The window's own icon, in the sizes window lists and title bars use; launchers take the
// larger ones from the installed icon theme.
QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/roteka/icons/roteka-%1.png").arg(size), QSize(size, size));
    return icon;
}

// Responsibilities: draws push buttons with a flat face in the button's own colour inside the
// application style's frame, so that the colours the window gives its buttons (and the switch
// buttons' state colour) show as they are rather than as the style's pale gradient.
class ButtonFaceStyle : public QProxyStyle {
public:
    ButtonFaceStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (element != PE_PanelButtonCommand)
            return;
        QColor face = option->palette.color(QPalette::Button);
        if (option->state & (State_Sunken | State_On))
            face = face.darker(112);
        painter->fillRect(option->rect.adjusted(2, 2, -2, -2), face);
    }
};

// Responsibilities: finishes the controls of a page when the page is first shown, for a page
// the operator may never open. A text box or drop-down lays its text out again as soon as it
// is given a font, which loads the font's face at that size; a drop-down made editable builds
// its completion over the list at once. For the settings page's controls these took about
// 1.5 ms of the window's start-up.
class WhenShown : public QObject {
public:
    explicit WhenShown(QWidget* page) : QObject(page) { page->installEventFilter(this); }

    void add(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void setFont(QWidget* control, const QFont& font) {
        add([control, font] { control->setFont(font); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            for (const auto& step : steps_)
                step();
            deleteLater();
        }
        return false;
    }

private:
    std::vector<std::function<void()>> steps_;
};

const QString SwitchTip = QStringLiteral(
    "ドグルスイッチ：詳細はＫＭＸ－４２のコマンドリファレンスをご覧になってください。");

} // namespace

void MainWindow::createControls() {
    const Typefaces faces;
    setWindowTitle(QStringLiteral("ROTEKA"));
    setWindowIcon(applicationIcon());
    (new FramePacer(this))->pace(this);
    setFixedSize(3240 / TwipsPerPixel, 4740 / TwipsPerPixel);
    // The program's own font is the window's: message boxes and tool tips show Japanese text in
    // it, and a new text box's first layout, made in the application's font before its own is
    // set, finds its face already loaded instead of loading a second one.
    QApplication::setFont(faces.font(Pitch::Proportional, Pt8_25));
    setFont(QApplication::font());
    {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, rgb(0x0000C0));
        setPalette(palette);
        setAutoFillBackground(true);
    }

    statusLabel = make<QLabel>(this, twips(120, 30, 2985, 195), QString());
    setBackground(statusLabel, rgb(0x0000C0));
    setTextColor(statusLabel, rgb(0xFFFF80));
    statusLabel->setFont(faces.font(Pitch::Proportional, Pt9_75));
    setTip(statusLabel, QStringLiteral("ポートの接続状態等のメッセージを表示します。"));

    commandedAngleCaption =
        make<QLabel>(this, twips(90, 270, 975, 165), QStringLiteral("初期化中"));
    setBackground(commandedAngleCaption, rgb(0x0000C0));
    setTextColor(commandedAngleCaption, rgb(0xFFFFFF));
    commandedAngleCaption->setFont(faces.font(Pitch::Proportional, Pt8_25));

    commandedAngleLabel = make<QLabel>(this, twips(1200, 240, 1095, 195));
    setBackground(commandedAngleLabel, rgb(0x0000C0));
    setTextColor(commandedAngleLabel, rgb(0xFFFF80));
    commandedAngleLabel->setFont(faces.font(Pitch::Proportional, Pt9_75));

    connectButton = make<QPushButton>(this, twips(2700, 90, 525, 345), QStringLiteral("接続"));
    setBackground(connectButton, rgb(0xFFFFC0));
    setTip(connectButton, QStringLiteral("接続・切断を行います。（ドグルスイッチ）"));

    pages = new TabControl(this);
    pages->setGeometry(twips(30, 480, 3195, 4245));
    pages->setTabCaption(0, QStringLiteral("ＫＭX"));
    pages->setTabCaption(1, QStringLiteral("環境設定"));

    QWidget* operating = pages->page(0);
    turnLeftButton =
        makeOnPage<QPushButton>(operating, twips(90, 360, 645, 465), QStringLiteral("←"));
    setBackground(turnLeftButton, rgb(0xC0FFC0));
    turnLeftButton->setFont(faces.font(Pitch::Proportional, Pt11_25, true));
    turnLeftButton->setAccessibleName(QStringLiteral("左回転 (CCW)"));
    setTip(turnLeftButton, QStringLiteral("ローテーターを左（CCW）へ回転させます。"));

    stopButton = makeOnPage<QPushButton>(operating, twips(750, 360, 645, 465), QStringLiteral("■"));
    setBackground(stopButton, rgb(0xC0FFC0));
    stopButton->setAccessibleName(QStringLiteral("停止"));
    setTip(stopButton, QStringLiteral("ローテータの回転をストップさせます。"));

    turnRightButton =
        makeOnPage<QPushButton>(operating, twips(1410, 360, 645, 465), QStringLiteral("→"));
    setBackground(turnRightButton, rgb(0xC0FFC0));
    turnRightButton->setFont(faces.font(Pitch::Proportional, Pt12, true));
    turnRightButton->setAccessibleName(QStringLiteral("右回転 (CW)"));
    setTip(turnRightButton,
           QStringLiteral("ローテーターを右（CW）へ回転させます。(角度方位は変動しません)"));

    azimuthLabel = makeOnPage<QLabel>(operating, twips(2130, 390, 945, 435), QStringLiteral("000"));
    setBackground(azimuthLabel, rgb(0xFFC0FF));
    setTextColor(azimuthLabel, rgb(0x0000FF));
    azimuthLabel->setFont(faces.font(Pitch::Fixed, Pt18, true));
    azimuthLabel->setAlignment(Qt::AlignCenter);
    setTip(azimuthLabel, QStringLiteral("コントローラーから送られてきた角度を表示します。"));

    stepLeftButton =
        makeOnPage<QPushButton>(operating, twips(420, 870, 615, 210), QStringLiteral("-15"));
    setBackground(stepLeftButton, rgb(0xE0E0E0));
    stepLeftButton->setAccessibleName(QStringLiteral("15度左"));
    setTip(stepLeftButton,
           QStringLiteral("最終コマンドの角度から１５度左（ＣＣＷ）へ回転させます。"));

    stepRightButton =
        makeOnPage<QPushButton>(operating, twips(1050, 870, 585, 210), QStringLiteral("+15"));
    setBackground(stepRightButton, rgb(0xE0E0E0));
    stepRightButton->setAccessibleName(QStringLiteral("15度右"));
    setTip(stepRightButton, QStringLiteral("最終コマンドの角度に１０度右（ＣＷ）へ回転させます。"));

    mapBox = new PictureBox(operating);
    TabControl::place(mapBox, twips(60, 1110, 3045, 3075));
    mapBox->setPicture(stationMap(userMapPath()));
    mapBox->setFocusPolicy(Qt::TabFocus);
    mapBox->setAccessibleName(QStringLiteral("地図"));
    setTip(mapBox, QStringLiteral("クリックでその位置方向へ回転させます。"));

    QWidget* settings = pages->page(1);
    auto* whenShown = new WhenShown(settings);
    settingsFrame =
        makeOnPage<QGroupBox>(settings, twips(90, 390, 3015, 2085), QStringLiteral("環境設定"));

    // Until its page is shown the drop-down holds only its list; the list is filled at
    // start-up and its text, which start-up leaves as it is, is given with the text box.
    portCombo = new QComboBox(settingsFrame);
    portCombo->setGeometry(twips(840, 240, 2115, 285));
    portCombo->setInsertPolicy(QComboBox::NoInsert);
    setBackground(portCombo, rgb(0xC0FFFF));
    whenShown->add([box = portCombo] {
        box->setEditable(true);
        box->setEditText(QStringLiteral("コムポート選択"));
    });
    whenShown->setFont(portCombo, faces.font(Pitch::Proportional, Pt8_25));
    setTip(portCombo, QStringLiteral("コムポートを選択すれば「Port No」欄に番号が書き込まれます。"
                                     "　設定後は再起動してください。"));
    QLabel* portComboCaption =
        labelFor(make<QLabel>(settingsFrame, twips(90, 300, 675, 165), QStringLiteral("有効Port")),
                 portCombo);

    portNumberEdit =
        make<QLineEdit>(settingsFrame, twips(1590, 570, 435, 285), QStringLiteral("3"));
    setBackground(portNumberEdit, rgb(0xC0FFC0));
    whenShown->setFont(portNumberEdit, faces.font(Pitch::Proportional, Pt9_75, true));
    setTip(
        portNumberEdit,
        QStringLiteral("上の有効ポートよりコントローラの接続されているポートを選択してください。"));
    QLabel* portNumberCaption =
        labelFor(make<QLabel>(settingsFrame, twips(120, 630, 615, 195), QStringLiteral("Port No")),
                 portNumberEdit);

    lineSettingsEdit =
        make<QLineEdit>(settingsFrame, twips(1590, 900, 1335, 285), QStringLiteral("9600,N,8,1"));
    setBackground(lineSettingsEdit, rgb(0xC0FFC0));
    whenShown->setFont(lineSettingsEdit, faces.font(Pitch::Proportional, Pt9_75));
    setTip(lineSettingsEdit,
           QStringLiteral("(通常は変更不要です。)"
                          "ボーレイト，パリティ，ビット，ストップビットを記入します。"));
    QLabel* lineSettingsCaption = labelFor(
        make<QLabel>(settingsFrame, twips(120, 960, 945, 165), QStringLiteral("ボーレイト等")),
        lineSettingsEdit);

    offsetEdit = make<QLineEdit>(settingsFrame, twips(1590, 1230, 525, 270), QStringLiteral("0"));
    setBackground(offsetEdit, rgb(0xC0FFC0));
    whenShown->setFont(offsetEdit, faces.font(Pitch::Proportional, Pt8_25));
    setTip(offsetEdit,
           QStringLiteral("オフセット値（プラス・マイナスの数字）を入れた数値が目的の角度に"
                          "加算されたものが設定角度としてコントロールされます。"));
    QLabel* offsetCaption =
        labelFor(make<QLabel>(settingsFrame, twips(120, 1320, 525, 225), QStringLiteral("ｵﾌｾｯﾄ")),
                 offsetEdit);

    registerButton =
        make<QPushButton>(settingsFrame, twips(1560, 1620, 1365, 345), QStringLiteral("環境登録"));
    setBackground(registerButton, rgb(0x80FF80));
    whenShown->setFont(registerButton, faces.font(Pitch::Proportional, Pt9_75));
    setTip(registerButton,
           QStringLiteral("環境設定変更実施の場合は、このボタンを必ず押して環境へ登録し"
                          "てください。　訂正後、「ＲＯＴＥＫＡ」を再起動してください。"));

    QLabel* versionLabel =
        make<QLabel>(settingsFrame, twips(150, 1770, 1155, 165), QStringLiteral("Ver 20130625"));

    controllerFrame = makeOnPage<QGroupBox>(settings, twips(90, 2550, 3015, 1605),
                                            QStringLiteral("コントローラ環境設定等"));

    commandEdit = make<QLineEdit>(controllerFrame, twips(90, 240, 1425, 270));
    setBackground(commandEdit, rgb(0xFFFFC0));
    whenShown->setFont(commandEdit, faces.font(Pitch::Fixed, Pt9_75, true));
    commandEdit->setAccessibleName(QStringLiteral("ｺﾏﾝﾄﾞ入力（半角大文字）"));
    setTip(commandEdit,
           QStringLiteral("ここにコマント゛のみを入力して「データ転送」ボタンで実行してくだ"
                          "さい。　★ [Enter] は入力不要"));

    sendCommandButton = make<QPushButton>(controllerFrame, twips(1680, 180, 1155, 285),
                                          QStringLiteral("データ転送"));
    setBackground(sendCommandButton, rgb(0xFFFFC0));
    setTip(sendCommandButton,
           QStringLiteral("テキストボックスにコマンドリファレンスの内容を記入後このボタ"
                          "ンを押してください。"));

    QLabel* commandHint = make<QLabel>(
        controllerFrame, twips(150, 630, 2715, 525),
        QStringLiteral(
            "ｺﾏﾝﾄﾞ入力（半角大文字）後にデータ転送ボタンをクリック　例：「V」（設定情報表示）"
            "　　　★  [Enter]は入力不要"));
    commandHint->setWordWrap(true);
    setTextColor(commandHint, rgb(0xC0C0C0));
    whenShown->setFont(commandHint, faces.font(Pitch::Proportional, Pt8_25));
    setTip(commandHint, QStringLiteral("ｺﾏﾝﾄﾞ入力（半角大文字）後にデータ転送ボタンをクリック　例："
                                       "「V」（設定情報表示）　★  [Enter]は入力不要"));

    switchButtons[0] =
        make<QPushButton>(controllerFrame, twips(60, 1260, 705, 285), QStringLiteral("SW1"));
    switchButtons[1] =
        make<QPushButton>(controllerFrame, twips(795, 1260, 675, 285), QStringLiteral("SW2"));
    switchButtons[2] =
        make<QPushButton>(controllerFrame, twips(1485, 1260, 705, 285), QStringLiteral("SW3"));
    switchButtons[3] =
        make<QPushButton>(controllerFrame, twips(2220, 1260, 705, 285), QStringLiteral("SW4"));
    for (QPushButton* button : switchButtons)
        setTip(button, SwitchTip);

    const std::initializer_list<std::pair<QWidget*, const char*>> names{
        {statusLabel, "statusLabel"},
        {commandedAngleCaption, "commandedAngleCaption"},
        {commandedAngleLabel, "commandedAngleLabel"},
        {connectButton, "connectButton"},
        {pages, "pages"},
        {turnLeftButton, "turnLeftButton"},
        {stopButton, "stopButton"},
        {turnRightButton, "turnRightButton"},
        {azimuthLabel, "azimuthLabel"},
        {stepLeftButton, "stepLeftButton"},
        {stepRightButton, "stepRightButton"},
        {mapBox, "mapBox"},
        {settingsFrame, "settingsFrame"},
        {portCombo, "portCombo"},
        {portComboCaption, "portComboCaption"},
        {portNumberEdit, "portNumberEdit"},
        {portNumberCaption, "portNumberCaption"},
        {lineSettingsEdit, "lineSettingsEdit"},
        {lineSettingsCaption, "lineSettingsCaption"},
        {offsetEdit, "offsetEdit"},
        {offsetCaption, "offsetCaption"},
        {registerButton, "registerButton"},
        {versionLabel, "versionLabel"},
        {controllerFrame, "controllerFrame"},
        {commandEdit, "commandEdit"},
        {sendCommandButton, "sendCommandButton"},
        {commandHint, "commandHint"},
        {switchButtons[0], "switch1Button"},
        {switchButtons[1], "switch2Button"},
        {switchButtons[2], "switch3Button"},
        {switchButtons[3], "switch4Button"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    auto* buttonStyle = new ButtonFaceStyle;
    buttonStyle->setParent(this);
    for (QPushButton* button :
         {turnLeftButton, stopButton, turnRightButton, stepRightButton, stepLeftButton,
          connectButton, switchButtons[0], registerButton, sendCommandButton, switchButtons[1],
          switchButtons[2], switchButtons[3]})
        button->setStyle(buttonStyle);

    const std::initializer_list<QWidget*> focusOrder{
        pages->tabBar(),   mapBox,           turnLeftButton,   stopButton,       turnRightButton,
        stepRightButton,   stepLeftButton,   registerButton,   lineSettingsEdit, portNumberEdit,
        sendCommandButton, commandEdit,      connectButton,    offsetEdit,       portCombo,
        switchButtons[0],  switchButtons[1], switchButtons[2], switchButtons[3]};
    QWidget* previous = nullptr;
    for (QWidget* widget : focusOrder) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }

    pages->setCurrentIndex(0);
}

} // namespace roteka
