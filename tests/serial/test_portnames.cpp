// How port numbers name devices, the line settings the port accepts, and the device list.
#include "FakePlatform.h"
#include "PtyPeer.h"

#include "serial/DeviceCatalogue.h"
#include "serial/LineSettings.h"
#include "serial/PortNames.h"
#include "serial/QtSerialPort.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace roteka;
using namespace roteka::test;

class PortNamesTest : public QObject {
    Q_OBJECT
private slots:
    void table_data();
    void table();
    void reverseTable_data();
    void reverseTable();
    void aliasNames_data();
    void aliasNames();
    void aliasWinsOverTable();
    void aliasPointingNowhere();
    void aliasDirectoryFollowsXdg();
    void catalogueListsAliases();
    void lineSettings_data();
    void lineSettings();
};

void PortNamesTest::table_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("device");
    QTest::newRow("COM1") << 1 << "/dev/ttyS0";
    QTest::newRow("COM32") << 32 << "/dev/ttyS31";
    QTest::newRow("COM33") << 33 << "/dev/ttyUSB0";
    QTest::newRow("COM64") << 64 << "/dev/ttyUSB31";
    QTest::newRow("COM65") << 65 << "/dev/ttyACM0";
    QTest::newRow("COM96") << 96 << "/dev/ttyACM31";
    QTest::newRow("COM97") << 97 << "/dev/ttyAMA0";
    QTest::newRow("COM128") << 128 << "/dev/ttyAMA31";
    QTest::newRow("COM129") << 129 << "/dev/rfcomm0";
    QTest::newRow("COM160") << 160 << "/dev/rfcomm31";
    QTest::newRow("COM161 names nothing") << 161 << "";
    QTest::newRow("COM0 names nothing") << 0 << "";
    QTest::newRow("negative names nothing") << -3 << "";
}

void PortNamesTest::table() {
    QFETCH(int, number);
    QFETCH(QString, device);
    QCOMPARE(devicePathForPort(number, QStringLiteral("/nonexistent/aliases")), device);
}

void PortNamesTest::reverseTable_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("number");
    QTest::newRow("ttyS0") << "/dev/ttyS0" << 1;
    QTest::newRow("ttyUSB0") << "/dev/ttyUSB0" << 33;
    QTest::newRow("ttyACM3") << "/dev/ttyACM3" << 68;
    QTest::newRow("rfcomm31") << "/dev/rfcomm31" << 160;
    QTest::newRow("beyond the table") << "/dev/ttyUSB32" << 0;
    QTest::newRow("leading zero") << "/dev/ttyUSB01" << 0;
    QTest::newRow("pseudo-terminal") << "/dev/pts/3" << 0;
    QTest::newRow("prefix only") << "/dev/ttyS" << 0;
}

void PortNamesTest::reverseTable() {
    QFETCH(QString, device);
    QFETCH(int, number);
    QCOMPARE(tablePortNumber(device).value_or(0), number);
}

void PortNamesTest::aliasNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("COM5") << "COM5" << 5;
    QTest::newRow("COM1") << "COM1" << 1;
    QTest::newRow("largest") << "COM32767" << 32767;
    QTest::newRow("too large") << "COM32768" << 0;
    QTest::newRow("six digits") << "COM100000" << 0;
    QTest::newRow("zero") << "COM0" << 0;
    QTest::newRow("leading zero") << "COM05" << 0;
    QTest::newRow("no number") << "COM" << 0;
    QTest::newRow("lower case") << "com5" << 0;
    QTest::newRow("letters after") << "COM5x" << 0;
    QTest::newRow("sign") << "COM+5" << 0;
    QTest::newRow("something before") << "xCOM5" << 0;
    QTest::newRow("digits of another script") << QStringLiteral("COM\u0665") << 0;
    QTest::newRow("full-width digit") << QStringLiteral("COM\uFF15") << 0;
}

void PortNamesTest::aliasNames() {
    QFETCH(QString, name);
    QFETCH(int, number);
    QCOMPARE(aliasPortNumber(name).value_or(0), number);
}

void PortNamesTest::aliasWinsOverTable() {
    TestDirectory dir;
    PtyPeer controller(dir.aliasDir(), 5);
    QCOMPARE(devicePathForPort(5, dir.aliasDir()), dir.aliasDir() + QStringLiteral("/COM5"));
    QCOMPARE(devicePathForPort(6, dir.aliasDir()), QStringLiteral("/dev/ttyS5"));
    const auto aliases = listPortAliases(dir.aliasDir());
    QCOMPARE(aliases.size(), 1);
    QCOMPARE(aliases[0].number, 5);
    QCOMPARE(aliases[0].target, QFileInfo(controller.slavePath()).canonicalFilePath());
}

