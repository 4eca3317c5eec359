// SPDX-License-Identifier: GPL-3.0-or-later
// Import and export from the main window, driven as a user does: files
// dropped on the window, the list's context menu, the file dialogs with their
// remembered folders, the progress dialog's Cancel, and the report.
#include "mainwin/import_report_dialog.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>

using namespace testutil;
using vcq::TfrmMain;

namespace
{

std::string card(const std::string &last, const std::string &first, const std::string &phone)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + last + ";" + first + ";;;\r\nFN:" + first + " " +
           last + "\r\nTEL;TYPE=HOME:" + phone + "\r\nEND:VCARD\r\n";
}

void writeText(const QString &path, const std::string &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), qint64(text.size()));
}

QString className(const QObject *o)
{
    return QString::fromLatin1(o->metaObject()->className()).section("::", -1);
}

// Answers modal windows in order: each handler waits for a window of its
// class; other modal windows (a progress dialog, say) are left alone.
class Answerer
{
public:
    void expect(const QString &cls, std::function<void(QWidget *)> handler)
    {
        m_handlers.append({cls, std::move(handler)});
    }
    bool done() const { return m_handlers.isEmpty(); }
    QStringList texts; // what the message boxes and report summaries said

private:
    bool accepts(QWidget *modal) const
    {
        return !m_handlers.isEmpty() && !m_handled.contains(modal) &&
               className(modal) == m_handlers.first().first;
    }
    void answer(QWidget *modal)
    {
        m_handled << modal;
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            texts << box->text();
        if (auto *report = qobject_cast<vcq::ImportReportDialog *>(modal))
            texts << report->lblSummary->text();
        const auto handler = m_handlers.takeFirst().second;
        handler(modal);
    }
    QList<QPair<QString, std::function<void(QWidget *)>>> m_handlers;
    QList<QPointer<QWidget>> m_handled;
    vcq::test::ModalAnswer m_watch{[this](QWidget *modal) { return accepts(modal); },
                                   [this](QWidget *modal) { answer(modal); },
                                   vcq::test::ModalAnswer::Times::Every};
};

// The file dialog chooses these files (and filter) and is accepted.
std::function<void(QWidget *)> choose(const QStringList &files, const QString &filter = {},
                                      std::function<void(QFileDialog *)> more = {})
{
    return [=](QWidget *w) {
        auto *dialog = static_cast<QFileDialog *>(w);
        if (!filter.isEmpty())
            dialog->selectNameFilter(filter);
        if (more)
            more(dialog);
        QStringList quoted;
        for (const QString &f : files)
            quoted << u'"' + QFileInfo(f).fileName() + u'"';
        dialog->setDirectory(QFileInfo(files.first()).absolutePath());
        dialog->selectFile(files.size() == 1 ? QFileInfo(files.first()).fileName()
                                             : quoted.join(u' '));
        static_cast<QDialog *>(dialog)->accept(); // as the Open or Save button does
    };
}

void closeReport(QWidget *w)
{
    static_cast<vcq::ImportReportDialog *>(w)->cmdClose->click();
}

// Opens the list's context menu as a right click does and triggers an entry.
void triggerMenu(TfrmMain &w, const char *action, QStringList *texts = nullptr)
{
    QWidget *viewport = w.lstList->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            viewport->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(viewport, &event);
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
    if (texts)
        for (QAction *a : menu->actions())
            *texts << a->text();
    QAction *chosen = menu->findChild<QAction *>(QString::fromLatin1(action));
    QVERIFY(chosen);
    QVERIFY(chosen->isEnabled());
    chosen->trigger();
    menu->close();
}

} // namespace

class TestMainWindowInterop : public QObject
{
    Q_OBJECT
    TestFolder m_folder;

private slots:
    void init()
    {
        m_folder.enter();
        m_folder.watcher.reset(); // each test answers its own dialogs
    }
    void cleanup() { m_folder.leave(); }

