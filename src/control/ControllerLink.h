#pragma once

#include <QObject>
#include <QString>

namespace roteka {

class SerialPort;

// Responsibilities: the line to the rotator controller. It sets the port up from the settings'
// texts, sends the controller's commands, each a line ended by CR LF ("L" turn left, "A" stop, "R"
// turn right, "M" and three characters go to a bearing, or the operator's own text), and scans
// what arrives for the controller's azimuth reports, "AZ=" and three digits, a character at a
// time: each report is announced as a whole degree (360 and more reduced once by 360), then the
// end of what arrived together. Failures of the port raise PlatformError.
class ControllerLink : public QObject {
    Q_OBJECT
public:
    explicit ControllerLink(SerialPort& port, QObject* parent = nullptr);

    // The port number as the settings text gives it: blanks around it allowed, a fraction rounded
    // to even; raises for a text that is no 16-bit whole number, or one the port refuses.
    void setPortNumber(const QString& text);
    void setLineSettings(const QString& text);
    void open();
    void close();
    bool isOpen() const;
    int portNumber() const;

    void turnLeft();
    void stop();
    void turnRight();
    // Sends the go-to line for the angle; false when the angle has none (four characters or more)
    // and nothing was sent.
    bool goTo(int angle);
    // The operator's text as it stands, whatever characters it holds.
    void send(const QString& text);

    // A command that starts the antenna anew drops a reply half received.
    void dropPartialReply() { receiveBuffer_.clear(); }
    const QString& receiveBuffer() const { return receiveBuffer_; }
    // For tests and benchmarks: a reply half received.
    void setReceiveBuffer(const QString& text) { receiveBuffer_ = text; }

signals:
    void azimuthReported(int degrees);
    // Everything that arrived together has been scanned.
    void arrivalScanned();
    // The device went away; the port is closed.
    void lost();

private:
    void readReplies();
    void sendLine(const QString& text);

    SerialPort& port_;
    QString receiveBuffer_;
};

} // namespace roteka
