// SPDX-License-Identifier: GPL-3.0-or-later
// "search" as users run it: the real program without a display, in a folder
// of its own, beside a copy that holds the data file; exit statuses as grep
// gives them, and each output format read back (vCard by an independent reader).
#include "store/contact_store.h"

#include "common/data_file.h"
#include "common/process_run.h"

#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace vcq;

namespace
{

ContactRecord person(const char *last, const char *first, const char *phone, const char *email,
                     const char *city = "")
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    r.set(Field::Phone1, phone);
    r.set(Field::Email, email);
    r.set(Field::City, city);
    r.set(Field::Birth, "  -  -  ");
    return r;
}

} // namespace

class TestSearchCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ContactStore m_running; // holds the lock, as an open window does

    test::ProcessRun search(const QStringList &arguments, const char *language = "C.UTF-8",
                            const QString &folder = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE"})
            env.remove(name);
        env.insert("LC_ALL", language);
        return test::runProcess(VCQ_BINARY, QStringList{"search"} + arguments, env,
                                folder.isEmpty() ? m_dir.path() : folder);
    }

private slots:
    void initTestCase()
    {
        m_running.open(m_dir.filePath("VCQ97.NAM").toStdString());
        // cp1252: "Côté", "Émilie", "Cœur", "Québec".
        m_running.add(person("C\xF4t\xE9", "\xC9milie", "418-555-0188", "emilie@example.org",
                             "Qu\xE9"
                             "bec"));
        m_running.add(person("Coeur", "Ann", "(514) 555 01 99", ""));
        m_running.add(person("Dumont", "Bob", "", "bob@example.org",
                             "Montr\xE9"
                             "al"));
    }

    void exitStatusAndLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::newRow("accents folded") << QStringList{"cote", "EMILIE"} << 0
                                        << "Côté Émilie\temilie@example.org\t418-555-0188\n";
        QTest::newRow("ligature typed")
            << QStringList{"cœur"} << 0 << "Coeur Ann\t\t(514) 555 01 99\n";
        QTest::newRow("phone digits")
            << QStringList{"5550199"} << 0 << "Coeur Ann\t\t(514) 555 01 99\n";
        QTest::newRow("inside a word, in order")
            << QStringList{"mont"} << 0 << "Dumont Bob\tbob@example.org\t\n";
        QTest::newRow("nothing") << QStringList{"zzz"} << 1 << "";
        QTest::newRow("no query") << QStringList{} << 2 << "";
        QTest::newRow("unknown format") << QStringList{"--format", "ldif", "a"} << 2 << "";
    }
    void exitStatusAndLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        const auto r = search(arguments);
        QCOMPARE(r.exit, status);
        QCOMPARE(r.out, out);
        QCOMPARE(r.err.isEmpty(), status != 2);
    }

    void mutt()
    {
        // Only contacts with an e-mail; the first line is a status line.
        const auto r = search({"--format", "mutt", "o"});
        QCOMPARE(r.exit, 0);
        QCOMPARE(r.out, "2 contacts found\n"
                        "emilie@example.org\tÉmilie Côté\tQuébec\n"
                        "bob@example.org\tBob Dumont\tMontréal\n");
        const auto fr = search({"--format", "mutt", "bob"}, "fr_FR.UTF-8");
        QVERIFY2(fr.out.startsWith("1 contact trouvé\n"), qPrintable(fr.out));
        // A match without an e-mail is no match for a mail client.
        QCOMPARE(search({"--format", "mutt", "coeur"}).exit, 1);
    }

    // Enough contacts to be searched on several threads: the lines come in
    // the order the list holds them (the order the export formats, which go
    // through the list, print them), contacts of the same name and names
    // alike in their first 16 bytes included.
    void orderOfTheList()
    {
        QTemporaryDir dir; // no copy of the program holds it: the file is mapped
        const char *const names[] = {"Same", "Longer last name", "Longer last namf", "Other"};
        std::vector<ContactRecord> records;
        for (int i = 0; i < 45000; ++i)
            records.push_back(person(names[i % 4], i % 3 ? "Ann" : "Bob", "",
                                     ("n" + std::to_string(i) + "@x").c_str()));
        QVERIFY(test::writeDataFile(records, dir.filePath("VCQ97.NAM")));
        const QRegularExpression email("n[0-9]+@x");
        const auto emails = [&email](const QString &out) {
            QStringList found;
            for (auto it = email.globalMatch(out); it.hasNext();)
                found += it.next().captured();
            return found;
        };
        const auto lines = search({"@x"}, "C.UTF-8", dir.path());
        const auto csv = search({"--format", "csv", "@x"}, "C.UTF-8", dir.path());
        QCOMPARE(lines.exit, 0);
        QCOMPARE(lines.out.count('\n'), 45000);
        QCOMPARE(emails(lines.out), emails(csv.out));
    }

    void exportFormats()
    {
        const auto csv = search({"--format", "csv", "montreal"});
        QCOMPARE(csv.exit, 0);
        QCOMPARE(csv.out.count('\n'), 2); // header and Bob
        QVERIFY(csv.out.contains("Dumont"));
        const auto cards = search({"--format", "vcard3", "example.org"});
        QCOMPARE(cards.exit, 0);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const auto read = test::runProcess(
            "/usr/bin/python3",
            {"-c", "import sys, vobject\n"
                   "for c in vobject.readComponents(sys.stdin.read(), validate=True):\n"
                   "    print(c.n.value.family)\n"},
            env, m_dir.path(), cards.out.toUtf8());
        QCOMPARE(read.exit, 0);
        QCOMPARE(read.out, "Côté\nDumont\n");
    }
};

QTEST_GUILESS_MAIN(TestSearchCommand)
#include "tst_search_command.moc"
