#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QString>

namespace roteka {

class MessageBoxes;
class UdpListener;

// The address of a host given as an address or as a name to look up; null when there is none.
QHostAddress hostAddress(const QString& host);

// Tells the operator that other programs cannot reach ROTEKA at the host and port, and why (the
// common reasons in the window's language, with the system's words after them), and logs it. An
// error of UnknownSocketError with no text means the host has no address.
void reportCannotListen(MessageBoxes& messages, const QString& host, quint16 port,
                        QAbstractSocket::SocketError error, const QString& errorText);

// Binds the listener to the host and port; when it cannot, reports it as above and gives false.
bool bindOrReport(UdpListener& listener, const QString& host, quint16 port, MessageBoxes& messages);

} // namespace roteka
