// SPDX-License-Identifier: GPL-3.0-or-later
// The real program as its own process, for faults only a process shows: a
// file size limit (SIGXFSZ) at the first start must be reported, not kill the
// program, and must leave no ruined data file for the next start.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

class TestProgramProcess : public QObject
{
    Q_OBJECT

    // Starts the program in `folder` with the given file size limit (bytes).
    static void start(QProcess &program, const QString &folder, rlim_t fileSizeLimit)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", folder + "/config");
        env.insert("HOME", folder);
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + folder + "/no-system-bus");
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(folder + "/work");
        program.setProgram(QStringLiteral(VCQ_PROGRAM));
        program.setChildProcessModifier([fileSizeLimit] {
            rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        program.start();
    }

private slots:
    void aFileSizeLimitAtFirstStartIsReported_data()
    {
        QTest::addColumn<int>("limit");
        QTest::newRow("500 bytes") << 500;
        QTest::newRow("one byte short of a record") << 763;
    }
    void aFileSizeLimitAtFirstStartIsReported()
    {
        QFETCH(int, limit);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("work"));
        QVERIFY(QDir(dir.path()).mkpath("config"));
        QProcess program;
        program.setProcessChannelMode(QProcess::SeparateChannels);
        start(program, dir.path(), rlim_t(limit));
        QVERIFY(program.waitForStarted());
        QByteArray errors;
        // The program either reports the failure or dies; both end the wait.
        QTRY_VERIFY_WITH_TIMEOUT((errors += program.readAllStandardError()).contains("Disk full") ||
                                     program.state() == QProcess::NotRunning,
                                 30000);
        QCOMPARE(program.state(), QProcess::Running);
        QVERIFY2(errors.contains("Disk full"), errors.constData());
        // No partial file, no temporary left behind.
        QCOMPARE(
            QDir(dir.path() + "/work")
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList());
        program.kill();
        QVERIFY(program.waitForFinished());

        // The next start, without the limit, creates the file whole.
        QProcess again;
        start(again, dir.path(), RLIM_INFINITY);
        QVERIFY(again.waitForStarted());
        const QString data = dir.path() + "/work/VCQ97.NAM";
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(data).size(), qint64(764), 30000);
        again.kill();
        QVERIFY(again.waitForFinished());
    }
};

QTEST_GUILESS_MAIN(TestProgramProcess)
#include "tst_program_process.moc"
