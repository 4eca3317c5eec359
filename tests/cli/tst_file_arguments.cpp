// SPDX-License-Identifier: GPL-3.0-or-later
// Which first argument opens the window on files to import and which runs a
// command: a command's name always wins, even over a file of that name, and
// a mistyped command still gets its message rather than a window.
#include "cli/dispatcher.h"

#include <QFile>
#include <QTest>

class TestFileArguments : public QObject
{
    Q_OBJECT

private slots:
    void firstArgument_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("file");
        QTest::newRow("command") << "export" << false;
        QTest::newRow("command, a file of that name here") << "import" << false;
        QTest::newRow("help") << "help" << false;
        QTest::newRow("mistyped command") << "imprt" << false;
        QTest::newRow("existing file") << "notes" << true;
        QTest::newRow("card not there") << "anne.vcf" << true;
        QTest::newRow("suffix in capitals") << "ANNE.VCARD" << true;
        QTest::newRow("csv") << "list.csv" << true;
        QTest::newRow("path") << "./x" << true;
        QTest::newRow("absolute path") << "/nowhere/x" << true;
    }
    void firstArgument()
    {
        QFETCH(QString, argument);
        QFETCH(bool, file);
        for (const char *name : {"import", "notes"}) {
            QFile f(QString::fromLatin1(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QByteArray bytes = argument.toLocal8Bit();
        char program[] = "vellora-carnetique-97";
        char *argv[] = {program, bytes.data(), nullptr};
        QCOMPARE(vcq::cli::namesFileToOpen(bytes.constData()), file);
        QCOMPARE(vcq::cli::isCommandLine(2, argv), !file);
    }
};

QTEST_GUILESS_MAIN(TestFileArguments)
#include "tst_file_arguments.moc"
