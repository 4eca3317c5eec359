// SPDX-License-Identifier: GPL-3.0-or-later
// The print dialog driven as a user drives it, offscreen, printing to PDF
// files in a temporary folder that poppler then reads back.
#include "common/modal_answer.h"
#include "print/tfrm_print.h"
#include "print_test_util.h"

#include <QAbstractButton>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace vcq;
using namespace vcq::print;
using namespace vcq::print::test;

namespace
{

// Answers the modal boxes that come up, in order, by the text of a button,
// and keeps their captions and texts.
class BoxAnswerer
{
public:
    explicit BoxAnswerer(QStringList answers) : m_answers(std::move(answers)) {}
    QStringList captions, texts, buttons;
    QList<Qt::TextFormat> formats;
    QList<QRect> places;      // each box's outer rectangle as it came up
    QStringList otherDialogs; // class names of modal windows that are not message boxes

private:
    void answer(QWidget *modal)
    {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            otherDialogs << modal->metaObject()->className();
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            m_answers.removeFirst();
            return;
        }
        captions << box->windowTitle();
        places << box->frameGeometry();
        texts << box->text();
        formats << box->textFormat();
        QStringList names;
        for (QAbstractButton *b : box->buttons())
            names << b->text();
        buttons << names.join('|');
        const QString answer = m_answers.takeFirst();
        for (QAbstractButton *b : box->buttons())
            if (b->text() == answer)
                b->click();
    }
    QStringList m_answers;
    vcq::test::ModalAnswer m_watch{[this](QWidget *) { return !m_answers.isEmpty(); },
                                   [this](QWidget *modal) { answer(modal); },
                                   vcq::test::ModalAnswer::Times::Every};
};

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestFrmPrint : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldCwd;
    ContactList m_list;
    bool m_printEnabled = true;
    int m_language = 0;
    QWidget m_main;

    std::unique_ptr<TfrmPrint> makeDialog()
    {
        auto d = std::make_unique<TfrmPrint>(
            m_list, [this] { return m_printEnabled; }, vcq::languageFromCode(m_language), &m_main);
        // Wherever the machine's default printer is, the output goes to the test's folder.
        d->printer().setOutputFormat(QPrinter::PdfFormat);
        d->printer().setOutputFileName(pdfPath());
        return d;
    }
    QString pdfPath() const { return m_dir.filePath(QStringLiteral("VCQ97.pdf")); }

    void select(TfrmPrint &d, int row)
    {
        auto *list = d.findChild<QListWidget *>(QStringLiteral("lstPrint"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
        QVERIFY(list->item(row)->isSelected());
    }

    void clickPrint(TfrmPrint &d)
    {
        QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("btnPrint")), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        for (int i = 0; i < 40; ++i)
            addContact(m_list, {{Field::LastName,
                                 std::string(1, char('A' + i % 26)) + "son" + std::to_string(i)},
                                {Field::FirstName, "Kim"},
                                {Field::Phone1, "555-01" + std::to_string(10 + i)},
                                {Field::Email, "kim" + std::to_string(i) + "@example.org"}});
        m_main.setGeometry(100, 80, 632, 453);
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldCwd); }
    void cleanup()
    {
        QFile::remove(pdfPath());
        m_printEnabled = true;
        m_language = 0;
    }

    void texts_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("expected"); // tab, select, print, cancel, setup
        const QStringList english = {"Print Carnetique", "Select print format", "&Print", "&Cancel",
                                     "P&rinter Setup"};
        QTest::newRow("0 English") << 0 << english;
        QTest::newRow("2 English") << 2 << english;
        QTest::newRow("-1 English") << -1 << english;
        QTest::newRow("1 French") << 1
                                  << QStringList{"Impression du Carnetique",
                                                 "Selection du format d'impression", "&Imprimer",
                                                 "&Annuler", "&Configuration imprimante"};
    }
    void texts()
    {
        QFETCH(int, language);
        QFETCH(QStringList, expected);
        auto d = makeDialog();
        d->show();
        d->ChooseLanguage(vcq::languageFromCode(language)); // kept for the next showing
        d->hide();
        d->show();
        const QStringList shown = {
            d->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->tabText(0),
            d->findChild<QLabel *>(QStringLiteral("lblSelect"))->text(),
            d->findChild<QPushButton *>(QStringLiteral("btnPrint"))->text(),
            d->findChild<QPushButton *>(QStringLiteral("btnCancel"))->text(),
            d->findChild<QPushButton *>(QStringLiteral("btnPrintConfig"))->text()};
        QCOMPARE(shown, expected);
        QCOMPARE(d->windowTitle(), QStringLiteral("Vellora Carnetique 97"));
        auto *list = d->findChild<QListWidget *>(QStringLiteral("lstPrint"));
        QCOMPARE(list->item(0)->text(), QStringLiteral("Wallet Book"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("Page List"));
        QCOMPARE(d->size(), QSize(401, 188));
    }

    void confirmationInEachLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("question");
        QTest::newRow("English") << 0 << "Do you really want to print ?";
        QTest::newRow("French") << 1 << "Voulez-vous vraiment imprimer ?";
    }
    void confirmationInEachLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, question);
        m_language = language;
        // Away from the screen's centre, so that a box centred on the dialog shows it.
        m_main.setGeometry(0, 0, 632, 453);
        auto d = makeDialog();
        d->show();
        select(*d, 0);
        BoxAnswerer answers({"Cancel"});
        clickPrint(*d);
        QCOMPARE(answers.captions, QStringList{"Confirm"});
        // The question stands in the middle of the screen.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(answers.places.size(), 1);
        const QPoint off = answers.places[0].center() - screen.center();
        QVERIFY2(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1,
                 qPrintable(QStringLiteral("%1,%2 from the centre").arg(off.x()).arg(off.y())));
        QCOMPARE(answers.texts, QStringList{question});
        QCOMPARE(answers.buttons, QStringList{"OK|Cancel"});
        QVERIFY(!QFile::exists(pdfPath()));
        QVERIFY(d->isVisible());
    }

    void nothingPrinted_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("answers");
        QTest::newRow("no layout selected") << -1 << true << QStringList{"OK"};
        QTest::newRow("print not enabled") << 0 << false << QStringList{};
    }
    void nothingPrinted()
    {
        QFETCH(int, row);
        QFETCH(bool, enabled);
        QFETCH(QStringList, answers);
        m_printEnabled = enabled;
        auto d = makeDialog();
        d->show();
        if (row >= 0)
            select(*d, row);
        BoxAnswerer answerer({"OK"});
        clickPrint(*d);
        QCOMPARE(answerer.captions.size(), answers.size());
        QVERIFY(!QFile::exists(pdfPath()));
        QVERIFY(d->isVisible());
    }

    // Without a printer the document goes to VCQ97.pdf: a link there is never
    // followed (its target stays as it was), a pipe never waited on.
    void fallbackPdfRefusesWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to a file") << "link";
        QTest::newRow("dangling link") << "dangling";
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("folder") << "folder";
    }
    void fallbackPdfRefusesWhatIsNotAFile()
    {
        QFETCH(QString, kind);
        auto d = makeDialog();
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a printer: no PDF fallback");
        const QString target = m_dir.filePath("precious.txt");
        const QByteArray p = QFile::encodeName(pdfPath());
        if (kind == "link" || kind == "dangling") {
            if (kind == "link") {
                QFile f(target);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("keep me");
            }
            QVERIFY(QFile::link(target, pdfPath()));
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(p.constData(), 0600), 0);
        } else {
            QVERIFY(QDir(m_dir.path()).mkdir("VCQ97.pdf"));
        }
        d->show();
        select(*d, 1);
        BoxAnswerer answers({"OK", "OK"});
        clickPrint(*d);
        QTRY_COMPARE(answers.texts.size(), 2);
        QCOMPARE(answers.texts[1],
                 QString("No printer is installed, and %1 is not an ordinary file (a symbolic "
                         "link, a pipe or a folder): nothing was written.")
                     .arg(QDir::toNativeSeparators(pdfPath())));
        if (kind == "link") {
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("keep me"));
        } else {
            QVERIFY(!QFile::exists(target));
        }
        // Nothing else was left in the folder.
        QCOMPARE(QDir(m_dir.path())
                     .entryList({"VCQ97.pdf*"}, QDir::AllEntries | QDir::System | QDir::Hidden),
                 QStringList{"VCQ97.pdf"});
        QFile::remove(target);
        QDir(m_dir.path()).rmdir("VCQ97.pdf");
    }

    // The path in the "saved as" message comes from the file system: a folder
    // named like markup shows as it is named.
    void fallbackMessageIsPlainText()
    {
        auto d = makeDialog();
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a printer: no PDF fallback");
        d->show();
        select(*d, 1);
        BoxAnswerer answers({"OK", "OK"});
        clickPrint(*d);
        QTRY_COMPARE(answers.texts.size(), 2);
        QVERIFY(answers.texts[1].endsWith(QDir::toNativeSeparators(pdfPath())));
        QCOMPARE(answers.formats, QList<Qt::TextFormat>({Qt::PlainText, Qt::PlainText}));
        QVERIFY(QFile::exists(pdfPath()));
    }

    void enterActivatesCancel()
    {
        auto d = makeDialog();
        d->show();
        auto *list = d->findChild<QListWidget *>(QStringLiteral("lstPrint"));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }

    void centredOnTheMainWindow_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::newRow("on screen") << QRect(100, 80, 632, 453);
        QTest::newRow("partly off screen") << QRect(-500, -301, 633, 453);
    }
    void centredOnTheMainWindow()
    {
        QFETCH(QRect, main);
        m_main.setGeometry(main);
        auto d = makeDialog();
        d->show();
        const QRect f = m_main.frameGeometry();
        QCOMPARE(d->frameGeometry().topLeft(),
                 QPoint(f.left() + f.width() / 2 - d->frameGeometry().width() / 2,
                        f.top() + f.height() / 2 - d->frameGeometry().height() / 2));
        m_main.setGeometry(100, 80, 632, 453);
    }

    void printerSetupOpensThePrintDialog()
    {
        auto d = makeDialog();
        d->show();
        BoxAnswerer answerer({"-"});
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("btnPrintConfig")),
                          Qt::LeftButton);
        QCOMPARE(answerer.otherDialogs, QStringList{"QPrintDialog"});
        QCOMPARE(d->printer().outputFileName(), pdfPath()); // a cancelled setup changes nothing
    }

    void walletBookToPdf()
    {
        auto d = makeDialog();
        d->show();
        select(*d, 0);
        BoxAnswerer answerer({"OK", "OK"}); // the question, and where the file went
        clickPrint(*d);
        QVERIFY(QFile::exists(pdfPath()));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);

        const QString info = run("pdfinfo", {pdfPath()});
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(info));
        const QSizeF pts = d->printer().pageLayout().fullRect(QPageLayout::Point).size();
        QVERIFY2(info.contains(QStringLiteral("%1 x %2 pts").arg(pts.width()).arg(pts.height())),
                 qPrintable(info));
        const QString text = run("pdftotext", {"-layout", pdfPath(), "-"});
        for (const char *s : {"Ason0 Kim", "Nson39 Kim", "555-0110", "kim39@example.org", "Page 1",
                              "Page 2", "\u260E"})
            QVERIFY2(text.contains(QString::fromUtf8(s)), s);
    }

    void pageListToPdf()
    {
        auto d = makeDialog();
        d->show();
        select(*d, 1);
        BoxAnswerer answerer({"OK", "OK"});
        clickPrint(*d);
        const QString info = run("pdfinfo", {pdfPath()});
        QVERIFY2(info.contains(QRegularExpression("Title:\\s+Vellora Carnetique 97\\n")),
                 qPrintable(info));
        const QStringList pages = run("pdftotext", {pdfPath(), "-"}).split('\f');
        QVERIFY2(pages.size() > 2, "the list should need at least two pages");
        // Every contact's block stands whole on one page, under its heading.
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("%1son%2 Kim").arg(QChar('A' + i % 26)).arg(i);
            int on = -1;
            for (int p = 0; p < pages.size(); ++p)
                if (pages[p].contains(name + '\n'))
                    on = p;
            QVERIFY2(on >= 0, qPrintable(name));
            QVERIFY2(pages[on].contains(QStringLiteral("555-01%1").arg(10 + i)), qPrintable(name));
            QVERIFY2(pages[on].contains(QStringLiteral("kim%1@example.org").arg(i)),
                     qPrintable(name));
        }
    }

    void noPrinterFallsBackToPdfInTheWorkingDirectory()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a default printer");
        TfrmPrint d(
            m_list, [] { return true; }, vcq::Language::English, &m_main);
        QCOMPARE(d.printer().outputFormat(), QPrinter::PdfFormat);
        QCOMPARE(d.printer().outputFileName(), pdfPath());
        d.show();
        select(d, 1);
        BoxAnswerer answerer({"OK", "OK"});
        clickPrint(d);
        QVERIFY(QFile::exists(pdfPath()));
        QCOMPARE(answerer.captions, (QStringList{"Confirm", "Vellora Carnetique 97"}));
        QCOMPARE(answerer.texts.value(1),
                 "No printer is installed. The document was saved in the file " + pdfPath());
    }
};

QTEST_MAIN(TestFrmPrint)
#include "tst_tfrm_print.moc"
