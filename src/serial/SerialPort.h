#pragma once

#include <QObject>
#include <QString>

namespace roteka {

// Responsibilities: the serial port service the window drives (the "MSComm1" of the form).
// Port number and line settings take effect at the next open (line settings also for the
// open port); open, close, is-open; writing a text; the count of received characters waiting;
// a read of at most inputLen() characters; a receive notification, onComm(2), on the window
// thread once rThreshold() characters are waiting. Failures raise RunTimeError.
class SerialPort : public QObject {
    Q_OBJECT
public:
    static constexpr int ReceiveEvent = 2;

    using QObject::QObject;
    ~SerialPort() override = default;

    virtual void setCommPort(int number) = 0;
    virtual int commPort() const = 0;
    virtual void setSettings(const QString& settings) = 0;
    virtual QString settings() const = 0;
    virtual void setPortOpen(bool open) = 0;
    virtual bool portOpen() const = 0;
    virtual void output(const QString& text) = 0;
    virtual int inBufferCount() const = 0;
    virtual QString input() = 0;
    virtual int commEvent() const = 0;

    // Both start at 1, so that replies arrive even when the window's start-up failed before
    // setting them.
    void setInputLen(int count) { inputLen_ = count; }
    int inputLen() const { return inputLen_; }
    void setRThreshold(int count) { rThreshold_ = count; }
    int rThreshold() const { return rThreshold_; }

signals:
    // A communication event; commEvent() tells its kind while the handler runs.
    void onComm();
    // The device went away while open (adapter pulled out, other end hung up). The port is
    // closed when this is emitted.
    void deviceLost();

protected:
    // How many of the waiting characters one input() takes: inputLen(), or all of them when
    // it is 0 or less.
    qsizetype inputCount(qsizetype waiting) const {
        return inputLen_ <= 0 ? waiting : qMin<qsizetype>(inputLen_, waiting);
    }
    // Whether that many waiting characters raise the receive notification (never when
    // rThreshold() is 0 or less).
    bool receiveThresholdMet(qsizetype waiting) const {
        return rThreshold_ > 0 && waiting >= rThreshold_;
    }

private:
    int inputLen_ = 1;
    int rThreshold_ = 1;
};

} // namespace roteka
