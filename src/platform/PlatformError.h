#pragma once

#include <QLoggingCategory>
#include <QString>

#include <stdexcept>
#include <utility>

namespace roteka {

// Responsibilities: the one error type of the platform services (serial port, device list,
// settings and trace files). Its message says what failed and why, in the system's words where
// the system gave any. Start-up catches it once and shows its failure report; the operator's own
// actions carry on past a failing step (see carryOn()).
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A logging category as Qt declares one: a function that returns it.
using LogCategory = const QLoggingCategory& (*)();

// Runs one step of an operation that goes on whatever the step's fate: a button press never
// stops at a port that refuses a command, and the status line, not an error box, tells the
// operator what state the port is in. A failure is logged in the category, as what was being done
// and the error's reason. Returns whether the step completed.
template <class Step> bool carryOn(LogCategory category, const char* doing, Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const PlatformError& error) {
        qCWarning(category).noquote().nospace() << doing << ": " << error.message();
        return false;
    }
}

} // namespace roteka
