// The status list read from "Filter.txt" and the items shown for a language.
#include "mainwin/filter_entries.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
        QCOMPARE(statusItems(entries, 1), QStringList({french, "X"}));
        QCOMPARE(statusItems(entries, 0), QStringList({english, "Y"}));
        QCOMPARE(statusItems(entries, 2), statusItems(entries, 0));
        QCOMPARE(statusItems(entries, -1), statusItems(entries, 0));
    }
};

QTEST_APPLESS_MAIN(TestFilterEntries)
#include "tst_filter_entries.moc"
