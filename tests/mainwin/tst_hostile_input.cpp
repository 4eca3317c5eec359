// SPDX-License-Identifier: GPL-3.0-or-later
// The main window fed hostile text and unusable data files: names that look
// like markup, characters the data file cannot hold, and names that are not
// files. What the user sees must be what is there, in the user's language.
#include "window_fixture.h"

#include "mainwin/birth_date_edit.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolTip>

#include <sys/stat.h>
#include <unistd.h>

using namespace testutil;
using vcq::TfrmMain;

namespace
{

// Typing through an input method, as Hebrew or emoji are typed.
void typeThroughInputMethod(QWidget *target, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}

void setLanguage(TfrmMain &w, int language)
{
    w.state().ProgramSettings.Language = language;
    w.ChooseLanguage(vcq::languageFromCode(language));
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT

    TestFolder m_folder;

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    // A name is shown as typed: never bold, never an image loaded from a path.
    void theDeleteQuestionShowsTheNameAsTyped_data()
    {
        QTest::addColumn<QString>("lastName");
        QTest::newRow("bold") << "<b>X</b>";
        QTest::newRow("image of /dev/zero") << "<img src=/dev/zero>";
        QTest::newRow("entity") << "Tom &amp; Co";
    }
    void theDeleteQuestionShowsTheNameAsTyped()
    {
        QFETCH(QString, lastName);
        QVERIFY(writeDataFile({contact(lastName.toStdString(), "x")}));
        auto w = startWindow();
        QCOMPARE(listTexts(*w), QStringList{lastName + " x"});
        QTest::mouseClick(button(*w, "TrashBut"), Qt::LeftButton);
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        const SeenBox &box = m_folder.watcher->boxes[0];
        QCOMPARE(box.text, "Delete \"" + lastName + " x\"");
        QCOMPARE(box.format, Qt::PlainText);
        // The contact could be deleted.
        QCOMPARE(listTexts(*w), QStringList());
        QVERIFY(recordAt(1).isTombstone());
    }

    // Typing or pasting a character the data file cannot hold is refused at
    // the field, which keeps what it had and says why.
    void unstorableCharactersAreRefusedAtTheField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<int>("language");
        const QString hebrew = QString::fromUtf8("שלום");
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QString rlm = QString(QChar(0x200F));
        QTest::newRow("last name, typed Hebrew") << "txtLastName" << hebrew << false << 0;
        QTest::newRow("first name, pasted emoji") << "txtFirstName" << emoji << true << 1;
        QTest::newRow("postal code, typed RLM") << "txtZip" << rlm << false << 0;
        QTest::newRow("status, pasted mix") << "cboFilter"
                                            << "ok" + hebrew << true << 1;
        QTest::newRow("remarks, pasted emoji") << "txtComment"
                                               << "a" + emoji << true << 0;
        QTest::newRow("remarks, typed Hebrew") << "txtComment" << hebrew << false << 1;
    }
    void unstorableCharactersAreRefusedAtTheField()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, paste);
        QFETCH(int, language);
        auto w = startWindow();
        setLanguage(*w, language);
        QTest::mouseClick(button(*w, "NewBut"), Qt::LeftButton);
        QWidget *target = field == "cboFilter" ? w->findChild<QComboBox *>(field)->lineEdit()
                                               : w->findChild<QWidget *>(field);
        QVERIFY(target);
        auto current = [target] {
            if (auto *plain = qobject_cast<QPlainTextEdit *>(target))
                return plain->toPlainText();
            return qobject_cast<QLineEdit *>(target)->text();
        };
        target->setFocus();
        QTest::keyClicks(target, "AB");
        const QString before = current();
        QCOMPARE(before, "AB");
        if (paste) {
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
        } else {
            typeThroughInputMethod(target, text);
        }
        QCOMPARE(current(), before);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), language == 1
                                       ? QString("Ce caractère ne peut pas être enregistré dans "
                                                 "le fichier ; il a été refusé.")
                                       : QString("This character cannot be stored in the data "
                                                 "file; it was refused."));
        QToolTip::hideText();
        // What can be stored still goes in.
        QTest::keyClicks(target, "7");
        QCOMPARE(current(), before + "7");
    }

    // Text put into a field another way is caught by Save, which names the
    // field and writes nothing.
    void saveRefusesUnstorableTextNamingTheField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("first name") << "txtFirstName" << 0
                                    << "The field \"First Name\" holds characters the data file "
                                       "cannot keep; nothing was saved.";
        QTest::newRow("country, French")
            << "txtCountry" << 1
            << QString("Le champ « Pays » contient des caractères que le fichier ne peut pas "
                       "garder ; rien n'a été enregistré.");
        QTest::newRow("remarks") << "txtComment" << 0
                                 << "The field \"Comments\" holds characters the data file "
                                    "cannot keep; nothing was saved.";
    }
    void saveRefusesUnstorableTextNamingTheField()
    {
        QFETCH(QString, field);
        QFETCH(int, language);
        QFETCH(QString, message);
        QVERIFY(writeDataFile({contact("Levi", "Dan")}));
        const QByteArray before = readFile();
        auto w = startWindow();
        setLanguage(*w, language);
        const QString shalom = QString::fromUtf8("Shalom שלום");
        // Past the field's own check: no change signal, no validation.
        if (auto *plain = w->findChild<QPlainTextEdit *>(field)) {
            const QSignalBlocker quiet(plain);
            plain->setPlainText(shalom);
        } else
            w->findChild<QLineEdit *>(field)->setText(shalom);
        QTest::mouseClick(button(*w, "SaveBut"), Qt::LeftButton);
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QCOMPARE(m_folder.watcher->boxes[0].text, message);
        QCOMPARE(readFile(), before);
        QCOMPARE(listTexts(*w), QStringList{"Levi Dan"});
    }

    // A pipe in place of "Filter.txt" no longer hangs the start: it is left
    // unread, said so, and the status list stays empty.
    void aStatusFileThatIsNoFileIsExplained_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("fifo") << "fifo"
                              << "\"Filter.txt\" is not an ordinary file (a pipe, a device or a "
                                 "folder); it has been left unread and the status list is empty.";
        QTest::newRow("too large") << "large"
                                   << "\"Filter.txt\" is larger than 1 MiB; it has been left "
                                      "unread and the status list is empty.";
    }
    void aStatusFileThatIsNoFileIsExplained()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        if (kind == "fifo") {
            QCOMPARE(::mkfifo("Filter.txt", 0600), 0);
        } else {
            QFile f("Filter.txt");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Ami,Friend\n");
            QVERIFY(f.resize(2 * 1024 * 1024));
        }
        auto w = startWindow();
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QCOMPARE(m_folder.watcher->boxes[0].text, message);
        QCOMPARE(w->findChild<QComboBox *>("cboFilter")->count(), 0);
        QVERIFY(QFile::exists("VCQ97.NAM")); // the start went on
    }

    // A data file name that is no file gets a plain sentence in the user's
    // language; later commands say there is no data file, in that language too.
    void unusableDataFilesAreExplained_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("noFile");
        const QString noFileEn = "No data file is open";
        const QString noFileFr = QString("Aucun fichier de données n'est ouvert");
        QTest::newRow("dangling link")
            << "dangling" << 0
            << "The data file's name is a symbolic link to a file that does not exist." << noFileEn;
        QTest::newRow("link loop, French")
            << "loop" << 1
            << QString("Le nom du fichier de données mène à une boucle de liens symboliques.")
            << noFileFr;
        QTest::newRow("fifo") << "fifo" << 0
                              << "The data file is not an ordinary file (a pipe, a device or a "
                                 "folder); it has been left alone."
                              << noFileEn;
        QTest::newRow("fifo, French")
            << "fifo" << 1
            << QString("Le fichier de données n'est pas un fichier ordinaire (tube, "
                       "périphérique ou dossier) ; il n'a pas été touché.")
            << noFileFr;
    }
    void unusableDataFilesAreExplained()
    {
        QFETCH(QString, kind);
        QFETCH(int, language);
        QFETCH(QString, message);
        QFETCH(QString, noFile);
        if (kind == "dangling")
            QCOMPARE(::symlink("nowhere", "VCQ97.NAM"), 0);
        else if (kind == "loop")
            QCOMPARE(::symlink("VCQ97.NAM", "VCQ97.NAM"), 0);
        else
            QCOMPARE(::mkfifo("VCQ97.NAM", 0600), 0);
        auto w = startWindow([language](TfrmMain &w) { setLanguage(w, language); });
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QCOMPARE(m_folder.watcher->boxes[0].text, message);
        QVERIFY(!QFile::exists("nowhere"));
        QTest::mouseClick(button(*w, "NewBut"), Qt::LeftButton);
        w->findChild<QLineEdit *>("txtLastName")->setText("Doe");
        QTest::mouseClick(button(*w, "SaveBut"), Qt::LeftButton);
        QCOMPARE(m_folder.watcher->boxes.size(), 2);
        QCOMPARE(m_folder.watcher->boxes[1].text, noFile);
        QCOMPARE(listTexts(*w), QStringList());
    }
};

VCQ_WINDOW_TEST_MAIN(TestHostileInput)
#include "tst_hostile_input.moc"
