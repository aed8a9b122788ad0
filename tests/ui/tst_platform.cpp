// Whether a debugger is attached, as the build stamp asks it: the status
// text of real processes, and the program itself run under gdb.
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void tracerPidFromStatus_data();
    void tracerPidFromStatus();
    void buildStampWrittenUnderDebugger();
};

void TestPlatform::tracerPidFromStatus_data()
{
    // The start of /proc/PID/status of a process that strace (PID 8214) was tracing.
    QFile file(QStringLiteral(OXELN_TEST_DATA "/status-traced.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray traced = file.readAll();
    QVERIFY(traced.contains("\nPid:\t8218\nPPid:\t8214\nTracerPid:\t8214\n"));

    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<int>("tracer");
    QTest::newRow("traced") << traced << 8214;
    QTest::newRow("not traced") << QByteArray(traced).replace("TracerPid:\t8214", "TracerPid:\t0") << 0;
    QTest::newRow("cut after the line")
        << traced.left(traced.indexOf("TracerPid:") + int(qstrlen("TracerPid:\t8214"))) << 8214;
    QTest::newRow("no such line") << QByteArray(traced).replace("TracerPid:", "Tracer:") << 0;
    QTest::newRow("unreadable value") << QByteArray("Name:\tx\nTracerPid:\t-\n") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TestPlatform::tracerPidFromStatus()
{
    QFETCH(QByteArray, status);
    QFETCH(int, tracer);
    QCOMPARE(oxeln::TracerPidIn(status), tracer);
}

void TestPlatform::buildStampWrittenUnderDebugger()
{
    const QString gdb = QStandardPaths::findExecutable(QStringLiteral("gdb"));
    if (gdb.isEmpty())
        QSKIP("gdb is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The program's settings file lies beside it: a copy in our own folder.
    const QString program = dir.filePath(QStringLiteral("oxeln"));
    QVERIFY(QFile::copy(QStringLiteral(OXELN_BINARY), program));

    QProcess debugger;
    debugger.setWorkingDirectory(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    debugger.setProcessEnvironment(environment);
    debugger.start(gdb, {QStringLiteral("-q"), QStringLiteral("-batch"), QStringLiteral("-nx"),
                         QStringLiteral("-ex"), QStringLiteral("handle SIGTERM nostop noprint pass"),
                         QStringLiteral("-ex"), QStringLiteral("run"), QStringLiteral("--args"), program});
    QVERIFY(debugger.waitForStarted());

    // The program is gdb's only child; ending it ends gdb's batch run.
    const auto programPid = [&debugger] {
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(debugger.processId()));
        const QByteArray pids = children.open(QIODevice::ReadOnly) ? children.readAll().trimmed() : QByteArray();
        return pids.isEmpty() || pids.contains(' ') ? 0 : pids.toInt();
    };
    const auto stopAll = qScopeGuard([&] {
        if (debugger.state() == QProcess::NotRunning)
            return;
        if (const int pid = programPid())
            ::kill(pid, SIGKILL);
        debugger.kill();
        debugger.waitForFinished(5000);
    });

    const QString stampPath = dir.filePath(QStringLiteral("_DatCompil.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(stampPath) && QFileInfo(stampPath).size() > 0, 20000);
    const int pid = programPid();
    QVERIFY(pid > 0);
    QCOMPARE(::kill(pid, SIGTERM), 0);
    QVERIFY(debugger.waitForFinished(20000));

    QFile stamp(stampPath);
    QVERIFY(stamp.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(stamp.readAll());
    // "oxeln : ", the local date and time, no line end.
    QVERIFY2(text.startsWith(QStringLiteral("oxeln : ")) && !text.contains(u'\n'), qPrintable(text));
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("\\d:\\d\\d:\\d\\d"))), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
