#pragma once

#include "FakePlatform.h"
#include "PtyPeer.h"
#include "Tables.h"

#include "app/Program.h"
#include "ui/PictureBox.h"
#include "ui/TabControl.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace roteka::test {

inline const QByteArray UsualSettings = "3,9600,N,8,1:0\r\n";

// Responsibilities: the rotator's control on the fake platform in a test directory with the given
// settings file (port 3 by default), none, or a directory in its place; started unless asked not
// to.
struct FakeStation {
    enum Start { StartNow, StartLater };
    static inline const QByteArray NoFile = "<none>";
    static inline const QByteArray DirectoryInstead = "<directory>";

    explicit FakeStation(const QByteArray& settingsFile = UsualSettings, Start when = StartNow,
                         bool withWindow = false) {
        if (settingsFile == DirectoryInstead)
            QDir().mkdir(QStringLiteral("ROTEKA.DAT"));
        else if (settingsFile != NoFile)
            dir.writeFile(QStringLiteral("ROTEKA.DAT"), settingsFile);
        if (withWindow)
            shownBy = std::make_unique<MainWindow>(control, platform.pointer, presets);
        if (when == StartNow)
            control.startUp();
    }
    TestDirectory dir;
    FakePlatform platform;
    ControllerLink link{platform.serial};
    SettingsStore settings{QStringLiteral("ROTEKA.DAT")};
    OperatorControl control{link, settings, platform.devices, platform.messages};
    RemoteRequests requests{control};
    Presets presets{dir.path() + QStringLiteral("/roteka.conf"), platform.messages};
    std::unique_ptr<MainWindow> shownBy;
};

// The window on the fake platform, started as FakeStation starts.
struct FakeWindow : FakeStation {
    explicit FakeWindow(const QByteArray& settingsFile = UsualSettings, Start when = StartNow)
        : FakeStation(settingsFile, when, true), window(*shownBy) {}
    MainWindow& window;
};

// Responsibilities: the program on the real platform services, its messages recorded, not
// started yet: the test prepares the settings file and the port, then starts the control.
struct RealWindow {
    RecordingMessageBoxes messages;
    std::unique_ptr<Program> program = std::make_unique<Program>(&messages);
    OperatorControl& control = program->control;
    ControllerLink& link = program->link;
    MainWindow& window = program->window;
};

// The test's directory with COM<n> bound to a pseudo-terminal whose other end the test plays as
// the controller; the controller can be replaced (a device that goes away and comes back).
struct BoundController {
    explicit BoundController(int portNumber)
        : portNumber(portNumber),
          controller(std::make_unique<PtyPeer>(dir.aliasDir(), portNumber)) {}
    // A settings file naming COM<n> with the given line settings and no offset.
    void writeSettings(const QString& lineSettings = QStringLiteral("9600,N,8,1")) {
        dir.writeFile(QStringLiteral("ROTEKA.DAT"),
                      QStringLiteral("%1,%2:0\r\n").arg(portNumber).arg(lineSettings).toLatin1());
    }
    int portNumber;
    TestDirectory dir;
    std::unique_ptr<PtyPeer> controller;
};

// Responsibilities: the program on the real serial service, its settings naming COM<n> bound to the
// controller's pseudo-terminal (or the given content).
struct PtyStation : BoundController, RealWindow {
    explicit PtyStation(int portNumber, const QByteArray& settingsFile = {})
        : BoundController(portNumber) {
        settingsFile.isEmpty() ? writeSettings()
                               : dir.writeFile(QStringLiteral("ROTEKA.DAT"), settingsFile);
        control.startUp();
    }
};

