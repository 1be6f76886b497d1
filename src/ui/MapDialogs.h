#pragma once

#include "rules/Locator.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace roteka {

// Responsibilities: asks for a Maidenhead locator and shows, as it is typed, the short path from
// the station to its centre (bearing and distance in km) and the long path's bearing, or why the
// text is not a locator, the turn buttons disabled then. It ends with the bearing of the path the
// operator chose.
class LocatorDialog : public QDialog {
    Q_OBJECT
public:
    LocatorDialog(GeoPoint station, QWidget* parent = nullptr);

    // The bearing of the path chosen, in degrees; none when cancelled.
    std::optional<double> chosenBearing() const { return chosen_; }

private:
    void showPaths(const QString& text);
    void choose(bool longPath);

    GeoPoint station_;
    std::optional<GreatCircle> path_;
    std::optional<double> chosen_;
    QLineEdit* locatorEdit_ = nullptr;
    QLabel* pathsLabel_ = nullptr;
    QPushButton* shortButton_ = nullptr;
    QPushButton* longButton_ = nullptr;
};

// Responsibilities: asks for a preset's name and bearing (the bearing given, editable, 0 to 359);
// registering needs a name.
class PresetDialog : public QDialog {
    Q_OBJECT
public:
    PresetDialog(int bearing, QWidget* parent = nullptr);

    QString name() const;
    int bearing() const;

private:
    QLineEdit* nameEdit_ = nullptr;
    QSpinBox* bearingBox_ = nullptr;
};

// What the operator is told of a text that is not a locator.
QString locatorProblemText(LocatorProblem problem);

} // namespace roteka
