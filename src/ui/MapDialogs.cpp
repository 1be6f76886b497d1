#include "ui/MapDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace roteka {

namespace {

QPushButton* button(QDialogButtonBox* box, const QString& caption,
                    QDialogButtonBox::ButtonRole role) {
    QPushButton* added = box->addButton(caption, role);
    added->setAccessibleName(caption);
    added->setObjectName(caption);
    return added;
}

// A field with its label, the label's text its accessible name.
template <class Field> Field* labelled(QFormLayout* form, const QString& label, Field* field) {
    field->setAccessibleName(label);
    field->setObjectName(label);
    form->addRow(label, field);
    return field;
}

} // namespace

QString locatorProblemText(LocatorProblem problem) {
    switch (problem) {
    case LocatorProblem::WrongLength:
        return QStringLiteral("ロケーターは4・6・8文字です。");
    case LocatorProblem::BadField:
        return QStringLiteral("1・2文字目はA～Rの英字です。");
    case LocatorProblem::BadSquare:
        return QStringLiteral("3・4文字目は数字です。");
    case LocatorProblem::BadSubsquare:
        return QStringLiteral("5・6文字目はA～Xの英字です。");
    case LocatorProblem::BadExtendedSquare:
        return QStringLiteral("7・8文字目は数字です。");
    case LocatorProblem::None:
        break;
    }
    return QString();
}

LocatorDialog::LocatorDialog(GeoPoint station, QWidget* parent)
    : QDialog(parent), station_(station) {
    const QString title = QStringLiteral("ロケーターへ回転");
    setWindowTitle(title);
    setAccessibleName(title);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    locatorEdit_ = labelled(form, QStringLiteral("ロケーター"), new QLineEdit);
    locatorEdit_->setMaxLength(16);
    pathsLabel_ = new QLabel;
    pathsLabel_->setObjectName(QStringLiteral("paths"));
    pathsLabel_->setMinimumWidth(pathsLabel_->fontMetrics().horizontalAdvance(QString(24, u'国')));
    layout->addWidget(pathsLabel_);
    auto* buttons = new QDialogButtonBox;
    layout->addWidget(buttons);
    shortButton_ = button(buttons, QStringLiteral("ショートパス"), QDialogButtonBox::AcceptRole);
    longButton_ = button(buttons, QStringLiteral("ロングパス"), QDialogButtonBox::AcceptRole);
    button(buttons, QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(shortButton_, &QPushButton::clicked, this, [this] { choose(false); });
    connect(longButton_, &QPushButton::clicked, this, [this] { choose(true); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(locatorEdit_, &QLineEdit::textChanged, this, &LocatorDialog::showPaths);
    showPaths(QString());
}

void LocatorDialog::showPaths(const QString& text) {
    const auto centre = locatorCentre(text);
    path_ = centre ? std::optional(greatCircle(station_, *centre)) : std::nullopt;
    shortButton_->setEnabled(path_.has_value());
    longButton_->setEnabled(path_.has_value());
    if (!path_) {
        pathsLabel_->setText(text.trimmed().isEmpty() ? QString()
                                                      : locatorProblemText(locatorProblem(text)));
        return;
    }
    pathsLabel_->setText(
        QStringLiteral("ショートパス %1°　%2 km\nロングパス %3°")
            .arg(qRound(path_->bearing) % 360, 3, 10, QLatin1Char('0'))
            .arg(QLocale(QLocale::English).toString(qRound(path_->distanceKm)))
            .arg(qRound(longPathBearing(path_->bearing)) % 360, 3, 10, QLatin1Char('0')));
}

void LocatorDialog::choose(bool longPath) {
    if (!path_)
        return;
    chosen_ = longPath ? longPathBearing(path_->bearing) : path_->bearing;
    accept();
}

PresetDialog::PresetDialog(int bearing, QWidget* parent) : QDialog(parent) {
    const QString title = QStringLiteral("プリセット登録");
    setWindowTitle(title);
    setAccessibleName(title);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    nameEdit_ = labelled(form, QStringLiteral("名前"), new QLineEdit);
    nameEdit_->setMaxLength(40);
    bearingBox_ = labelled(form, QStringLiteral("方位"), new QSpinBox);
    bearingBox_->setRange(0, 359);
    bearingBox_->setSuffix(QStringLiteral("°"));
    bearingBox_->setValue(bearing);
    auto* buttons = new QDialogButtonBox;
    layout->addWidget(buttons);
    QPushButton* registerButton =
        button(buttons, QStringLiteral("登録"), QDialogButtonBox::AcceptRole);
    button(buttons, QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    registerButton->setEnabled(false);
    connect(nameEdit_, &QLineEdit::textChanged, this, [registerButton](const QString& text) {
        registerButton->setEnabled(!text.trimmed().isEmpty());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString PresetDialog::name() const {
    return nameEdit_->text().trimmed();
}

int PresetDialog::bearing() const {
    return bearingBox_->value();
}

} // namespace roteka
