#pragma once

#include <QString>

#include <stdexcept>
#include <utility>

namespace roteka {

// Responsibilities: the single error type of the program. Platform layers (serial port,
// device listing, settings file) and the text-to-number conversions raise it; start-up
// catches it once and shows its failure report, every other handler runs each of its
// steps through ignoreErrors() so that a failing step is skipped and the next one runs.
class RunTimeError : public std::runtime_error {
public:
    explicit RunTimeError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Runs one step of a handler whose failures are ignored. Returns whether the step completed.
template <class Step> bool ignoreErrors(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const RunTimeError&) {
        return false;
    }
}

} // namespace roteka
