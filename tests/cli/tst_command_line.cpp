// SPDX-License-Identifier: GPL-3.0-or-later
// The command line as users run it: the real program, started without any
// display, in a folder of its own. Exit statuses, the lock of a running copy,
// export to standard output, protected files and a disk that fills up.
#include "interop/importer.h"
#include "password/password_state.h"
#include "store/contact_store.h"

#include "common/process_run.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

using namespace vcq;

namespace
{

std::string card(const std::string &last, const std::string &first, const std::string &phone)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + last + ";" + first + ";;;\r\nFN:" + first + " " +
           last + "\r\nTEL;TYPE=HOME:" + phone + "\r\nEND:VCARD\r\n";
}

std::string cards(int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += card("Person" + std::to_string(i), "Ann", std::to_string(100000 + i));
    return out;
}

struct Run {
    int status = -1;
    QString out;
    QString err;
    QByteArray outBytes;
};

ContactRecord person(const std::string &last, const std::string &first, const std::string &phone)
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    r.set(Field::Phone1, phone);
    r.set(Field::Birth, "  -  -  ");
    return r;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString data() const { return file("VCQ97.NAM"); }

    void write(const QString &name, const std::string &bytes)
    {
        QFile f(file(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.data(), qint64(bytes.size()));
    }

    QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The program in the test's folder with no display of any kind; its
    // standard input is closed, so there is no terminal to ask on.
    Run run(const QStringList &arguments, const QString &language = "C",
            rlim_t fileSizeLimit = RLIM_INFINITY)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE", "LC_MESSAGES", "LANG"})
            env.remove(name);
        env.insert("LC_ALL", language);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.setChildProcessModifier([fileSizeLimit] {
            ::setsid(); // no controlling terminal: a password cannot be typed
            if (fileSizeLimit != RLIM_INFINITY) {
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit limit{fileSizeLimit, fileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
        });
        p.start(QStringLiteral(VCQ_BINARY), arguments);
        p.closeWriteChannel();
        Run r;
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
            return r;
        r.status = p.exitCode();
        r.outBytes = p.readAllStandardOutput();
        r.out = QString::fromUtf8(r.outBytes);
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    void makeStore(const std::vector<ContactRecord> &contacts, const std::string &password = {})
    {
        ContactStore store;
        store.open(data().toStdString());
        if (!password.empty()) {
            ContactRecord header = store.header();
            setHeaderPassword(header, password);
            setHeaderProtection(header, true);
            store.writeHeader(header);
        }
        for (const ContactRecord &c : contacts)
            store.add(c);
    }

private slots:
    void init()
    {
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(file(name));
    }

    void helpVersionAndMistakes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected"); // in standard output, else standard error
        QTest::newRow("--version")
            << QStringList{"--version"} << "C" << 0 << "vellora-carnetique-97 1.0";
        QTest::newRow("--help lists the commands")
            << QStringList{"--help"} << "C" << 0 << "import ";
        QTest::newRow("--help in French")
            << QStringList{"--help"} << "fr_FR.UTF-8" << 0 << "Commandes";
        QTest::newRow("import --help")
            << QStringList{"import", "--help"} << "C" << 0 << "--allow-duplicates";
        QTest::newRow("import --help names the command")
            << QStringList{"import", "--help"} << "C" << 0 << "vellora-carnetique-97 import [";
        QTest::newRow("export --help") << QStringList{"export", "--help"} << "C" << 0 << "--format";
        QTest::newRow("unknown command")
            << QStringList{"imprt", "a.vcf"} << "C" << 2 << "Unknown command";
        QTest::newRow("import without files") << QStringList{"import"} << "C" << 2 << "files";
        QTest::newRow("unknown option")
            << QStringList{"import", "--frobnicate", "a.vcf"} << "C" << 2 << "frobnicate";
        QTest::newRow("unknown export format")
            << QStringList{"export", "--format", "ldif", "-"} << "C" << 2 << "ldif";
        QTest::newRow("import of a missing file")
            << QStringList{"import", "missing.vcf"} << "C" << 2 << "File not found";
        QTest::newRow("export of a missing data file")
            << QStringList{"export", "-"} << "C" << 2 << "File not found";
        QTest::newRow("bin --help in French")
            << QStringList{"bin", "--help"} << "fr_FR.UTF-8" << 0 << "bin restore N...";
        QTest::newRow("bin without what to do") << QStringList{"bin"} << "C" << 2 << "bin --help";
        QTest::newRow("bin restore of a word")
            << QStringList{"bin", "restore", "two"} << "C" << 2 << "\"two\" is not a number";
        QTest::newRow("bin list without a data file")
            << QStringList{"bin", "list"} << "C" << 2 << "File not found";
        QTest::newRow("bin empty without a data file")
            << QStringList{"bin", "empty"} << "C" << 2 << "File not found";
    }
    void helpVersionAndMistakes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, language);
        QFETCH(int, status);
        QFETCH(QString, expected);
        const Run r = run(arguments, language);
        QCOMPARE(r.status, status);
        QVERIFY2((status == 0 ? r.out : r.err).contains(expected), qPrintable(r.out + r.err));
        // Nothing was created by a mistake.
        QCOMPARE(QFile::exists(data()), false);
    }

    void importExitStatus_data()
    {
        QTest::addColumn<std::string>("content");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("contacts"); // in the data file afterwards
        const std::string stored = card("Stored", "Sam", "42");
        QTest::newRow("clean") << cards(3) << QStringList{} << 0 << 4;
        QTest::newRow("a duplicate") << stored + cards(2) << QStringList{} << 1 << 3;
        QTest::newRow("a duplicate allowed")
            << stored + cards(2) << QStringList{"--allow-duplicates"} << 0 << 4;
        QTest::newRow("a card with no END, the next one imported")
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lost;L\r\n" + card("Kept", "K", "1")
            << QStringList{} << 1 << 2;
        QTest::newRow("a character transliterated")
            << card("\xC5\x81ukasz", "Ann", "9") << QStringList{} << 1 << 2;
    }
    void importExitStatus()
    {
        QFETCH(std::string, content);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(int, contacts);
        makeStore({person("Stored", "Sam", "42")});
        write("in.vcf", content);
        const Run r = run(QStringList{"import"} + options + QStringList{"in.vcf"});
        QVERIFY2(r.status == status, qPrintable(r.out + r.err));
        ContactStore store;
        store.open(data().toStdString());
        store.loadContacts();
        QCOMPARE(int(store.list().size()), contacts);
        // No progress line: standard error is no terminal.
        QVERIFY(!r.err.contains('\r'));
    }

    // A stored birth date that is no date cannot be exported: the export says
    // so and answers 1.
    void exportReportsWhatItCannotWrite()
    {
        makeStore({person("Odd", "Date", "1")});
        {
            ContactStore store;
            store.open(data().toStdString());
            store.loadContacts();
            ContactRecord r = store.list().head()->record();
            r.set(Field::Birth, "31-02-  ");
            store.rewrite(store.list().head()->RecordNumber, r);
        }
        const Run r = run({"export", "-"});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out.count("BEGIN:VCARD"), 1);
        QVERIFY(!r.out.contains("BDAY"));
        QVERIFY2(r.err.contains("Odd Date"), qPrintable(r.err));
    }

    // On a terminal the import shows its progress on one line of standard error.
    void progressLineOnATerminal()
    {
        if (QStandardPaths::findExecutable("script").isEmpty())
            QSKIP("script (util-linux) is not installed");
        write("in.vcf", cards(3000));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        env.insert("LC_ALL", "C");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.start("script", {"-qec", QStringLiteral(VCQ_BINARY) + " import in.vcf", "/dev/null"});
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(120000));
        const QString out = QString::fromUtf8(p.readAll());
        QVERIFY2(out.contains("\rImporting in.vcf (1/1)"), qPrintable(out));
        QVERIFY(out.contains("Contacts added: 3000."));
    }

    void importCreatesTheDataFileWhenThereIsNone()
    {
        write("in.vcf", cards(2));
        const Run r = run({"import", "in.vcf"});
        QCOMPARE(r.status, 0);
        QCOMPARE(contents(data()).size(), 3 * 764);
    }

    void importRefusesAFileTheProgramHasOpen()
    {
        makeStore({person("Stored", "Sam", "42")});
        write("in.vcf", cards(2));
        const QByteArray before = contents(data());
        ContactStore running; // this test process plays the running program
        running.open(data().toStdString());
        const Run r = run({"import", "in.vcf"});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains("is open on this folder"), qPrintable(r.err));
        QCOMPARE(contents(data()), before);

        // Export only reads: it works meanwhile.
        const Run e = run({"export", "-"});
        QCOMPARE(e.status, 0);
        QCOMPARE(e.out.count("BEGIN:VCARD"), 1);
    }

    void binListRestoreEmpty()
    {
        makeStore(
            {person("Abel", "Ann", "1"), person("Baker", "Bo", "2"), person("Cole", "Cy", "3")});
        const QByteArray before = contents(data());
        {
            ContactStore store;
            store.open(data().toStdString());
            store.loadContacts();
            store.remove(1);
            store.remove(3);
            store.add(person("Dunn", "Di", "4")); // takes slot 1: Abel comes back elsewhere
        }
        Run r = run({"bin", "list"});
        QCOMPARE(r.status, 0);
        QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith("2\t") && lines[0].endsWith("\tdeleted\tCole Cy"),
                 qPrintable(r.out));
        QVERIFY2(lines[1].startsWith("1\t") && lines[1].endsWith("\tAbel Ann"), qPrintable(r.out));
        QCOMPARE(run({"bin", "list"}, "fr_FR.UTF-8").out.count("\tsupprimé\t"), 2);

        // An unknown number restores nothing; a running copy refuses the change.
        QByteArray now = contents(data());
        r = run({"bin", "restore", "2", "7"});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains("Not in the bin: 7"), qPrintable(r.err));
        QCOMPARE(contents(data()), now);
        {
            ContactStore running;
            running.open(data().toStdString());
            r = run({"bin", "restore", "2"});
            QCOMPARE(r.status, 2);
            QVERIFY2(r.err.contains("is open on this folder"), qPrintable(r.err));
            QCOMPARE(run({"bin", "list"}).status, 0); // listing only reads
        }

        r = run({"bin", "restore", "2", "1"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("Restored 2: Cole Cy") &&
                     r.out.contains("Restored 1 as a new contact: Abel Ann"),
                 qPrintable(r.out));
        now = contents(data());
        const qsizetype rec = 764;
        QCOMPARE(now.mid(3 * rec, rec), before.mid(3 * rec, rec)); // Cole, its own slot
        QCOMPARE(now.mid(4 * rec, rec), before.mid(1 * rec, rec)); // Abel, a new one
        QCOMPARE(run({"bin", "list"}).out, QString("The bin is empty.\n"));

        {
            ContactStore store;
            store.open(data().toStdString());
            store.loadContacts();
            store.remove(2);
        }
        r = run({"bin", "empty"});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("1 contacts deleted for good"), qPrintable(r.out));
        QCOMPARE(run({"bin", "list"}).out, QString("The bin is empty.\n"));
    }

    void exportToStandardOutputAndFiles_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output"); // a file, or empty for standard output
        QTest::addColumn<QString>("expected");
        QTest::newRow("vCard 3.0 by default") << QStringList{"export", "-"} << ""
                                              << "VERSION:3.0";
        QTest::newRow("vCard 4.0") << QStringList{"export", "--format", "vcard4", "-"} << ""
                                   << "VERSION:4.0";
        QTest::newRow("CSV to a file")
            << QStringList{"export", "--format=csv", "out.csv"} << "out.csv"
            << "Zed";
    }
    void exportToStandardOutputAndFiles()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QFETCH(QString, expected);
        makeStore({person("Zed", "Ann", "1"), person("Abel", "Bob", "2")});
        const QByteArray before = contents(data());
        const Run r = run(arguments);
        QCOMPARE(r.status, 0);
        const QString text = output.isEmpty() ? r.out : QString::fromUtf8(contents(file(output)));
        QVERIFY2(text.contains(expected), qPrintable(text));
        QVERIFY(text.contains("Abel"));
        QCOMPARE(contents(data()), before);
        if (output.isEmpty())
            QCOMPARE(r.out.count("BEGIN:VCARD"), 2);
    }

    void protectedFileNeedsItsPassword_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("passwordFile"); // empty: no --password-file
        QTest::addColumn<int>("status");
        QTest::newRow("import, right password") << "import" << QByteArray("S3cret\n") << 0;
        QTest::newRow("import, wrong password") << "import" << QByteArray("s3cret\n") << 2;
        QTest::newRow("import, no terminal, no file") << "import" << QByteArray() << 2;
        QTest::newRow("export, right password") << "export" << QByteArray("S3cret") << 0;
        QTest::newRow("export, wrong password") << "export" << QByteArray("nope") << 2;
        QTest::newRow("export, no terminal, no file") << "export" << QByteArray() << 2;
        QTest::newRow("bin list, right password") << "bin" << QByteArray("S3cret") << 0;
        QTest::newRow("bin list, wrong password") << "bin" << QByteArray("nope") << 2;
    }
    void protectedFileNeedsItsPassword()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, passwordFile);
        QFETCH(int, status);
        makeStore({person("Secret", "Sue", "1")}, "S3cret");
        if (command == "bin") { // the bin holds what the file held: the same lock
            ContactStore store;
            store.open(data().toStdString());
            store.loadContacts();
            store.remove(1);
        }
        write("in.vcf", cards(1));
        const QByteArray before = contents(data());
        QStringList arguments{command};
        if (!passwordFile.isEmpty()) {
            write("pw", passwordFile.toStdString());
            arguments << "--password-file"
                      << "pw";
        }
        arguments << (command == "import" ? "in.vcf" : command == "bin" ? "list" : "-");
        const Run r = run(arguments);
        QVERIFY2(r.status == status, qPrintable(r.err));
        if (status == 2) {
            QCOMPARE(contents(data()), before);
            QVERIFY(!r.out.contains("Secret"));
            QVERIFY(!r.err.isEmpty());
        } else if (command != "import") {
            QVERIFY(r.out.contains("Secret"));
        }
    }

    // With no password file, the password is typed on the terminal, which
    // does not show it.
    void passwordTypedOnATerminal_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("import") << "import";
        QTest::newRow("export") << "export";
    }
    void passwordTypedOnATerminal()
    {
        QFETCH(QString, command);
        makeStore({person("Secret", "Sue", "1")}, "S3cret");
        if (command == "bin") { // the bin holds what the file held: the same lock
            ContactStore store;
            store.open(data().toStdString());
            store.loadContacts();
            store.remove(1);
        }
        write("in.vcf", cards(1));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE", "LC_MESSAGES", "LANG"})
            env.remove(name);
        env.insert("LC_ALL", "C");
        const test::ProcessRun r = test::runOnTerminal(
            QStringLiteral(VCQ_BINARY), {command, command == "import" ? "in.vcf" : "-"}, env,
            m_dir.path(), "Enter Access Password", "S3cret");
        QVERIFY2(r.exit == 0, qPrintable(r.out + r.err));
        QVERIFY2(!r.out.contains("S3cret"), qPrintable(r.out));
        if (command == "export")
            QVERIFY(r.out.contains("BEGIN:VCARD") && r.out.contains("Secret"));
        else
            QCOMPARE(contents(data()).size(), 3 * 764);
    }

    // The disk fills up part way: the batches written stay, the message
    // says how many and names the backup, which holds the file as it was.
    // Files in the forms other programs write, imported by the program:
    // what the data file gets and what the summary says.
    void importsOtherProgramsForms_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::string>("content");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("records"); // "last|first|home|work|other|fax|comment"
        QTest::addColumn<QString>("summary");
        QTest::newRow("CR CR LF line ends")
            << "old.vcf"
            << std::string("BEGIN:VCARD\r\r\nVERSION:2.1\r\r\nN:Old;Phone\r\r\n"
                           "TEL;CELL:06\r\r\nEND:VCARD\r\r\n")
            << 0 << QStringList{"Old|Phone|||06||"}
            << "Contacts added: 1. Duplicates not added: 0. Broken cards not added: 0. Read with "
               "a repair: 0.";
        QTest::newRow("a mobile after other numbers")
            << "m.vcf"
            << std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Mob;Ile\r\nTEL:1\r\n"
                           "TEL;TYPE=MAIN:2\r\nTEL;TYPE=CELL:3\r\nEND:VCARD\r\n")
            << 1 << QStringList{"Mob|Ile|1|2|3||"} << "Read with a repair: 1.";
        QTest::newRow("a mail client's pager before its mobile")
            << "mail.csv"
            << std::string("First Name,Last Name,Primary Email,Pager Number,Mobile Number\r\n"
                           "Eva,Roth,e@x,0171,0170\r\n")
            << 1 << QStringList{"Roth|Eva|0171||0170||"} << "Read with a repair: 1.";
        QTest::newRow("a line break in a note")
            << "n.vcf"
            << std::string("BEGIN:VCARD\nVERSION:3.0\nN:Note;N\nNOTE:one\\ntwo\nEND:VCARD\n") << 0
            << QStringList{"Note|N|||||one\r\ntwo"} << "Contacts added: 1.";
        QTest::newRow("Western bytes without CHARSET: a repair, not a broken card")
            << "w.vcf" << std::string("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Andr\xE9;A\r\nEND:VCARD\r\n")
            << 1 << QStringList{"Andr\xC3\xA9|A|||||"}
            << "Broken cards not added: 0. Read with a repair: 1.";
        QTest::newRow("a card without END is broken")
            << "b.vcf" << std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lost;L\r\n") << 1
            << QStringList{} << "Broken cards not added: 1. Read with a repair: 0.";
        QTest::newRow("CSV: Western text after a UTF-8 BOM")
            << "bom.csv"
            << std::string("\xEF\xBB\xBFPr\xE9nom,Nom\r\nJos\xE9,Garc\xED"
                           "a\r\n")
            << 1
            << QStringList{"Garc\xC3\xAD"
                           "a|Jos\xC3\xA9|||||"}
            << "Read with a repair: 1.";
    }
    void importsOtherProgramsForms()
    {
        QFETCH(QString, name);
        QFETCH(std::string, content);
        QFETCH(int, status);
        QFETCH(QStringList, records);
        QFETCH(QString, summary);
        write(name, content);
        const Run r = run({"import", name});
        QVERIFY2(r.status == status, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains(summary), qPrintable(r.out));
        ContactStore store;
        store.open(data().toStdString());
        store.loadContacts();
        QStringList got;
        for (const ContactNode &node : store.list()) {
            QStringList fields;
            for (Field f : {Field::LastName, Field::FirstName, Field::Phone1, Field::Phone2,
                            Field::Cell, Field::Phone3, Field::Comment})
                fields << QString::fromLatin1(node.record().get(f));
            got << fields.join('|');
        }
        QCOMPARE(got, records);
    }

    // Contacts as the edit form stores them leave through each format and
    // come back into a new data file byte for byte.
    void exportImportRoundTrip_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("anyBirthDate"); // partial and impossible ones too
        QTest::newRow("vCard 3.0") << "vcard3" << false;
        QTest::newRow("vCard 4.0") << "vcard4" << false;
        QTest::newRow("our CSV") << "csv" << true;
    }
    void exportImportRoundTrip()
    {
        QFETCH(QString, format);
        QFETCH(bool, anyBirthDate);
        std::string every;
        for (int b = 0x20; b <= 0xFF; ++b)
            every += static_cast<char>(b);
        std::vector<ContactRecord> contacts;
        const auto add = [&](std::initializer_list<std::pair<Field, std::string>> fields) {
            ContactRecord r = person("x", "", "");
            for (const auto &[f, v] : fields)
                r.set(f, v);
            contacts.push_back(r);
        };
        add({{Field::LastName, "Dupont"},
             {Field::FirstName, "\xC9lodie"},
             {Field::Comment, "ligne 1\r\nligne 2\r\n\r\nfin, \"q\"; a\\b"},
             {Field::Phone1, "tel:+33 1 22"},
             {Field::Cell, "06 11"},
             {Field::Email, " e@x.fr "},
             {Field::Organisation, "  Acme  "},
             {Field::Birth, "29-02-  "}});
        add({{Field::LastName, " O'Brien "},
             {Field::FirstName, "Se\xE1n"},
             {Field::Address1, "1 Main St; Apt 2, rear"},
             {Field::City, "Dublin"},
             {Field::Country, "Ireland"},
             {Field::Phone2, "TEL:01 234"},
             {Field::Phone3, "01 999"},
             {Field::Birth, "14-07-85"},
             {Field::Status, "Client"}});
        add({{Field::LastName, every.substr(0, 30)},
             {Field::FirstName, every.substr(30, 30)},
             {Field::Organisation, every.substr(60, 50)},
             {Field::Address1, every.substr(110, 60)},
             {Field::Comment, every.substr(0, 100) + "\r\n" + every.substr(100, 98)}});
        if (anyBirthDate) {
            add({{Field::LastName, "Partial"},
                 {Field::Birth, "  -  -85"},
                 {Field::Phone1, " ::: "},
                 {Field::State, "   "},
                 {Field::Email, "  "}});
            add({{Field::LastName, "Impossible"}, {Field::Birth, "31-02-85"}});
            add({{Field::LastName, "Zero"}, {Field::Birth, "00-00-00"}, {Field::Comment, " "}});
        }
        makeStore(contacts);
        const QString out = "out." + QString(format == "csv" ? "csv" : "vcf");
        const Run e = run({"export", "--format", format, out});
        QVERIFY2(e.status == 0, qPrintable(e.err));
        for (const QString &name : QDir(m_dir.path()).entryList({"VCQ97.NAM*"}, QDir::Files))
            QVERIFY(QFile::remove(file(name)));
        const Run i = run({"import", out});
        QVERIFY2(i.status == 0, qPrintable(i.out + i.err));
        ContactStore store;
        store.open(data().toStdString());
        store.loadContacts();
        std::vector<std::string> got, expected;
        for (const ContactNode &node : store.list())
            got.push_back(
                node.record().get(Field::LastName) + "|" +
                QByteArray(reinterpret_cast<const char *>(node.record().data()), int(kRecordSize))
                    .toHex()
                    .toStdString());
        for (const ContactRecord &c : contacts) {
            ContactRecord clean; // what the program writes: each field alone
            for (Field f : kContactFields)
                clean.set(f, c.get(f));
            expected.push_back(
                c.get(Field::LastName) + "|" +
                QByteArray(reinterpret_cast<const char *>(clean.data()), int(kRecordSize))
                    .toHex()
                    .toStdString());
        }
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(got.size(), expected.size());
        for (std::size_t k = 0; k < got.size(); ++k)
            QCOMPARE(QString::fromStdString(got[k]), QString::fromStdString(expected[k]));
    }

    void diskFullPartWay()
    {
        constexpr int batch = int(interop::kImportBatchSize);
        makeStore({person("Stored", "Sam", "42")});
        write("in.vcf", cards(batch + 4000));
        const QByteArray before = contents(data());
        // Room for one batch of contacts and some of the next.
        const Run r = run({"import", "in.vcf"}, "C", rlim_t(before.size() + (batch + 1800) * 764));
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(QString("Contacts added before it stopped: %1.").arg(batch)),
                 qPrintable(r.err));
        const QStringList backups = QDir(m_dir.path()).entryList({"VCQ97.NAM.*Z"}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY2(r.err.contains(backups.first()), qPrintable(r.err));
        QCOMPARE(contents(file(backups.first())), before);
        QCOMPARE(contents(data()).size(), before.size() + batch * 764);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
