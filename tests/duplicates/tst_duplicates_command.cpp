// SPDX-License-Identifier: GPL-3.0-or-later
// "duplicates" as users run it: the real program without a display in a
// folder of its own; the groups listed in both languages and as CSV, exit
// statuses, pairs set apart, and --merge-certain checked on the file's bytes.
#include "store/contact_store.h"

#include "common/data_file.h"
#include "common/process_run.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using namespace vcq;

class TestDuplicatesCommand : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    test::ProcessRun run(const QStringList &arguments, const char *language = "C.UTF-8")
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE"})
            env.remove(name);
        env.insert("LC_ALL", language);
        return test::runProcess(VCQ_BINARY, QStringList{"duplicates"} + arguments, env,
                                m_dir->path());
    }
    std::string dataFile() const { return m_dir->filePath("VCQ97.NAM").toStdString(); }

    // 1 and 2 one person (accents, a country code), 3 shares 2's e-mail
    // under another name, 4 stands alone.
    void writeContacts()
    {
        ContactStore store;
        store.open(dataFile());
        store.add(test::contact("C\xF4t\xE9", "\xC9milie",
                                {{Field::Phone1, "01 23 45 67 89"}, {Field::City, "Paris"}}));
        store.add(test::contact("COTE", "emilie",
                                {{Field::Phone1, "+33 1 23 45 67 89"},
                                 {Field::Email, "e@x.fr"},
                                 {Field::City, "Lyon"}}));
        store.add(test::contact("Martin", "Paul", {{Field::Email, "E@X.FR"}}));
        store.add(test::contact("Dumont", "Bob", {{Field::Email, "bob@x.fr"}}));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        writeContacts();
    }

    void listing()
    {
        const auto r = run({});
        QCOMPARE(r.exit, 1);
        QCOMPARE(r.out, "1. certain: same name and home phone\n"
                        "  #1  Côté Émilie, 01 23 45 67 89\n"
                        "  #2  COTE emilie, +33 1 23 45 67 89, e@x.fr\n"
                        "2. possible: different names, same e-mail\n"
                        "  #1  Côté Émilie, 01 23 45 67 89\n"
                        "  #2  COTE emilie, +33 1 23 45 67 89, e@x.fr\n"
                        "  #3  Martin Paul, E@X.FR\n"
                        "Groups found: 2 (certain: 1, possible: 1).\n");
        const auto fr = run({}, "fr_FR.UTF-8");
        QVERIFY2(fr.out.startsWith("1. certain: même nom et téléphone maison\n"),
                 qPrintable(fr.out));
        QVERIFY(fr.out.contains("possible: noms différents, même courriel\n"));

        const auto csv = run({"--format", "csv"});
        QCOMPARE(csv.exit, 1);
        const QStringList lines = csv.out.split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[0].startsWith("Group,Certainty,Reason,Record,Last Name,"));
        QVERIFY(lines[2].startsWith("1,certain,same name and home phone,2,COTE,emilie,"));
        QVERIFY(lines[5].startsWith("2,possible,\"different names, same e-mail\",3,Martin,"));
    }

    void statuses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("dataFile");
        QTest::addColumn<int>("status");
        QTest::newRow("no data file") << QStringList{} << false << 2;
        QTest::newRow("unknown format") << QStringList{"--format", "xml"} << true << 2;
        QTest::newRow("stray argument") << QStringList{"x"} << true << 2;
    }
    void statuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, dataFile);
        QFETCH(int, status);
        if (!dataFile)
            QVERIFY(QFile::remove(QString::fromStdString(this->dataFile())));
        const auto r = run(arguments);
        QCOMPARE(r.exit, status);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(r.out.isEmpty());
    }

    void pairsSetApart()
    {
        // 1-2 and 2-3 said not duplicates; 1-3 never linked directly.
        QVERIFY(test::writeFile(m_dir->filePath("VCQ97.NAM.notduplicates"), "1.0 2.0\n2.0 3.0\n"));
        const auto r = run({});
        QCOMPARE(r.exit, 0);
        QCOMPARE(r.out, "Groups found: 0 (certain: 0, possible: 0).\n");
    }

    void mergeCertain()
    {
        const QByteArray before = test::readFile(m_dir->filePath("VCQ97.NAM"));
        {
            ContactStore running; // as an open window
            running.open(dataFile());
            const auto refused = run({"--merge-certain"});
            QCOMPARE(refused.exit, 2);
            QVERIFY(refused.err.contains("in use"));
        }
        QCOMPARE(test::readFile(m_dir->filePath("VCQ97.NAM")), before);

        const auto r = run({"--merge-certain"});
        QCOMPARE(r.exit, 1);
        QVERIFY2(r.out.contains("Merged #2 into #1 Côté Émilie (same name and home phone).\n"
                                "  City Lyon kept in the remarks.\n"
                                "Groups merged: 1. Contacts deleted: 1.\n"),
                 qPrintable(r.out));
        QCOMPARE(QDir(m_dir->path()).entryList({"VCQ97.NAM.2*"}).size(), 1); // the copy

        ContactStore store;
        store.open(dataFile());
        store.loadContacts();
        QCOMPARE(store.list().size(), std::size_t(3));
        QVERIFY(!store.list().findRecord(2));
        const ContactRecord merged = store.list().findRecord(1)->record();
        QCOMPARE(merged.get(Field::LastName), "C\xF4t\xE9");
        QCOMPARE(merged.get(Field::Phone1), "01 23 45 67 89");
        QCOMPARE(merged.get(Field::Email), "e@x.fr");
        QCOMPARE(merged.get(Field::City), "Paris");
        QCOMPARE(merged.get(Field::Comment), "Also: Lyon");
        store.close();

        const auto again = run({"--merge-certain"}, "fr_FR.UTF-8");
        QCOMPARE(again.exit, 0);
        QCOMPARE(again.out, "Aucun doublon certain.\n");
        QCOMPARE(run({}).exit, 1); // the possible group is still there
    }
};

QTEST_GUILESS_MAIN(TestDuplicatesCommand)
#include "tst_duplicates_command.moc"