    void droppedFilesAreImportedAndListed()
    {
        QVERIFY(writeDataFile({contact("Martin", "Paul", {{Field::Phone1, "1"}})}));
        writeText("new.vcf", card("Abel", "Anne", "2") + card("Martin", "Paul", "1") +
                                 card("Zola", "Emile", "3"));
        writeText("notes.txt", "BEGIN:VCARD");
        auto w = startWindow();
        Answerer answers;
        answers.expect("ImportReportDialog", [](QWidget *d) {
            auto *report = static_cast<vcq::ImportReportDialog *>(d);
            // Only the remark is shown until the additions are asked for.
            QCOMPARE(report->tblReport->model()->rowCount(), 1);
            report->chkShowAdded->click();
            QCOMPARE(report->tblReport->model()->rowCount(), 3);
            report->cmdClose->click();
        });

        QMimeData ignored;
        ignored.setUrls({QUrl::fromLocalFile(QDir::current().filePath("notes.txt"))});
        QDragEnterEvent refuse(QPoint(100, 100), Qt::CopyAction, &ignored, Qt::LeftButton,
                               Qt::NoModifier);
        refuse.ignore();
        QApplication::sendEvent(w.get(), &refuse);
        QVERIFY(!refuse.isAccepted());

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QDir::current().filePath("new.vcf")),
                      QUrl::fromLocalFile(QDir::current().filePath("notes.txt"))});
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &drop);
        QTRY_VERIFY(answers.done());
        QCOMPARE(answers.texts.value(0),
                 "Contacts added: 2. Duplicates not added: 1. Broken cards not added: 0. Read with "
                 "a repair: 0. Remarks on the data carried: 0.");
        QCOMPARE(listTexts(*w), (QStringList{"Abel Anne", "Martin Paul", "Zola Emile"}));
        QVERIFY(w->lstList->isEnabled());
        QCOMPARE(readFile().size(), 4 * 764);
    }

    void contextMenuInBothLanguages_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("English") << 0
                                 << QStringList{"Import contacts...", "Export all contacts...",
                                                "Export this contact..."};
        QTest::newRow("French") << 1
                                << QStringList{"Importer des contacts...",
                                               "Exporter tous les contacts...",
                                               "Exporter ce contact..."};
    }
    void contextMenuInBothLanguages()
    {
        QFETCH(int, language);
        QFETCH(QStringList, texts);
        QVERIFY(writeDataFile({contact("Martin", "Paul")}));
        auto w = startWindow();
        w->state().ProgramSettings.Language = language;
        writeText("in.vcf", card("New", "One", "5"));
        Answerer answers;
        answers.expect("QFileDialog", choose({QDir::current().filePath("in.vcf")}));
        answers.expect("ImportReportDialog", closeReport);
        QStringList seen;
        triggerMenu(*w, "actImportContacts", &seen);
        // Import and export come first; the whole menu is tst_list_menu's.
        QCOMPARE(seen.mid(0, 3), texts);
        QTRY_VERIFY(answers.done());
        QCOMPARE(w->listModel().count(), 2);
    }

    // The import dialog opens where the last import was chosen, and its
    // check box adds duplicates.
    void importDialogRemembersItsFolderAndAllowsDuplicates()
    {
        QVERIFY(writeDataFile({contact("Martin", "Paul", {{Field::Phone1, "1"}})}));
        QDir().mkdir("cards");
        const QString in = QDir::current().filePath("cards/same.vcf");
        writeText(in, card("Martin", "Paul", "1"));
        auto w = startWindow();
        Answerer answers;
        answers.expect("QFileDialog", choose({in}, {}, [](QFileDialog *d) {
                           auto *allow = d->findChild<QCheckBox *>("chkAllowDuplicates");
                           QVERIFY(allow);
                           QVERIFY(!allow->isChecked());
                           allow->setChecked(true);
                       }));
        answers.expect("ImportReportDialog", closeReport);
        triggerMenu(*w, "actImportContacts");
        QTRY_VERIFY(answers.done());
        QCOMPARE(listTexts(*w), (QStringList{"Martin Paul", "Martin Paul"}));

        // A second window (the next run) opens the dialog in the same folder.
        w.reset();
        auto again = startWindow();
        QString openedIn;
        bool allowKept = false;
        answers.expect("QFileDialog", [&](QWidget *d) {
            auto *dialog = static_cast<QFileDialog *>(d);
            openedIn = dialog->directory().absolutePath();
            allowKept = dialog->findChild<QCheckBox *>("chkAllowDuplicates")->isChecked();
            dialog->reject();
        });
        triggerMenu(*again, "actImportContacts");
        QTRY_VERIFY(answers.done());
        QCOMPARE(openedIn, QFileInfo(in).absolutePath());
        QVERIFY(!allowKept); // the check box is a choice for one import at a time per run
    }

    void exportAllAndThisContact_data()
    {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("cards");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all as vCard 4.0")
            << QByteArray("actExportAll") << "vCard 4.0 (*.vcf)" << 2 << "VERSION:4.0";
        QTest::newRow("all as CSV") << QByteArray("actExportAll") << "CSV (*.csv)" << 0 << "Zola";
        QTest::newRow("the selected one")
            << QByteArray("actExportThis") << "vCard 3.0 (*.vcf)" << 1 << "N:Abel;Anne";
    }
    void exportAllAndThisContact()
    {
        QFETCH(QByteArray, action);
        QFETCH(QString, filter);
        QFETCH(int, cards);
        QFETCH(QString, expected);
        QVERIFY(writeDataFile({contact("Zola", "Emile"), contact("Abel", "Anne")}));
        const QByteArray before = readFile();
        auto w = startWindow();
        const QString out = QDir::current().filePath("out.data");
        Answerer answers;
        answers.expect("QFileDialog", choose({out}, filter));
        answers.expect("QMessageBox",
                       [](QWidget *box) { static_cast<QMessageBox *>(box)->accept(); });
        triggerMenu(*w, action.constData());
        QTRY_VERIFY(answers.done());
        QVERIFY2(answers.texts.value(0).startsWith(
                     "Contacts exported: " + QString::number(action == "actExportThis" ? 1 : 2)),
                 qPrintable(answers.texts.value(0)));
        const QString written = QString::fromUtf8(readFile(out));
        QCOMPARE(written.count("BEGIN:VCARD"), cards);
        QVERIFY2(written.contains(expected), qPrintable(written));
        QCOMPARE(readFile(), before);
    }

    void cancelKeepsWhatWasAddedAndSaysSo()
    {
        QVERIFY(writeDataFile({}));
        std::string many;
        for (int i = 0; i < 30000; ++i)
            many += card("Person" + std::to_string(i), "Ann", std::to_string(100000 + i));
        writeText("many.vcf", many);
        auto w = startWindow();
        Answerer answers;
        answers.expect("QFileDialog", choose({QDir::current().filePath("many.vcf")}));
        answers.expect("QProgressDialog", [](QWidget *d) {
            auto *progress = static_cast<QProgressDialog *>(d);
            for (QPushButton *b : progress->findChildren<QPushButton *>())
                if (b->text() == "Cancel")
                    b->click();
        });
        answers.expect("ImportReportDialog", closeReport);
        triggerMenu(*w, "actImportContacts");
        QTRY_VERIFY_WITH_TIMEOUT(answers.done(), 60000);
        const QString summary = answers.texts.value(0);
        QVERIFY2(summary.startsWith("Import cancelled. Contacts added before it stopped: "),
                 qPrintable(summary));
        const int added = w->listModel().count();
        QVERIFY(added < 30000);
        QVERIFY(summary.contains(QString::number(added) + '.'));
        QCOMPARE(readFile().size(), (added + 1) * 764);
    }

    void reportIsSavedAsPlainText()
    {
        QVERIFY(writeDataFile({}));
        writeText("odd.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:<b>Bold</b>;Ann\r\n"
                             "PHOTO:abc\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:Lost\r\n");
        auto w = startWindow();
        const QString saved = QDir::current().filePath("report.txt");
        Answerer answers;
        answers.expect("ImportReportDialog", [&answers, saved](QWidget *d) {
            QPointer<vcq::ImportReportDialog> report = static_cast<vcq::ImportReportDialog *>(d);
            QCOMPARE(report->lblSummary->textFormat(), Qt::PlainText);
            answers.expect("QFileDialog", [saved, report](QWidget *fileDialog) {
                choose({saved})(fileDialog);
                // Then the report is closed.
                QMetaObject::invokeMethod(report->cmdClose, &QPushButton::click,
                                          Qt::QueuedConnection);
            });
            // Clicked once this answer has returned, as a user's click comes later.
            QMetaObject::invokeMethod(report->cmdSave, &QPushButton::click, Qt::QueuedConnection);
        });
        w->importContacts({QDir::current().filePath("odd.vcf")}, false);
        QTRY_VERIFY(answers.done());
        const QString text = QString::fromUtf8(readFile(saved));
        QVERIFY2(text.contains("<b>Bold</b>"), qPrintable(text));
        QVERIFY(text.contains("broken card"));
        QVERIFY(text.contains("data not carried"));
        QVERIFY(text.contains("added"));
        QCOMPARE(listTexts(*w), QStringList{"<b>Bold</b> Ann"});
    }
};

VCQ_WINDOW_TEST_MAIN(TestMainWindowInterop)
#include "tst_main_window_interop.moc"
