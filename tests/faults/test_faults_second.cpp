// A second ROTEKA on the same port: it gets the start-up failure report, and the one already
// running keeps its link; when the first one quits, the second connects.
#include "FakePlatform.h"
#include "PtyPeer.h"
#include "PtyStation.h"

#include "app/QtPlatform.h"
#include "ui/CaptionLabel.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace roteka;
using namespace roteka::test;

namespace {

const QString FailureReport = QStringLiteral(
    "ポートを設定しようとしましたが、このポートのオープンに失敗しました。\\r\\n\\r\\n"
    "パソコンのコムポートに合わせ修正し環境登録ボタンで登録してください。\\r\\n\\r\\n"
    "旧システムで環境設定している場合は、「ROTEKA.DAT」を新バージョン用に変更しましたので再設定して"
    "ください。");

// What an instance process printed about its start.
struct InstanceReport {
    QStringList messages;
    QString status;
    QString connect;
    bool portOpen = false;
    bool complete = false;
};

InstanceReport readReport(QProcess& process) {
    InstanceReport report;
    while (!report.complete) {
        if (!process.canReadLine() && !process.waitForReadyRead(10000))
            break;
        while (process.canReadLine()) {
            const QString line = QString::fromUtf8(process.readLine()).chopped(1);
            const QString value = line.section(QLatin1Char(' '), 1);
            if (line.startsWith(QLatin1String("MESSAGE ")))
                report.messages.append(value);
            else if (line.startsWith(QLatin1String("STATUS")))
                report.status = value;
            else if (line.startsWith(QLatin1String("CONNECT ")))
                report.connect = value;
            else if (line.startsWith(QLatin1String("PORT "))) {
                report.portOpen = value == QLatin1String("1");
                report.complete = true;
            }
        }
    }
    return report;
}

void startInstance(QProcess& process, const TestDirectory& dir, bool hold) {
    QStringList arguments{dir.path()};
    if (hold)
        arguments.append(QStringLiteral("--hold"));
    process.start(QStringLiteral(ROTEKA_FAULTS_INSTANCE), arguments);
    QVERIFY(process.waitForStarted(10000));
}

} // namespace

class SecondInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void secondGetsTheFailureReport_data();
    void secondGetsTheFailureReport();
    void secondConnectsWhenTheFirstQuits();
};

void SecondInstanceTest::secondGetsTheFailureReport_data() {
    QTest::addColumn<bool>("streaming");
    QTest::newRow("first idle") << false;
    QTest::newRow("first receiving replies") << true;
}

void SecondInstanceTest::secondGetsTheFailureReport() {
    QFETCH(bool, streaming);
    PtyStation first(16);
    QVERIFY(first.platform.serial.portOpen());
    if (streaming)
        first.controller->write("AZ=010\r\nAZ=011\r\nAZ=01");

    QProcess second;
    startInstance(second, first.dir, false);
    const InstanceReport report = readReport(second);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(report.complete);
    QCOMPARE(report.messages, QStringList{FailureReport});
    QCOMPARE(report.status, QString());
    QCOMPARE(report.connect, QStringLiteral("接続"));
    QVERIFY(!report.portOpen);

    first.controller->write("2\r\nAZ=077\r\n");
    QVERIFY(waitFor([&] { return first.form->Label4->text() == QStringLiteral("77"); }));
    QVERIFY(first.platform.serial.portOpen());
    QCOMPARE(first.form->Label1->text(), QStringLiteral("Port = True"));
    first.form->Command1->click();
    QCOMPARE(first.controller->readUntil(3, 2000), QByteArray("L\r\n"));
    QCOMPARE(first.messages.shown, QStringList());
}

void SecondInstanceTest::secondConnectsWhenTheFirstQuits() {
    TestDirectory dir;
    PtyPeer controller(dir.aliasDir(), 17);
    dir.writeFile(QStringLiteral("ROTEKA.DAT"), "17,9600,N,8,1:0\r\n");
    QProcess first;
    startInstance(first, dir, true);
    const InstanceReport firstReport = readReport(first);
    QVERIFY(firstReport.portOpen);
    QCOMPARE(firstReport.messages, QStringList());

    RealWindow second;
    second.form->Form_Load();
    QCOMPARE(second.messages.shown.size(), 1);
    QVERIFY(!second.platform.serial.portOpen());
    QCOMPARE(second.form->Command6->text(), QStringLiteral("接続"));

    first.closeWriteChannel();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitCode(), 0);
    second.form->Command6->click();
    QVERIFY(second.platform.serial.portOpen());
    QCOMPARE(second.form->Label1->text(), QStringLiteral("Port = True"));
    controller.write("AZ=200\r\n");
    QVERIFY(waitFor([&] { return second.form->Label4->text() == QStringLiteral("200"); }));
}

QTEST_MAIN(SecondInstanceTest)
#include "test_faults_second.moc"
