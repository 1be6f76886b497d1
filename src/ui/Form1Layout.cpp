#include "app/Form1.h"
#include "ui/CaptionLabel.h"
#include "ui/PictureBox.h"
#include "ui/TabControl.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace roteka {

namespace {

constexpr int TwipsPerPixel = 15;

QRect twips(int left, int top, int width, int height) {
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel,
            height / TwipsPerPixel};
}

void setColors(QWidget* widget, const char* background, const char* text = nullptr) {
    QPalette palette = widget->palette();
    if (background) {
        const QColor color = QColor::fromString(QLatin1String(background));
        palette.setColor(QPalette::Window, color);
        palette.setColor(QPalette::Button, color);
        palette.setColor(QPalette::Base, color);
        widget->setAutoFillBackground(true);
    }
    if (text) {
        const QColor color = QColor::fromString(QLatin1String(text));
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::ButtonText, color);
        palette.setColor(QPalette::Text, color);
    }
    widget->setPalette(palette);
}

// Pixel sizes of the point sizes the window uses, at 96 dots per inch.
QFont japaneseFont(bool fixedPitch, int pixelSize, bool bold = false) {
    QFont font;
    font.setFamilies(fixedPitch ? QStringList{QStringLiteral("ＭＳ ゴシック"),
                                              QStringLiteral("MS Gothic"),
                                              QStringLiteral("IPAGothic"),
                                              QStringLiteral("Noto Sans Mono CJK JP")}
                                : QStringList{QStringLiteral("ＭＳ Ｐゴシック"),
                                              QStringLiteral("MS PGothic"),
                                              QStringLiteral("IPAPGothic"),
                                              QStringLiteral("IPAGothic"),
                                              QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

template <class Widget> Widget* make(QWidget* parent, const QRect& geometry, const QString& text) {
    auto* widget = new Widget(text, parent);
    widget->setGeometry(geometry);
    return widget;
}

QLineEdit* makeText(QWidget* parent, const QRect& geometry, const QString& text) {
    auto* edit = new QLineEdit(text, parent);
    edit->setGeometry(geometry);
    return edit;
}

} // namespace

void Form1::createControls() {
    setWindowTitle(QStringLiteral("ROTEKA"));
    setFixedSize(3240 / TwipsPerPixel, 4740 / TwipsPerPixel);
    setColors(this, "#0000C0");

    Label1 = make<QLabel>(this, twips(120, 30, 2985, 195), QStringLiteral("Label1"));
    setColors(Label1, "#0000C0", "#FFFF80");
    Label1->setFont(japaneseFont(false, 13));
    Label2[5] = make<QLabel>(this, twips(90, 270, 975, 165), QStringLiteral("初期化中"));
    setColors(Label2[5], "#0000C0", "#FFFFFF");
    Label2[5]->setFont(japaneseFont(false, 11));
    Label5 = make<QLabel>(this, twips(1200, 240, 1095, 195), QString());
    setColors(Label5, "#0000C0", "#FFFF80");
    Label5->setFont(japaneseFont(false, 13));
    Command6 = make<QPushButton>(this, twips(2700, 90, 525, 345), QStringLiteral("接続"));
    setColors(Command6, "#FFFFC0");

    SSTab1 = new TabControl(this);
    SSTab1->setGeometry(twips(30, 480, 3195, 4245));
    SSTab1->setTabCaption(0, QStringLiteral("ＫＭX"));
    SSTab1->setTabCaption(1, QStringLiteral("環境設定"));

    QWidget* operating = SSTab1->page(0);
    const auto onPage = [](QWidget* widget, const QRect& geometry) {
        TabControl::place(widget, geometry);
        return widget;
    };
    Command1 = new QPushButton(QStringLiteral("←"), operating);
    onPage(Command1, twips(90, 360, 645, 465));
    setColors(Command1, "#C0FFC0");
    Command1->setFont(japaneseFont(false, 15, true));
    Command2 = new QPushButton(QStringLiteral("■"), operating);
    onPage(Command2, twips(750, 360, 645, 465));
    setColors(Command2, "#C0FFC0");
    Command3 = new QPushButton(QStringLiteral("→"), operating);
    onPage(Command3, twips(1410, 360, 645, 465));
    setColors(Command3, "#C0FFC0");
    Command3->setFont(japaneseFont(false, 16, true));
    Label4 = new CaptionLabel(QStringLiteral("000"), operating);
    onPage(Label4, twips(2130, 390, 945, 435));
    setColors(Label4, "#FFC0FF", "#0000FF");
    Label4->setFont(japaneseFont(true, 24, true));
    Command5 = new QPushButton(QStringLiteral("-15"), operating);
    onPage(Command5, twips(420, 870, 615, 210));
    setColors(Command5, "#E0E0E0");
    Command4 = new QPushButton(QStringLiteral("+15"), operating);
    onPage(Command4, twips(1050, 870, 585, 210));
    setColors(Command4, "#E0E0E0");
    Picture1 = new PictureBox(operating);
    onPage(Picture1, twips(60, 1110, 3045, 3075));
    Picture1->setPicture(QImage(QStringLiteral(":/roteka/map.png")));

    QWidget* settings = SSTab1->page(1);
    Frame1 = new QGroupBox(QStringLiteral("環境設定"), settings);
    onPage(Frame1, twips(90, 390, 3015, 2085));
    Label2[4] = make<QLabel>(Frame1, twips(90, 300, 675, 165), QStringLiteral("有効Port"));
    Combo1 = new QComboBox(Frame1);
    Combo1->setGeometry(twips(840, 240, 2115, 285));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setEditText(QStringLiteral("コムポート選択"));
    setColors(Combo1, "#C0FFFF");
    Combo1->setFont(japaneseFont(false, 11));
    Label2[0] = make<QLabel>(Frame1, twips(120, 630, 615, 195), QStringLiteral("Port No"));
    Text1 = makeText(Frame1, twips(1590, 570, 435, 285), QStringLiteral("3"));
    setColors(Text1, "#C0FFC0");
    Text1->setFont(japaneseFont(false, 13, true));
    Label2[1] = make<QLabel>(Frame1, twips(120, 960, 945, 165), QStringLiteral("ボーレイト等"));
    Text2 = makeText(Frame1, twips(1590, 900, 1335, 285), QStringLiteral("9600,N,8,1"));
    setColors(Text2, "#C0FFC0");
    Text2->setFont(japaneseFont(false, 13));
    Label2[3] = make<QLabel>(Frame1, twips(120, 1320, 525, 225), QStringLiteral("ｵﾌｾｯﾄ"));
    Text5 = makeText(Frame1, twips(1590, 1230, 525, 270), QStringLiteral("0"));
    setColors(Text5, "#C0FFC0");
    Command8 = make<QPushButton>(Frame1, twips(1560, 1620, 1365, 345), QStringLiteral("環境登録"));
    setColors(Command8, "#80FF80");
    Command8->setFont(japaneseFont(false, 13));
    Label2[2] = make<QLabel>(Frame1, twips(150, 1770, 1155, 165), QStringLiteral("Ver 20130625"));

    Frame2 = new QGroupBox(QStringLiteral("コントローラ環境設定等"), settings);
    onPage(Frame2, twips(90, 2550, 3015, 1605));
    Text3 = makeText(Frame2, twips(90, 240, 1425, 270), QString());
    setColors(Text3, "#FFFFC0");
    Text3->setFont(japaneseFont(true, 13, true));
    Command9 = make<QPushButton>(Frame2, twips(1680, 180, 1155, 285), QStringLiteral("データ転送"));
    setColors(Command9, "#FFFFC0");
    Label3[0] = make<QLabel>(
        Frame2, twips(150, 630, 2715, 525),
        QStringLiteral("ｺﾏﾝﾄﾞ入力（半角大文字）後にデータ転送ボタンをクリック　例：「V」（設定情報表示）"
                       "　　　★  [Enter]は入力不要"));
    Label3[0]->setWordWrap(true);
    setColors(Label3[0], nullptr, "#C0C0C0");
    Label3[0]->setFont(japaneseFont(false, 11));
    Command7 = make<QPushButton>(Frame2, twips(60, 1260, 705, 285), QStringLiteral("SW1"));
    Command10 = make<QPushButton>(Frame2, twips(795, 1260, 675, 285), QStringLiteral("SW2"));
    Command11 = make<QPushButton>(Frame2, twips(1485, 1260, 705, 285), QStringLiteral("SW3"));
    Command12 = make<QPushButton>(Frame2, twips(2220, 1260, 705, 285), QStringLiteral("SW4"));

    SSTab1->setCurrentIndex(0);
}

} // namespace roteka
