#include "app/Form1.h"
#include "commands/Numbers.h"
#include "map/PointerGeometry.h"
#include "ui/CaptionLabel.h"
#include "ui/PictureBox.h"

#include <QLabel>
#include <QLineEdit>

namespace roteka {

namespace {

const QColor TargetGreen(0, 192, 0);
const QColor AimOrange(255, 192, 128);
const QColor AzimuthBlue(0, 0, 255);

} // namespace

void Form1::Label4_Change() {
    Picture1->setAutoRedraw(true);
    Picture1->cls();
    if (!Label5->text().isEmpty())
        DrawTargetPointer();
    Picture1->setDrawWidth(3);
    Picture1->circle(MapCentreTwips, CentreRingRadius);
    const QPointF end = pointerEnd(leadingNumber(Label4->text()), AzimuthPointerLength);
    Picture1->setForeColor(AzimuthBlue);
    Picture1->line(MapCentreTwips, end);
    Picture1->setAutoRedraw(false);
}

void Form1::DrawTargetPointer() {
    Picture1->setDrawWidth(4);
    const QPointF end = pointerEnd(leadingNumber(Label5->text()), TargetPointerLength);
    Picture1->setForeColor(TargetGreen);
    Picture1->line(MapCentreTwips, end);
    if (aimPointerWanted(Text5->text()))
        DrawAimPointer();
}

void Form1::DrawAimPointer() {
    Picture1->setDrawWidth(4);
    const double aim = leadingNumber(Label5->text()) - leadingNumber(Text5->text());
    const QPointF end = pointerEnd(aim, TargetPointerLength);
    Picture1->setForeColor(AimOrange);
    Picture1->line(MapCentreTwips, end);
}

} // namespace roteka
