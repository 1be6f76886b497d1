#include "app/Form1.h"
#include "ui/CaptionLabel.h"
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

void Form1::createControls() {
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

    Label1 = make<QLabel>(this, twips(120, 30, 2985, 195), QStringLiteral("Label1"));
    setBackground(Label1, rgb(0x0000C0));
    setTextColor(Label1, rgb(0xFFFF80));
    Label1->setFont(faces.font(Pitch::Proportional, Pt9_75));
    setTip(Label1, QStringLiteral("ポートの接続状態等のメッセージを表示します。"));

    Label2[5] = make<QLabel>(this, twips(90, 270, 975, 165), QStringLiteral("初期化中"));
    setBackground(Label2[5], rgb(0x0000C0));
    setTextColor(Label2[5], rgb(0xFFFFFF));
    Label2[5]->setFont(faces.font(Pitch::Proportional, Pt8_25));

    Label5 = make<QLabel>(this, twips(1200, 240, 1095, 195));
    setBackground(Label5, rgb(0x0000C0));
    setTextColor(Label5, rgb(0xFFFF80));
    Label5->setFont(faces.font(Pitch::Proportional, Pt9_75));

    Command6 = make<QPushButton>(this, twips(2700, 90, 525, 345), QStringLiteral("接続"));
    setBackground(Command6, rgb(0xFFFFC0));
    setTip(Command6, QStringLiteral("接続・切断を行います。（ドグルスイッチ）"));

    SSTab1 = new TabControl(this);
    SSTab1->setGeometry(twips(30, 480, 3195, 4245));
    SSTab1->setTabCaption(0, QStringLiteral("ＫＭX"));
    SSTab1->setTabCaption(1, QStringLiteral("環境設定"));

    QWidget* operating = SSTab1->page(0);
    Command1 = makeOnPage<QPushButton>(operating, twips(90, 360, 645, 465), QStringLiteral("←"));
    setBackground(Command1, rgb(0xC0FFC0));
    Command1->setFont(faces.font(Pitch::Proportional, Pt11_25, true));
    Command1->setAccessibleName(QStringLiteral("左回転 (CCW)"));
    setTip(Command1, QStringLiteral("ローテーターを左（CCW）へ回転させます。"));

    Command2 = makeOnPage<QPushButton>(operating, twips(750, 360, 645, 465), QStringLiteral("■"));
    setBackground(Command2, rgb(0xC0FFC0));
    Command2->setAccessibleName(QStringLiteral("停止"));
    setTip(Command2, QStringLiteral("ローテータの回転をストップさせます。"));

    Command3 = makeOnPage<QPushButton>(operating, twips(1410, 360, 645, 465), QStringLiteral("→"));
    setBackground(Command3, rgb(0xC0FFC0));
    Command3->setFont(faces.font(Pitch::Proportional, Pt12, true));
    Command3->setAccessibleName(QStringLiteral("右回転 (CW)"));
    setTip(Command3,
           QStringLiteral("ローテーターを右（CW）へ回転させます。(角度方位は変動しません)"));

    Label4 = makeOnPage<CaptionLabel>(operating, twips(2130, 390, 945, 435), QStringLiteral("000"));
    setBackground(Label4, rgb(0xFFC0FF));
    setTextColor(Label4, rgb(0x0000FF));
    Label4->setFont(faces.font(Pitch::Fixed, Pt18, true));
    Label4->setAlignment(Qt::AlignCenter);
    setTip(Label4, QStringLiteral("コントローラーから送られてきた角度を表示します。"));

    Command5 = makeOnPage<QPushButton>(operating, twips(420, 870, 615, 210), QStringLiteral("-15"));
    setBackground(Command5, rgb(0xE0E0E0));
    Command5->setAccessibleName(QStringLiteral("15度左"));
    setTip(Command5, QStringLiteral("最終コマンドの角度から１５度左（ＣＣＷ）へ回転させます。"));

    Command4 =
        makeOnPage<QPushButton>(operating, twips(1050, 870, 585, 210), QStringLiteral("+15"));
    setBackground(Command4, rgb(0xE0E0E0));
    Command4->setAccessibleName(QStringLiteral("15度右"));
    setTip(Command4, QStringLiteral("最終コマンドの角度に１０度右（ＣＷ）へ回転させます。"));

    Picture1 = new PictureBox(operating);
    TabControl::place(Picture1, twips(60, 1110, 3045, 3075));
    Picture1->setPicture(stationMap(userMapPath()));
    Picture1->setFocusPolicy(Qt::TabFocus);
    Picture1->setAccessibleName(QStringLiteral("地図"));
    setTip(Picture1, QStringLiteral("クリックでその位置方向へ回転させます。"));

    QWidget* settings = SSTab1->page(1);
    auto* whenShown = new WhenShown(settings);
    Frame1 =
        makeOnPage<QGroupBox>(settings, twips(90, 390, 3015, 2085), QStringLiteral("環境設定"));

    // Until its page is shown the drop-down holds only its list; the list is filled at
    // start-up and its text, which start-up leaves as it is, is given with the text box.
    Combo1 = new QComboBox(Frame1);
    Combo1->setGeometry(twips(840, 240, 2115, 285));
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    setBackground(Combo1, rgb(0xC0FFFF));
    whenShown->add([box = Combo1] {
        box->setEditable(true);
        box->setEditText(QStringLiteral("コムポート選択"));
    });
    whenShown->setFont(Combo1, faces.font(Pitch::Proportional, Pt8_25));
    setTip(Combo1, QStringLiteral("コムポートを選択すれば「Port No」欄に番号が書き込まれます。"
                                  "　設定後は再起動してください。"));
    Label2[4] = labelFor(make<QLabel>(Frame1, twips(90, 300, 675, 165), QStringLiteral("有効Port")),
                         Combo1);

    Text1 = make<QLineEdit>(Frame1, twips(1590, 570, 435, 285), QStringLiteral("3"));
    setBackground(Text1, rgb(0xC0FFC0));
    whenShown->setFont(Text1, faces.font(Pitch::Proportional, Pt9_75, true));
    setTip(Text1, QStringLiteral(
                      "上の有効ポートよりコントローラの接続されているポートを選択してください。"));
    Label2[0] =
        labelFor(make<QLabel>(Frame1, twips(120, 630, 615, 195), QStringLiteral("Port No")), Text1);

    Text2 = make<QLineEdit>(Frame1, twips(1590, 900, 1335, 285), QStringLiteral("9600,N,8,1"));
    setBackground(Text2, rgb(0xC0FFC0));
    whenShown->setFont(Text2, faces.font(Pitch::Proportional, Pt9_75));
    setTip(Text2, QStringLiteral("(通常は変更不要です。)"
                                 "ボーレイト，パリティ，ビット，ストップビットを記入します。"));
    Label2[1] = labelFor(
        make<QLabel>(Frame1, twips(120, 960, 945, 165), QStringLiteral("ボーレイト等")), Text2);

    Text5 = make<QLineEdit>(Frame1, twips(1590, 1230, 525, 270), QStringLiteral("0"));
    setBackground(Text5, rgb(0xC0FFC0));
    whenShown->setFont(Text5, faces.font(Pitch::Proportional, Pt8_25));
    setTip(Text5, QStringLiteral("オフセット値（プラス・マイナスの数字）を入れた数値が目的の角度に"
                                 "加算されたものが設定角度としてコントロールされます。"));
    Label2[3] =
        labelFor(make<QLabel>(Frame1, twips(120, 1320, 525, 225), QStringLiteral("ｵﾌｾｯﾄ")), Text5);

    Command8 = make<QPushButton>(Frame1, twips(1560, 1620, 1365, 345), QStringLiteral("環境登録"));
    setBackground(Command8, rgb(0x80FF80));
    whenShown->setFont(Command8, faces.font(Pitch::Proportional, Pt9_75));
    setTip(Command8,
           QStringLiteral("環境設定変更実施の場合は、このボタンを必ず押して環境へ登録し"
                          "てください。　訂正後、「ＲＯＴＥＫＡ」を再起動してください。"));

    Label2[2] = make<QLabel>(Frame1, twips(150, 1770, 1155, 165), QStringLiteral("Ver 20130625"));

    Frame2 = makeOnPage<QGroupBox>(settings, twips(90, 2550, 3015, 1605),
                                   QStringLiteral("コントローラ環境設定等"));

    Text3 = make<QLineEdit>(Frame2, twips(90, 240, 1425, 270));
    setBackground(Text3, rgb(0xFFFFC0));
    whenShown->setFont(Text3, faces.font(Pitch::Fixed, Pt9_75, true));
    Text3->setAccessibleName(QStringLiteral("ｺﾏﾝﾄﾞ入力（半角大文字）"));
    setTip(Text3, QStringLiteral("ここにコマント゛のみを入力して「データ転送」ボタンで実行してくだ"
                                 "さい。　★ [Enter] は入力不要"));

    Command9 = make<QPushButton>(Frame2, twips(1680, 180, 1155, 285), QStringLiteral("データ転送"));
    setBackground(Command9, rgb(0xFFFFC0));
    setTip(Command9, QStringLiteral("テキストボックスにコマンドリファレンスの内容を記入後このボタ"
                                    "ンを押してください。"));

    Label3[0] = make<QLabel>(
        Frame2, twips(150, 630, 2715, 525),
        QStringLiteral(
            "ｺﾏﾝﾄﾞ入力（半角大文字）後にデータ転送ボタンをクリック　例：「V」（設定情報表示）"
            "　　　★  [Enter]は入力不要"));
    Label3[0]->setWordWrap(true);
    setTextColor(Label3[0], rgb(0xC0C0C0));
    whenShown->setFont(Label3[0], faces.font(Pitch::Proportional, Pt8_25));
    setTip(Label3[0], QStringLiteral("ｺﾏﾝﾄﾞ入力（半角大文字）後にデータ転送ボタンをクリック　例："
                                     "「V」（設定情報表示）　★  [Enter]は入力不要"));

    Command7 = make<QPushButton>(Frame2, twips(60, 1260, 705, 285), QStringLiteral("SW1"));
    Command10 = make<QPushButton>(Frame2, twips(795, 1260, 675, 285), QStringLiteral("SW2"));
    Command11 = make<QPushButton>(Frame2, twips(1485, 1260, 705, 285), QStringLiteral("SW3"));
    Command12 = make<QPushButton>(Frame2, twips(2220, 1260, 705, 285), QStringLiteral("SW4"));
    for (QPushButton* button : {Command7, Command10, Command11, Command12})
        setTip(button, SwitchTip);

    const std::initializer_list<std::pair<QWidget*, const char*>> names{
        {Label1, "Label1"},       {Label2[0], "Label2_0"},  {Label2[1], "Label2_1"},
        {Label2[2], "Label2_2"},  {Label2[3], "Label2_3"},  {Label2[4], "Label2_4"},
        {Label2[5], "Label2_5"},  {Label3[0], "Label3_0"},  {Label4, "Label4"},
        {Label5, "Label5"},       {Command1, "Command1"},   {Command2, "Command2"},
        {Command3, "Command3"},   {Command4, "Command4"},   {Command5, "Command5"},
        {Command6, "Command6"},   {Command7, "Command7"},   {Command8, "Command8"},
        {Command9, "Command9"},   {Command10, "Command10"}, {Command11, "Command11"},
        {Command12, "Command12"}, {Text1, "Text1"},         {Text2, "Text2"},
        {Text3, "Text3"},         {Text5, "Text5"},         {Combo1, "Combo1"},
        {Frame1, "Frame1"},       {Frame2, "Frame2"},       {SSTab1, "SSTab1"},
        {Picture1, "Picture1"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    auto* buttonStyle = new ButtonFaceStyle;
    buttonStyle->setParent(this);
    for (QPushButton* button : {Command1, Command2, Command3, Command4, Command5, Command6,
                                Command7, Command8, Command9, Command10, Command11, Command12})
        button->setStyle(buttonStyle);

    const std::initializer_list<QWidget*> focusOrder{
        SSTab1->tabBar(), Picture1, Command1,  Command2,  Command3, Command4, Command5,
        Command8,         Text2,    Text1,     Command9,  Text3,    Command6, Text5,
        Combo1,           Command7, Command10, Command11, Command12};
    QWidget* previous = nullptr;
    for (QWidget* widget : focusOrder) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }

    SSTab1->setCurrentIndex(0);
}

} // namespace roteka
