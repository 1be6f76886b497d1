// The device vanishes while open: the controller (the simulator) is killed in the middle of its
// stream of replies. The window keeps running, shows the closed port at once, and after a new
// controller comes up on the same port alias a click on connect brings the replies back.
#include "FakePlatform.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"
#include "ui/CaptionLabel.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace roteka;
using namespace roteka::test;

namespace {

constexpr int Port = 15;

// The simulator on COM<Port>, turning fast and reporting often. Null when it did not come up.
std::unique_ptr<QProcess> startSimulator(const TestDirectory& dir, const QStringList& extra) {
    auto sim = std::make_unique<QProcess>();
    QStringList arguments{QStringLiteral("--alias"),
                          QString::number(Port),
                          QStringLiteral("--alias-dir"),
                          dir.aliasDir(),
                          QStringLiteral("--speed"),
                          QStringLiteral("150"),
                          QStringLiteral("--moving-interval"),
                          QStringLiteral("10"),
                          QStringLiteral("--idle-interval"),
                          QStringLiteral("10"),
                          QStringLiteral("--seed"),
                          QStringLiteral("7"),
                          QStringLiteral("--log")};
    sim->start(QStringLiteral(ROTEKA_SIM_PATH), arguments + extra);
    if (!sim->waitForStarted(10000))
        return nullptr;
    const bool bound = waitFor(
        [&] {
            sim->waitForReadyRead(10);
            return sim->peek(4096).contains("\nALIAS ");
        },
        10000);
    if (!bound)
        return nullptr;
    sim->readAll();
    return sim;
}

} // namespace

class DeviceVanishesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void killedMidStream_data();
    void killedMidStream();
};

void DeviceVanishesTest::initTestCase() {
#ifndef ROTEKA_SIM_PATH
    QSKIP("built without the simulator");
#endif
}

void DeviceVanishesTest::killedMidStream_data() {
    QTest::addColumn<QStringList>("line");
    QTest::newRow("clean line") << QStringList();
    QTest::newRow("noisy line, replies in pieces")
        << QStringList{QStringLiteral("--garbage"), QStringLiteral("--split")};
}

void DeviceVanishesTest::killedMidStream() {
#ifdef ROTEKA_SIM_PATH
    QFETCH(QStringList, line);
    TestDirectory dir;
    auto sim = startSimulator(dir, line);
    QVERIFY(sim);
    dir.writeFile(QStringLiteral("ROTEKA.DAT"),
                  QStringLiteral("%1,9600,N,8,1:0\r\n").arg(Port).toLatin1());
    RealWindow window;
    window.form->Form_Load();
    QVERIFY(window.platform.serial.portOpen());
    int changes = 0;
    connect(window.form->Label4, &CaptionLabel::change, this, [&] { ++changes; });

    window.form->Command3->click();
    QVERIFY(waitFor([&] { return changes >= 5; }));
    sim->kill();
    QVERIFY(sim->waitForFinished(5000));
    QVERIFY(waitFor([&] { return !window.platform.serial.portOpen(); }, 2000));
    QCOMPARE(window.form->Label1->text(), QStringLiteral("port = False"));
    QCOMPARE(window.form->Command6->text(), QStringLiteral("接続"));

    const QString lastShown = window.form->Label4->text();
    window.form->Command1->click();
    QCOMPARE(window.form->Label1->text(), QStringLiteral("port = False"));
    QCOMPARE(window.form->Label4->text(), lastShown);

    sim = startSimulator(dir, line);
    QVERIFY(sim);
    window.form->Command6->click();
    QVERIFY(window.platform.serial.portOpen());
    QCOMPARE(window.form->Label1->text(), QStringLiteral("Port = True"));
    const int before = changes;
    window.form->Command3->click();
    QByteArray received;
    QVERIFY(waitFor([&] {
        received += sim->readAll();
        return received.contains("RX R");
    }));
    QVERIFY(waitFor([&] { return changes >= before + 5; }));
    QCOMPARE(window.messages.shown, QStringList());
    sim->terminate();
    QVERIFY(sim->waitForFinished(5000));
#endif
}

QTEST_MAIN(DeviceVanishesTest)
#include "test_faults_device.moc"
