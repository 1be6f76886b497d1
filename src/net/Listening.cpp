#include "net/Listening.h"

#include "net/Logging.h"
#include "net/UdpListener.h"
#include "platform/MessageBoxes.h"

#include <QHostInfo>
#include <QList>

namespace roteka {

QHostAddress hostAddress(const QString& host) {
    const QHostAddress address(host);
    if (!address.isNull())
        return address;
    return QHostInfo::fromName(host).addresses().value(0);
}

void reportCannotListen(MessageBoxes& messages, const QString& host, quint16 port,
                        QAbstractSocket::SocketError error, const QString& errorText) {
    QString reason = QStringLiteral("ホスト名が見つかりません。");
    if (!errorText.isEmpty()) {
        reason = error == QAbstractSocket::AddressInUseError
                     ? QStringLiteral("ほかのプログラムが使用中です。")
                 : error == QAbstractSocket::SocketAddressNotAvailableError
                     ? QStringLiteral("このパソコンのアドレスではありません。")
                 : error == QAbstractSocket::SocketAccessError
                     ? QStringLiteral("使用する権限がありません。")
                     : QString();
        reason += QStringLiteral("（%1）").arg(errorText);
    }
    qCWarning(lcNet).noquote() << QStringLiteral("cannot listen on %1 port %2: %3")
                                      .arg(host)
                                      .arg(port)
                                      .arg(errorText.isEmpty() ? "no such host" : errorText);
    messages.show(messageLines({
        QStringLiteral("ネットワークからの制御を開始できませんでした。"),
        QString(),
        QStringLiteral("アドレス：%1　ポート：%2").arg(host).arg(port),
        QStringLiteral("理由：%1").arg(reason),
        QString(),
        QStringLiteral("ネットワークからの制御なしで動作を続けます。"),
    }));
}

bool bindOrReport(UdpListener& listener, const QString& host, quint16 port,
                  MessageBoxes& messages) {
    const QHostAddress address = hostAddress(host);
    if (address.isNull()) {
        reportCannotListen(messages, host, port, QAbstractSocket::HostNotFoundError, QString());
        return false;
    }
    if (!listener.bind(address, port)) {
        reportCannotListen(messages, host, port, listener.error(), listener.errorString());
        return false;
    }
    return true;
}

} // namespace roteka
