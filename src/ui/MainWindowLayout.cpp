#include "ui/MainWindow.h"

#include "control/OperatorControl.h"
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

    statusLabel_ = make<QLabel>(this, twips(120, 30, 2985, 195), QString());
    setBackground(statusLabel_, rgb(0x0000C0));
    setTextColor(statusLabel_, rgb(0xFFFF80));
    statusLabel_->setFont(faces.font(Pitch::Proportional, Pt9_75));
    setTip(statusLabel_, QStringLiteral("ポートの接続状態等のメッセージを表示します。"));

    commandedAngleCaption_ =
        make<QLabel>(this, twips(90, 270, 975, 165), QStringLiteral("初期化中"));
    setBackground(commandedAngleCaption_, rgb(0x0000C0));
    setTextColor(commandedAngleCaption_, rgb(0xFFFFFF));
    commandedAngleCaption_->setFont(faces.font(Pitch::Proportional, Pt8_25));

    commandedAngleLabel_ = make<QLabel>(this, twips(1200, 240, 1095, 195));
    setBackground(commandedAngleLabel_, rgb(0x0000C0));
    setTextColor(commandedAngleLabel_, rgb(0xFFFF80));
    commandedAngleLabel_->setFont(faces.font(Pitch::Proportional, Pt9_75));

    connectButton_ = make<QPushButton>(this, twips(2700, 90, 525, 345), QStringLiteral("接続"));
    setBackground(connectButton_, rgb(0xFFFFC0));
    setTip(connectButton_, QStringLiteral("接続・切断を行います。（ドグルスイッチ）"));

    pages_ = new TabControl(this);
    pages_->setGeometry(twips(30, 480, 3195, 4245));
    pages_->setTabCaption(0, QStringLiteral("ＫＭX"));
    pages_->setTabCaption(1, QStringLiteral("環境設定"));

    QWidget* operating = pages_->page(0);
    turnLeftButton_ =
        makeOnPage<QPushButton>(operating, twips(90, 360, 645, 465), QStringLiteral("←"));
    setBackground(turnLeftButton_, rgb(0xC0FFC0));
    turnLeftButton_->setFont(faces.font(Pitch::Proportional, Pt11_25, true));
    turnLeftButton_->setAccessibleName(QStringLiteral("左回転 (CCW)"));
    setTip(turnLeftButton_, QStringLiteral("ローテーターを左（CCW）へ回転させます。"));

    stopButton_ =
        makeOnPage<QPushButton>(operating, twips(750, 360, 645, 465), QStringLiteral("■"));
    setBackground(stopButton_, rgb(0xC0FFC0));
    stopButton_->setAccessibleName(QStringLiteral("停止"));
    setTip(stopButton_, QStringLiteral("ローテータの回転をストップさせます。"));

    turnRightButton_ =
        makeOnPage<QPushButton>(operating, twips(1410, 360, 645, 465), QStringLiteral("→"));
    setBackground(turnRightButton_, rgb(0xC0FFC0));
    turnRightButton_->setFont(faces.font(Pitch::Proportional, Pt12, true));
    turnRightButton_->setAccessibleName(QStringLiteral("右回転 (CW)"));
    setTip(turnRightButton_,
           QStringLiteral("ローテーターを右（CW）へ回転させます。(角度方位は変動しません)"));

    azimuthLabel_ =
        makeOnPage<QLabel>(operating, twips(2130, 390, 945, 435), QStringLiteral("000"));
    setBackground(azimuthLabel_, rgb(0xFFC0FF));
    setTextColor(azimuthLabel_, rgb(0x0000FF));
    azimuthLabel_->setFont(faces.font(Pitch::Fixed, Pt18, true));
    azimuthLabel_->setAlignment(Qt::AlignCenter);
    setTip(azimuthLabel_, QStringLiteral("コントローラーから送られてきた角度を表示します。"));

    stepLeftButton_ =
        makeOnPage<QPushButton>(operating, twips(420, 870, 615, 210), QStringLiteral("-15"));
    setBackground(stepLeftButton_, rgb(0xE0E0E0));
    stepLeftButton_->setAccessibleName(QStringLiteral("15度左"));
    setTip(stepLeftButton_,
           QStringLiteral("最終コマンドの角度から１５度左（ＣＣＷ）へ回転させます。"));

    stepRightButton_ =
        makeOnPage<QPushButton>(operating, twips(1050, 870, 585, 210), QStringLiteral("+15"));
    setBackground(stepRightButton_, rgb(0xE0E0E0));
    stepRightButton_->setAccessibleName(QStringLiteral("15度右"));
    setTip(stepRightButton_,
           QStringLiteral("最終コマンドの角度に１５度右（ＣＷ）へ回転させます。"));

    mapBox_ = new PictureBox(operating);
    TabControl::place(mapBox_, twips(60, 1110, 3045, 3075));
    const QImage map = stationMap(userMapPath());
    mapBox_->setPicture(map);
    station_ = mapStation(map);
    mapBox_->setFocusPolicy(Qt::TabFocus);
    mapBox_->setAccessibleName(QStringLiteral("地図"));
    setTip(mapBox_, QStringLiteral("クリックでその位置方向へ回転させます。"));

    QWidget* settings = pages_->page(1);
    auto* whenShown = new WhenShown(settings);
    settingsFrame_ =
        makeOnPage<QGroupBox>(settings, twips(90, 390, 3015, 2085), QStringLiteral("環境設定"));

    // Until its page is shown the drop-down holds only its list; the list is filled at
    // start-up and its text, which start-up leaves as it is, is given with the text box.
    portCombo_ = new QComboBox(settingsFrame_);
    portCombo_->setGeometry(twips(840, 240, 2115, 285));
    portCombo_->setInsertPolicy(QComboBox::NoInsert);
    setBackground(portCombo_, rgb(0xC0FFFF));
    whenShown->add([box = portCombo_] {
        box->setEditable(true);
        box->setEditText(QStringLiteral("コムポート選択"));
    });
    whenShown->setFont(portCombo_, faces.font(Pitch::Proportional, Pt8_25));
    setTip(portCombo_, QStringLiteral("コムポートを選択すれば「Port No」欄に番号が書き込まれます。"
                                      "　設定後は再起動してください。"));
    QLabel* portComboCaption =
        labelFor(make<QLabel>(settingsFrame_, twips(90, 300, 675, 165), QStringLiteral("有効Port")),
                 portCombo_);

    portNumberEdit_ =
        make<QLineEdit>(settingsFrame_, twips(1590, 570, 435, 285), QStringLiteral("3"));
    setBackground(portNumberEdit_, rgb(0xC0FFC0));
    whenShown->setFont(portNumberEdit_, faces.font(Pitch::Proportional, Pt9_75, true));
    setTip(
        portNumberEdit_,
        QStringLiteral("上の有効ポートよりコントローラの接続されているポートを選択してください。"));
    QLabel* portNumberCaption =
        labelFor(make<QLabel>(settingsFrame_, twips(120, 630, 615, 195), QStringLiteral("Port No")),
                 portNumberEdit_);

    lineSettingsEdit_ =
        make<QLineEdit>(settingsFrame_, twips(1590, 900, 1335, 285), QStringLiteral("9600,N,8,1"));
    setBackground(lineSettingsEdit_, rgb(0xC0FFC0));
    whenShown->setFont(lineSettingsEdit_, faces.font(Pitch::Proportional, Pt9_75));
    setTip(lineSettingsEdit_,
           QStringLiteral("(通常は変更不要です。)"
                          "ボーレイト，パリティ，ビット，ストップビットを記入します。"));
    QLabel* lineSettingsCaption = labelFor(
        make<QLabel>(settingsFrame_, twips(120, 960, 945, 165), QStringLiteral("ボーレイト等")),
        lineSettingsEdit_);

    offsetEdit_ = make<QLineEdit>(settingsFrame_, twips(1590, 1230, 525, 270), QStringLiteral("0"));
    setBackground(offsetEdit_, rgb(0xC0FFC0));
    whenShown->setFont(offsetEdit_, faces.font(Pitch::Proportional, Pt8_25));
    setTip(offsetEdit_,
           QStringLiteral("オフセット値（プラス・マイナスの数字）を入れた数値が目的の角度に"
                          "加算されたものが設定角度としてコントロールされます。"));
    QLabel* offsetCaption =
        labelFor(make<QLabel>(settingsFrame_, twips(120, 1320, 525, 225), QStringLiteral("ｵﾌｾｯﾄ")),
                 offsetEdit_);

    registerButton_ =
        make<QPushButton>(settingsFrame_, twips(1560, 1620, 1365, 345), QStringLiteral("環境登録"));
    setBackground(registerButton_, rgb(0x80FF80));
    whenShown->setFont(registerButton_, faces.font(Pitch::Proportional, Pt9_75));
    setTip(registerButton_,
           QStringLiteral("環境設定変更実施の場合は、このボタンを必ず押して環境へ登録し"
                          "てください。　訂正後、「ＲＯＴＥＫＡ」を再起動してください。"));

    QLabel* versionLabel =
        make<QLabel>(settingsFrame_, twips(150, 1770, 1155, 165), QStringLiteral("Ver 20130625"));

    controllerFrame_ = makeOnPage<QGroupBox>(settings, twips(90, 2550, 3015, 1605),
                                             QStringLiteral("コントローラ環境設定等"));

    commandEdit_ = make<QLineEdit>(controllerFrame_, twips(90, 240, 1425, 270));
    setBackground(commandEdit_, rgb(0xFFFFC0));
    whenShown->setFont(commandEdit_, faces.font(Pitch::Fixed, Pt9_75, true));
    commandEdit_->setAccessibleName(QStringLiteral("ｺﾏﾝﾄﾞ入力（半角大文字）"));
    setTip(commandEdit_,
           QStringLiteral("ここにコマント゛のみを入力して「データ転送」ボタンで実行してくだ"
                          "さい。　★ [Enter] は入力不要"));

    sendCommandButton_ = make<QPushButton>(controllerFrame_, twips(1680, 180, 1155, 285),
                                           QStringLiteral("データ転送"));
    setBackground(sendCommandButton_, rgb(0xFFFFC0));
    setTip(sendCommandButton_,
           QStringLiteral("テキストボックスにコマンドリファレンスの内容を記入後このボタ"
                          "ンを押してください。"));

    QLabel* commandHint = make<QLabel>(
        controllerFrame_, twips(150, 630, 2715, 525),
        QStringLiteral(
            "ｺﾏﾝﾄﾞ入力（半角大文字）後にデータ転送ボタンをクリック　例：「V」（設定情報表示）"
            "　　　★  [Enter]は入力不要"));
    commandHint->setWordWrap(true);
    setTextColor(commandHint, rgb(0xC0C0C0));
    whenShown->setFont(commandHint, faces.font(Pitch::Proportional, Pt8_25));
    setTip(commandHint, QStringLiteral("ｺﾏﾝﾄﾞ入力（半角大文字）後にデータ転送ボタンをクリック　例："
                                       "「V」（設定情報表示）　★  [Enter]は入力不要"));

    switchButtons_[0] =
        make<QPushButton>(controllerFrame_, twips(60, 1260, 705, 285), QStringLiteral("SW1"));
    switchButtons_[1] =
        make<QPushButton>(controllerFrame_, twips(795, 1260, 675, 285), QStringLiteral("SW2"));
    switchButtons_[2] =
        make<QPushButton>(controllerFrame_, twips(1485, 1260, 705, 285), QStringLiteral("SW3"));
    switchButtons_[3] =
        make<QPushButton>(controllerFrame_, twips(2220, 1260, 705, 285), QStringLiteral("SW4"));
    for (QPushButton* button : switchButtons_)
        setTip(button, SwitchTip);

    const std::initializer_list<std::pair<QWidget*, const char*>> names{
        {statusLabel_, "statusLabel"},
        {commandedAngleCaption_, "commandedAngleCaption"},
        {commandedAngleLabel_, "commandedAngleLabel"},
        {connectButton_, "connectButton"},
        {pages_, "pages"},
        {turnLeftButton_, "turnLeftButton"},
        {stopButton_, "stopButton"},
        {turnRightButton_, "turnRightButton"},
        {azimuthLabel_, "azimuthLabel"},
        {stepLeftButton_, "stepLeftButton"},
        {stepRightButton_, "stepRightButton"},
        {mapBox_, "mapBox"},
        {settingsFrame_, "settingsFrame"},
        {portCombo_, "portCombo"},
        {portComboCaption, "portComboCaption"},
        {portNumberEdit_, "portNumberEdit"},
        {portNumberCaption, "portNumberCaption"},
        {lineSettingsEdit_, "lineSettingsEdit"},
        {lineSettingsCaption, "lineSettingsCaption"},
        {offsetEdit_, "offsetEdit"},
        {offsetCaption, "offsetCaption"},
        {registerButton_, "registerButton"},
        {versionLabel, "versionLabel"},
        {controllerFrame_, "controllerFrame"},
        {commandEdit_, "commandEdit"},
        {sendCommandButton_, "sendCommandButton"},
        {commandHint, "commandHint"},
        {switchButtons_[0], "switch1Button"},
        {switchButtons_[1], "switch2Button"},
        {switchButtons_[2], "switch3Button"},
        {switchButtons_[3], "switch4Button"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    auto* buttonStyle = new ButtonFaceStyle;
    buttonStyle->setParent(this);
    for (QPushButton* button :
         {turnLeftButton_, stopButton_, turnRightButton_, stepRightButton_, stepLeftButton_,
          connectButton_, switchButtons_[0], registerButton_, sendCommandButton_, switchButtons_[1],
          switchButtons_[2], switchButtons_[3]})
        button->setStyle(buttonStyle);

    const std::initializer_list<QWidget*> focusOrder{
        pages_->tabBar(),  mapBox_,           turnLeftButton_,    stopButton_,
        turnRightButton_,  stepRightButton_,  stepLeftButton_,    registerButton_,
        lineSettingsEdit_, portNumberEdit_,   sendCommandButton_, commandEdit_,
        connectButton_,    offsetEdit_,       portCombo_,         switchButtons_[0],
        switchButtons_[1], switchButtons_[2], switchButtons_[3]};
    QWidget* previous = nullptr;
    for (QWidget* widget : focusOrder) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }

    pages_->setCurrentIndex(0);
}

} // namespace roteka
