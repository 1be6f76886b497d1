#pragma once

#include <QString>

class QWidget;

namespace roteka {

// Responsibilities: shows the program's messages. Every message is modal, has an OK button
// only, no icon, and carries the application's title "ROTEKA". Lines are joined with CR LF.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const QString& text) = 0;
};

// The real message boxes, parented to the main window.
class QtMessageBoxes : public MessageBoxes {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const QString& text) override;

private:
    QWidget* parent_ = nullptr;
};

// Joins message lines as the program shows them: CR LF between lines.
QString messageLines(std::initializer_list<QString> lines);

} // namespace roteka
