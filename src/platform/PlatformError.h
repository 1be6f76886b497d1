#pragma once

#include <QString>

#include <stdexcept>
#include <utility>

namespace roteka {

// Responsibilities: the one error type of the platform services (serial port, device list,
// settings file). Start-up catches it once and shows its failure report; the operator's own
// actions carry on past a failing step (see carryOn()).
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Runs one step of an operation that goes on whatever the step's fate: a button press never
// stops at a port that refuses a command, and the status line, not an error box, tells the
// operator what state the port is in. Returns whether the step completed.
template <class Step> bool carryOn(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const PlatformError&) {
        return false;
    }
}

} // namespace roteka