// Responsibilities: the controller simulator as a process, its pseudo-terminal bound as COM<n>
// in the directory's alias directory, logging what it receives. `bound` tells whether it came up.
struct Simulator {
    Simulator(const TestDirectory& dir, int port, const QStringList& options) {
        process.start(
            QStringLiteral(ROTEKA_SIM_PATH),
            QStringList{"--alias", QString::number(port), "--alias-dir", dir.aliasDir(), "--log"} +
                options);
        bound = waitFor([&] { return output().contains("\nALIAS "); }, 10000);
    }
    ~Simulator() {
        process.kill();
        process.waitForFinished(5000);
    }
    const QByteArray& output() { return printed += process.readAllStandardOutput(); }
    // Waits until it logs that line as received.
    bool received(const QByteArray& line, int timeout = 5000) {
        return waitFor([&] { return output().contains("\nRX " + line + '\n'); }, timeout);
    }
    QProcess process;
    QByteArray printed;
    bool bound = false;
};

// A loopback TCP port nothing listens on now.
inline quint16 freeTcpPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// A control of the window, found by its object name.
template <class Control> Control* part(const QWidget& window, const QString& name) {
    Control* found = window.findChild<Control*>(name);
    if (!found)
        qFatal("the window has no %s named %s", Control::staticMetaObject.className(),
               qPrintable(name));
    return found;
}

// The control's state as the window shows it, in one line: status line | connect caption |
// azimuth | commanded angle | caption before the commanded angle | receive buffer.
inline QString state(const OperatorControl& control, const ControllerLink& link) {
    return QStringList{control.statusLine(),
                       control.offersConnect() ? "接続" : "切断",
                       azimuthText(control.azimuth()),
                       commandedAngleText(control.commandedAngle()),
                       control.waitingFirstValue() ? "初期化中" : "設定角度 ＝",
                       link.receiveBuffer()}
        .join('|');
}
inline QString state(const FakeStation& station) {
    return state(station.control, station.link);
}

// The same line read from the window's controls.
inline QString state(const MainWindow& window, const ControllerLink& link) {
    return QStringList{part<QLabel>(window, "statusLabel")->text(),
                       part<QPushButton>(window, "connectButton")->text(),
                       part<QLabel>(window, "azimuthLabel")->text(),
                       part<QLabel>(window, "commandedAngleLabel")->text(),
                       part<QLabel>(window, "commandedAngleCaption")->text(),
                       link.receiveBuffer()}
        .join('|');
}

// Once a widget of the kind is the active popup (a menu) or the active modal one (a dialog), does
// the step on it; the caller's own event loop goes on meanwhile.
template <class Kind> void whenOpen(std::function<void(Kind*)> step) {
    auto* poll = new QTimer;
    poll->start(5);
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        QWidget* open = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                          : QApplication::activeModalWidget();
        if (auto* kind = qobject_cast<Kind*>(open)) {
            poll->deleteLater();
            step(kind);
        }
    });
}

// Whether the picture is the committed one at that path (the picture is written there instead
// when ROTEKA_UPDATE_GOLDEN is set: look at it before committing).
inline bool sameAsGolden(const QImage& image, const QString& path) {
    if (qEnvironmentVariableIsSet("ROTEKA_UPDATE_GOLDEN"))
        image.save(path);
    return image.convertToFormat(QImage::Format_RGB32) ==
           QImage(path).convertToFormat(QImage::Format_RGB32);
}

// The messages the window shows, as it shows them (lines joined with CR LF).
inline const QString FailureReport = QStringLiteral("ポートを設定しようとしましたが、"
                                                    "このポートのオープンに失敗しました。\r\n\r\n"
                                                    "パソコンのコムポートに合わせ修正し"
                                                    "環境登録ボタンで登録してください。\r\n\r\n"
                                                    "旧システムで環境設定している場合は、"
                                                    "「ROTEKA.DAT」を新バージョン用に"
                                                    "変更しましたので再設定してください。");
inline const QString Registered = QStringLiteral("環境への登録が終了しました。\r\n\r\n"
                                                 "コムポート変更の場合は"
                                                 "このプログラムを一度再起動してください。");

} // namespace roteka::test
