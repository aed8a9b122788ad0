// The program as started from its executable: a file size limit (ulimit -f)
// must not end it. Past the limit a write then fails with EFBIG, which the
// saving code reports like any other failed write (tests/output).

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class TestMain : public QObject
{
    Q_OBJECT

private slots:
    void fileSizeLimitSignalIsIgnored();
};

void TestMain::fileSizeLimitSignalIsIgnored()
{
    QProcess program;
    program.setChildProcessModifier([] {
        const rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(OXELN_EXECUTABLE), {});
    QVERIFY2(program.waitForStarted(5000), qPrintable(program.errorString()));

    // The signals the program ignores, as the kernel reports them.
    const auto ignored = [&program]() -> quint64 {
        QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("SigIgn:"))
                return line.mid(7).trimmed().toULongLong(nullptr, 16);
        }
        return 0;
    };
    const quint64 bit = quint64(1) << (SIGXFSZ - 1);
    QTRY_VERIFY_WITH_TIMEOUT((ignored() & bit) != 0 || program.state() != QProcess::Running, 10000);
    QCOMPARE(program.state(), QProcess::Running);
    QVERIFY(ignored() & bit);
    program.kill();
    program.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(TestMain)
#include "tst_main.moc"
