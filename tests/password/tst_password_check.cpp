// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up check between a real data file's header and its contacts:
// a protected file is opened, the dialog is answered as a user would, and
// the contacts load only after the right password. A cancelled check leaves
// the file exactly as it was.
#include "dialog_helpers.h"
#include "password/password_check.h"
#include "password/tfrm_password_dlg.h"
#include "store/contact_store.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using vcq::TfrmPasswordDlg;

using namespace vcq::test;
using vcq::ContactRecord;
using vcq::Field;

namespace
{

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ContactRecord person(const char *last, const char *first)
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    return r;
}

// Creates a data file with two contacts and the password header a run of the
// program leaves after the Options dialog: the password as chosen, scrambled.
void createFile(const std::string &path, const QString &chosen, bool protect)
{
    vcq::ContactStore store;
    QCOMPARE(store.open(path), vcq::ContactStore::OpenResult::Created);
    store.add(person("Smith", "John"));
    store.add(person("Doe", "Jane"));
    ContactRecord header = store.header();
    vcq::setHeaderPassword(header, chosen.toStdString());
    vcq::setHeaderProtection(header, protect);
    store.writeHeader(header);
    store.close();
}

} // namespace

class TestPasswordCheck : public QObject
{
    Q_OBJECT

private slots:
    // answers: what the user does in turn; every entry but the last is a
    // password that must be refused. "<cancel>", "<escape>" and "<close>"
    // leave the dialog without a password.
    void startup_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("protect");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("loads");

        QTest::newRow("not protected: no question") << "Secret" << false << QStringList() << true;
        QTest::newRow("right password") << "Secret" << true << QStringList{"Secret"} << true;
        QTest::newRow("wrong case, then right")
            << "Secret" << true << QStringList{"secret", "SECRET", "Secret"} << true;
        QTest::newRow("Cancel") << "Secret" << true << QStringList{"<cancel>"} << false;
        QTest::newRow("wrong, then Cancel")
            << "Secret" << true << QStringList{"Secre", "<cancel>"} << false;
        QTest::newRow("close box") << "Secret" << true << QStringList{"<close>"} << false;
        QTest::newRow("Escape") << "Secret" << true << QStringList{"<escape>"} << false;
        QTest::newRow("empty password, empty field") << "" << true << QStringList{""} << true;
        QTest::newRow("empty password, text refused") << "" << true << QStringList{"x", ""} << true;
        QTest::newRow("twelve characters, typed whole")
            << "abcdefghijkl" << true << QStringList{"abcdefghijkl"} << true;
        QTest::newRow("twelve characters, first ten")
            << "abcdefghijkl" << true << QStringList{"abcdefghij"} << true;
        QTest::newRow("twelve characters, wrong within ten")
            << "abcdefghijkl" << true << QStringList{"abcdefghiXkl", "abcdefghi", "<close>"}
            << false;
        QTest::newRow("outer blanks, typed with them")
            << " pass word " << true << QStringList{" pass word "} << true;
        QTest::newRow("outer blanks, typed without")
            << " pass word " << true << QStringList{"password", "pass word"} << true;
    }
    void startup()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, protect);
        QFETCH(QStringList, answers);
        QFETCH(bool, loads);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("VCQ97.NAM"));
        createFile(path.toStdString(), chosen, protect);
        const QByteArray before = readAll(path);

        // The next start of the program.
        vcq::PasswordState state;
        TfrmPasswordDlg dialog(state, vcq::Language::English);
        QSignalSpy shown(&dialog, &QDialog::finished);
        vcq::ContactStore store;
        QCOMPARE(store.open(path.toStdString()), vcq::ContactStore::OpenResult::Opened);

        bool nothingReadYet = false;
        const auto user = onNextModal<TfrmPasswordDlg>([&](TfrmPasswordDlg *d) {
            nothingReadYet = store.list().empty();
            auto *edit = child<QLineEdit>(d, "txtPwd");
            for (qsizetype i = 0; i < answers.size(); ++i) {
                const QString &a = answers[i];
                if (a == "<cancel>") {
                    QTest::mouseClick(child<QPushButton>(d, "cmdCancel"), Qt::LeftButton);
                } else if (a == "<escape>") {
                    QTest::keyClick(edit, Qt::Key_Escape);
                } else if (a == "<close>") {
                    d->close();
                } else {
                    edit->clear();
                    QTest::keyClicks(edit, a);
                    ErrorBoxSeen seen;
                    const auto box = answerErrorBox(seen);
                    QTest::keyClick(edit, Qt::Key_Return);
                    const bool last = i == answers.size() - 1;
                    if (seen.text.isEmpty() != last) {
                        QTest::qFail(qPrintable(a + (last ? " was refused" : " was accepted")),
                                     __FILE__, __LINE__);
                        break;
                    }
                }
            }
            if (d->isVisible()) {
                QTest::qFail("the dialog is still open", __FILE__, __LINE__);
                d->reject();
            }
        });

        const bool passes = vcq::passwordCheckPasses(state, store.header(), dialog);
        QCOMPARE(passes, loads);
        QCOMPARE(state.PasswordDialogCancelled, !loads);
        QCOMPARE(shown.size(), protect ? 1 : 0);
        QCOMPARE(nothingReadYet, protect);
        // What the rest of the run sees: the password as scrambling kept it.
        QCOMPARE(QString::fromStdString(state.CurrentPassword), chosen.left(10).trimmed());
        QCOMPARE(state.PasswordProtected, protect);

        if (passes)
            store.loadContacts();
        QCOMPARE(store.list().size(), loads ? std::size_t(2) : std::size_t(0));
        store.close();
        QCOMPARE(readAll(path), before);
    }
};

QTEST_MAIN(TestPasswordCheck)
#include "tst_password_check.moc"