void PortNamesTest::aliasPointingNowhere() {
    TestDirectory dir;
    QVERIFY(QFile::link(QStringLiteral("/dev/nothing-here"), dir.aliasDir() + "/COM200"));
    // The alias still names the port, so the open fails instead of reaching another device.
    QCOMPARE(devicePathForPort(200, dir.aliasDir()), dir.aliasDir() + QStringLiteral("/COM200"));
    QVERIFY(listPortAliases(dir.aliasDir()).isEmpty());

    QtSerialPort port;
    port.setCommPort(200);
    QVERIFY_THROWS_EXCEPTION(RunTimeError, port.setPortOpen(true));
    QVERIFY(!port.portOpen());
}

void PortNamesTest::aliasDirectoryFollowsXdg() {
    TestDirectory dir;
    QCOMPARE(aliasDirectory(), dir.aliasDir());
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(aliasDirectory(), QDir::homePath() + QStringLiteral("/.config/roteka/ports"));
}

void PortNamesTest::catalogueListsAliases() {
    TestDirectory dir;
    PtyPeer first(dir.aliasDir(), 41);
    PtyPeer second(dir.aliasDir(), 7);
    QVERIFY(QFile::link(QStringLiteral("/dev/nothing-here"), dir.aliasDir() + "/COM9"));
    QVERIFY(QFile::link(first.slavePath(), dir.aliasDir() + "/notaport"));
    QtDeviceCatalogue catalogue;
    const QStringList names = catalogue.serialDeviceNames();
    const QString firstName = QFileInfo(first.slavePath()).fileName();
    const QString secondName = QFileInfo(second.slavePath()).fileName();
    QVERIFY(names.contains(QStringLiteral("%1 (COM41)").arg(firstName)));
    QVERIFY(names.contains(QStringLiteral("%1 (COM7)").arg(secondName)));
    QVERIFY(names.indexOf(QStringLiteral("%1 (COM7)").arg(secondName)) <
            names.indexOf(QStringLiteral("%1 (COM41)").arg(firstName)));
    for (const QString& name : names) {
        QVERIFY2(!name.contains(QStringLiteral("(COM9)")), qPrintable(name));
        QVERIFY2(name.endsWith(QLatin1Char(')')), qPrintable(name));
    }
}

void PortNamesTest::lineSettings_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::newRow("default") << "9600,N,8,1" << true << 9600 << int(QSerialPort::NoParity) << 8
                             << int(QSerialPort::OneStop);
    QTest::newRow("even 7 2") << "4800,E,7,2" << true << 4800 << int(QSerialPort::EvenParity) << 7
                              << int(QSerialPort::TwoStop);
    QTest::newRow("odd 5 1.5") << "110,O,5,1.5" << true << 110 << int(QSerialPort::OddParity) << 5
                               << int(QSerialPort::OneAndHalfStop);
    QTest::newRow("mark, lower case")
        << "19200,m,6,1" << true << 19200 << int(QSerialPort::MarkParity) << 6
        << int(QSerialPort::OneStop);
    QTest::newRow("space, blanks")
        << " 115200 , S , 8 , 1 " << true << 115200 << int(QSerialPort::SpaceParity) << 8
        << int(QSerialPort::OneStop);
    QTest::newRow("empty") << "" << false << 0 << 0 << 0 << 0;
    QTest::newRow("three fields") << "9600,N,8" << false << 0 << 0 << 0 << 0;
    QTest::newRow("five fields") << "9600,N,8,1,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("bad parity") << "9600,X,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("nine data bits") << "9600,N,9,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("four data bits") << "9600,N,4,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("stop bits 3") << "9600,N,8,3" << false << 0 << 0 << 0 << 0;
    QTest::newRow("baud not a number") << "fast,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("baud zero") << "0,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("baud negative") << "-9600,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("baud huge") << "99999999999,N,8,1" << false << 0 << 0 << 0 << 0;
}

void PortNamesTest::lineSettings() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const auto parsed = parseLineSettings(text);
    QCOMPARE(parsed.has_value(), valid);
    if (!valid)
        return;
    QFETCH(int, baud);
    QFETCH(int, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QCOMPARE(parsed->baudRate, baud);
    QCOMPARE(int(parsed->parity), parity);
    QCOMPARE(int(parsed->dataBits), dataBits);
    QCOMPARE(int(parsed->stopBits), stopBits);
}

QTEST_MAIN(PortNamesTest)
#include "test_portnames.moc"
