// SPDX-License-Identifier: GPL-3.0-or-later
// The status list read from "Filter.txt" and the items shown for a language.
#include "mainwin/filter_entries.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vcq;

Q_DECLARE_METATYPE(FilterEntries)

class TestFilterEntries : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<FilterEntries>("entries");
        QTest::newRow("empty file") << QByteArray() << FilterEntries{};
        QTest::newRow("CR LF lines, last without end")
            << QByteArray("Ami,Friend\r\nFamille,Family")
            << FilterEntries{"Ami,Friend", "Famille,Family"};
        QTest::newRow("empty lines take no number")
            << QByteArray("\n\nA,B\n\r\n\nC,D\n\n") << FilterEntries{"A,B", "C,D"};
        QTest::newRow("LF and lone CR") << QByteArray("A\rB\nC") << FilterEntries{"A", "B", "C"};
        QTest::newRow("a blank line is not empty") << QByteArray(" \n") << FilterEntries{" "};
        QTest::newRow("binary bytes kept")
            << QByteArray("a\0b,\xFF\x01", 6) << FilterEntries{std::string("a\0b,\xFF\x01", 6)};
        std::string longLine(1000, 'x');
        QTest::newRow("long line cut")
            << QByteArray::fromStdString(longLine + "\nnext")
            << FilterEntries{std::string(kMaxFilterLineLength, 'x'), "next"};
    }
    void parse()
    {
        QFETCH(QByteArray, content);
        QFETCH(FilterEntries, entries);
        QCOMPARE(parseFilterEntries(content.toStdString()), entries);
    }

    void keepsTheFirstThirtyLines()
    {
        QByteArray content;
        for (int i = 1; i <= 45; ++i)
            content += "F" + QByteArray::number(i) + ",E" + QByteArray::number(i) + "\n\n";
        const FilterEntries entries = parseFilterEntries(content.toStdString());
        QCOMPARE(entries.size(), std::size_t(30));
        QCOMPARE(entries.front(), std::string("F1,E1"));
        QCOMPARE(entries.back(), std::string("F30,E30"));
    }

    void loadsFromTheFile()
    {
        QTemporaryDir dir;
        const std::string path = QDir(dir.path()).filePath("Filter.txt").toStdString();
        QCOMPARE(LoadFilter(path), FilterEntries{});
        QFile f(QString::fromStdString(path));
        QVERIFY(f.open(QIODevice::WriteOnly));
        // Larger than one read, so lines cross read boundaries.
        for (int i = 0; i < 40; ++i)
            f.write(QByteArray(300, char('a' + i % 26)) + "\r\n");
        f.close();
        const FilterEntries entries = LoadFilter(path);
        QCOMPARE(entries.size(), std::size_t(30));
        for (std::size_t i = 0; i < entries.size(); ++i)
            QCOMPARE(entries[i], std::string(kMaxFilterLineLength, char('a' + i % 26)));
    }

    // Anything but an ordinary file of at most 1 MiB is left unread: a pipe
    // with no writer or /dev/zero used to hang the start.
    void loadRefusesWhatIsNotAStatusFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::newRow("missing") << "missing" << int(SmallFileStatus::Missing);
        QTest::newRow("fifo") << "fifo" << int(SmallFileStatus::NotRegular);
        QTest::newRow("link to /dev/zero") << "zero" << int(SmallFileStatus::NotRegular);
        QTest::newRow("folder") << "folder" << int(SmallFileStatus::NotRegular);
        QTest::newRow("1 MiB and a byte") << "large" << int(SmallFileStatus::TooLarge);
        QTest::newRow("exactly 1 MiB") << "cap" << int(SmallFileStatus::Read);
    }
    void loadRefusesWhatIsNotAStatusFile()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath("Filter.txt");
        const QByteArray p = QFile::encodeName(path);
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(p.constData(), 0600), 0);
        } else if (kind == "zero") {
            QCOMPARE(::symlink("/dev/zero", p.constData()), 0);
        } else if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("Filter.txt"));
        } else if (kind != "missing") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Ami,Friend\n");
            QVERIFY(f.resize(1024 * 1024 + (kind == "large" ? 1 : 0)));
        }
        SmallFileStatus got = SmallFileStatus::Unreadable;
        const FilterEntries entries = LoadFilter(p.toStdString(), &got);
        QCOMPARE(int(got), status);
        const FilterEntries expected =
            kind == "cap" ? FilterEntries{"Ami,Friend", std::string(kMaxFilterLineLength, '\0')}
                          : FilterEntries{};
        QCOMPARE(entries, expected);
    }

    void items_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QString>("french");
        QTest::addColumn<QString>("english");
        QTest::newRow("pair") << QByteArray("Ami,Friend") << "Ami"
                              << "Friend";
        QTest::newRow("no comma") << QByteArray("Client") << ""
                                  << "Client";
        QTest::newRow("two commas") << QByteArray("Travail,Business,Work") << "Travail"
                                    << "Business,Work";
        QTest::newRow("accented") << QByteArray("Fam\xE9,Fam") << QStringLiteral("Famé") << "Fam";
        QTest::newRow("long, kept whole")
            << QByteArray("Fournisseur de mati\xE8res,Supplier of raw materials")
            << QStringLiteral("Fournisseur de matières") << "Supplier of raw materials";
        QTest::newRow("control bytes dropped") << QByteArray("A\x01\x02z,B\x7F\x1B"
                                                             "b")
                                               << "Az"
                                               << "Bb";
    }
    void items()
    {
        QFETCH(QByteArray, entry);
        QFETCH(QString, french);
        QFETCH(QString, english);
        const FilterEntries entries{entry.toStdString(), std::string(), "X,Y"};
        // The empty entry gives no item; the others keep their order.
        QCOMPARE(statusItems(entries, vcq::languageFromCode(1)), QStringList({french, "X"}));
        QCOMPARE(statusItems(entries, vcq::languageFromCode(0)), QStringList({english, "Y"}));
        QCOMPARE(statusItems(entries, vcq::languageFromCode(2)),
                 statusItems(entries, vcq::languageFromCode(0)));
        QCOMPARE(statusItems(entries, vcq::languageFromCode(-1)),
                 statusItems(entries, vcq::languageFromCode(0)));
    }
};

QTEST_APPLESS_MAIN(TestFilterEntries)
#include "tst_filter_entries.moc"
