// SPDX-License-Identifier: GPL-3.0-or-later
// The import report in plain words in both languages, built from real
// imports: the table's detail column, the file name with its path on hover,
// and the saved text.
#include "mainwin/import_report_dialog.h"
#include "mainwin/report_words.h"
#include "window_fixture.h"

#include "interop/importer.h"

#include <QTableView>

using namespace testutil;
using vcq::Language;

namespace
{

// The details of a real import of `card` into an empty data file.
QStringList detailsOf(const std::string &card, Language language,
                      vcq::interop::ImportReport *report = nullptr)
{
    QFile f(QStringLiteral("in.vcf"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write(card.data(), qint64(card.size()));
    f.close();
    QFile::remove(kDataFile);
    vcq::ContactStore store;
    store.open(kDataFile.toStdString());
    const auto result = vcq::interop::importFiles(
        store, kDataFile.toStdString(), {QDir::current().filePath("in.vcf").toStdString()}, {});
    QStringList details;
    for (const auto &row : result.report.rows())
        if (row.event != vcq::interop::ReportEvent::Added)
            details << vcq::plainDetail(row, language);
    if (report)
        *report = result.report;
    return details;
}

} // namespace

class TestReportWords : public QObject
{
    Q_OBJECT
    TestFolder m_folder;

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void detailsInPlainWords_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QStringList>("english");
        QTest::addColumn<QStringList>("french");
        QTest::newRow("transliterated")
            << QByteArray("N:Łukasz;Ann;;;") << QStringList{"Łukasz written as Lukasz (last name)"}
            << QStringList{"Łukasz écrit Lukasz (nom)"};
        QTest::newRow("photo") << QByteArray("N:Roy;Ann;;;\r\nPHOTO;ENCODING=b:QUJD")
                               << QStringList{"photo not kept (no place for it)"}
                               << QStringList{"photo : donnée non reprise (aucun champ pour elle)"};
        QTest::newRow("web address")
            << QByteArray("N:Roy;Ann;;;\r\nURL:http://example.org/")
            << QStringList{"web address \u201Chttp://example.org/\u201D not kept (no place for "
                           "it)"}
            << QStringList{"adresse web « http://example.org/ » : donnée non reprise (aucun "
                           "champ pour elle)"};
        QTest::newRow("cut") << QByteArray("N:" + QByteArray(30, 'A') + "XYZ;Ann;;;")
                             << QStringList{"last name too long: \u201CXYZ\u201D left out"}
                             << QStringList{"nom : texte trop long, « XYZ » laissé de côté"};
        QTest::newRow("second e-mail")
            << QByteArray("N:Roy;Ann;;;\r\nEMAIL:a@x.org\r\nEMAIL:b@x.org")
            << QStringList{"e-mail b@x.org not kept (only one e-mail is kept)"}
            << QStringList{"courriel b@x.org non repris (un seul courriel est gardé)"};
        QTest::newRow("a pager kept as the home phone")
            << QByteArray("N:Roy;Ann;;;\r\nTEL;TYPE=cell:1\r\nTEL;TYPE=pager:2")
            << QStringList{"phone 2 (pager) kept as the home phone"}
            << QStringList{"téléphone 2 (pager) gardé comme téléphone du domicile"};
        QTest::newRow("bytes read with a repair")
            << QByteArray("N:Ren\xE9;Ann;;;")
            << QStringList{"text that is not valid UTF-8, line 3: N"}
            << QStringList{"un texte qui n'est pas de l'UTF-8 valide, ligne 3 : N"};
        QTest::newRow("bad birth date")
            << QByteArray("N:Roy;Ann;;;\r\nBDAY:1985-02-31")
            << QStringList{"birth date \u201C1985-02-31\u201D is not a whole valid date: not kept"}
            << QStringList{"date de naissance « 1985-02-31 » incomplète ou invalide : non "
                           "reprise"};
    }
    void detailsInPlainWords()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QStringList, english);
        QFETCH(QStringList, french);
        const std::string card =
            "BEGIN:VCARD\r\nVERSION:3.0\r\n" + lines.toStdString() + "\r\nEND:VCARD\r\n";
        QCOMPARE(detailsOf(card, Language::English), english);
        QCOMPARE(detailsOf(card, Language::French), french);
    }

    // The table shows the words and the file's name (its path on hover); the
    // saved report has the same words.
    void tableAndSavedText()
    {
        vcq::interop::ImportReport report;
        detailsOf("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Łukasz;Ann;;;\r\nEND:VCARD\r\n",
                  Language::French, &report);
        vcq::ImportReportDialog dialog(report, "t", "s", Language::French, QDir::currentPath());
        const QAbstractItemModel *model = dialog.tblReport->model();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, 0).data().toString(), QString("in.vcf"));
        QCOMPARE(model->index(0, 0).data(Qt::ToolTipRole).toString(),
                 QDir::current().filePath("in.vcf"));
        QCOMPARE(model->index(0, 4).data().toString(), QString("Łukasz écrit Lukasz (nom)"));
        QCOMPARE(dialog.tblReport->textElideMode(), Qt::ElideMiddle);
        QVERIFY(dialog.saveTo("report.txt"));
        const QString saved = QString::fromUtf8(readFile("report.txt"));
        QVERIFY2(saved.contains("Łukasz écrit Lukasz (nom)"), qPrintable(saved));
    }
};

VCQ_WINDOW_TEST_MAIN(TestReportWords)
#include "tst_report_words.moc"
