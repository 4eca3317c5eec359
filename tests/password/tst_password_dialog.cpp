// SPDX-License-Identifier: GPL-3.0-or-later
// The password dialog as a user meets it: typed keys, clicks, Enter, Escape
// and the close box, with the error box answered by the test.
#include "password/tfrm_password_dlg.h"

#include "dialog_helpers.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

using vcq::TfrmPasswordDlg;

using namespace vcq::test;

class TestPasswordDialog : public QObject
{
    Q_OBJECT

    vcq::PasswordState state;
    int language = 0;

    std::unique_ptr<TfrmPasswordDlg> makeDialog()
    {
        return std::make_unique<TfrmPasswordDlg>(state, vcq::languageFromCode(language));
    }

    // Shows the dialog with exec() and lets the user act once it is up; a
    // failed check inside the action closes the dialog so the test ends.
    int run(TfrmPasswordDlg &dlg, std::function<void(TfrmPasswordDlg *)> user)
    {
        const auto answer = onNextModal<TfrmPasswordDlg>([user](TfrmPasswordDlg *d) {
            user(d);
            if (QTest::currentTestFailed() && d->isVisible())
                d->reject();
        });
        return dlg.exec();
    }

private slots:
    void init()
    {
        state = {};
        language = 0;
    }

    void texts_data()
    {
        QTest::addColumn<int>("lang");
        QTest::addColumn<bool>("confirming");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("English check") << 0 << false << "Enter Access Password"
                                       << "&Cancel";
        QTest::newRow("English confirm") << 0 << true << "Password Confirmation"
                                         << "&Cancel";
        QTest::newRow("French check")
            << 1 << false << QString::fromUtf8("Mot de passe d'accès") << "&Annuler";
        QTest::newRow("French confirm") << 1 << true << "Confirmation du mot de passe"
                                        << "&Annuler";
        QTest::newRow("code 2 is English") << 2 << false << "Enter Access Password"
                                           << "&Cancel";
        QTest::newRow("code -1 is English") << -1 << true << "Password Confirmation"
                                            << "&Cancel";
    }
    // The texts follow the language last chosen and the mode of the moment the
    // dialog is shown, not those it was created with.
    void texts()
    {
        QFETCH(int, lang);
        QFETCH(bool, confirming);
        QFETCH(QString, label);
        QFETCH(QString, cancel);
        language = lang == 1 ? 0 : 1;
        state.PasswordChanged = !confirming;
        auto dlg = makeDialog();
        dlg->ChooseLanguage(vcq::languageFromCode(lang));
        state.PasswordChanged = confirming;
        run(*dlg, [&](TfrmPasswordDlg *d) {
            QCOMPARE(child<QLabel>(d, "lblPwd")->text(), label);
            QCOMPARE(child<QPushButton>(d, "cmdOk")->text(), QStringLiteral("&Ok"));
            QCOMPARE(child<QPushButton>(d, "cmdCancel")->text(), cancel);
            QCOMPARE(d->windowTitle(), QStringLiteral("Vellora Carnetique 97"));
            d->reject();
        });
    }

    void layout()
    {
        auto dlg = makeDialog();
        state.CurrentPassword = "x";
        run(*dlg, [&](TfrmPasswordDlg *d) {
            QCOMPARE(d->size(), QSize(214, 77));
            QCOMPARE(d->minimumSize(), d->maximumSize());
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            const QPoint offset = d->frameGeometry().center() - screen.center();
            QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, "not centred on the screen");

            const QPixmap picture = child<QLabel>(d, "Image1")->pixmap();
            QCOMPARE(picture.size(), QSize(32, 32));
            const QImage image = picture.toImage();
            QVERIFY2(image.pixelColor(16, 22).alpha() > 0, "the picture was not drawn");

            auto *edit = child<QLineEdit>(d, "txtPwd");
            QCOMPARE(QApplication::focusWidget(), edit);
            QTest::keyClicks(edit, "pw!");
            QCOMPARE(edit->displayText(), QStringLiteral("***"));
            QCOMPARE(edit->text(), QStringLiteral("pw!"));

            QVERIFY(child<QPushButton>(d, "cmdOk")->isDefault());
            QTest::keyClick(edit, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), child<QPushButton>(d, "cmdOk"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), child<QPushButton>(d, "cmdCancel"));
            d->reject();
        });
    }

    // Every way out, with the password typed right or wrong before it.
    void outcome_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("right, Enter") << "Secret"
                                      << "enter" << false;
        QTest::newRow("right, OK clicked") << "Secret"
                                           << "ok" << false;
        QTest::newRow("right, Cancel clicked") << "Secret"
                                               << "cancel" << true;
        QTest::newRow("right, Escape") << "Secret"
                                       << "escape" << true;
        QTest::newRow("right, close box") << "Secret"
                                          << "close" << true;
        QTest::newRow("empty, Escape") << ""
                                       << "escape" << true;
        QTest::newRow("wrong, close box") << "secret"
                                          << "close" << true;
    }
    void outcome()
    {
        QFETCH(QString, typed);
        QFETCH(QString, way);
        QFETCH(bool, cancelled);
        state.CurrentPassword = "Secret";
        auto dlg = makeDialog();
        const int result = run(*dlg, [&](TfrmPasswordDlg *d) {
            auto *edit = child<QLineEdit>(d, "txtPwd");
            QTest::keyClicks(edit, typed);
            if (way == "enter")
                QTest::keyClick(edit, Qt::Key_Return);
            else if (way == "ok")
                QTest::mouseClick(child<QPushButton>(d, "cmdOk"), Qt::LeftButton);
            else if (way == "cancel")
                QTest::mouseClick(child<QPushButton>(d, "cmdCancel"), Qt::LeftButton);
            else if (way == "escape")
                QTest::keyClick(edit, Qt::Key_Escape);
            else
                d->close();
        });
        QCOMPARE(state.PasswordDialogCancelled, cancelled);
        QCOMPARE(result, cancelled ? int(QDialog::Rejected) : int(QDialog::Accepted));
        QVERIFY(!dlg->isVisible());
    }

    void wrongThenRight_data()
    {
        QTest::addColumn<int>("lang");
        QTest::addColumn<bool>("confirming");
        QTest::addColumn<QString>("wrong");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("message");
        QTest::newRow("English, wrong case") << 0 << false << "secret"
                                             << "Secret"
                                             << "Invalid Password !";
        QTest::newRow("French, wrong case") << 1 << false << "SECRET"
                                            << "Secret"
                                            << "Mot de passe invalide !";
        QTest::newRow("confirm, old password") << 0 << true << "Secret"
                                               << "New one "
                                               << "Invalid Password !";
        QTest::newRow("confirm, trimmed") << 1 << true << "New one"
                                          << "New one "
                                          << "Mot de passe invalide !";
    }
    void wrongThenRight()
    {
        QFETCH(int, lang);
        QFETCH(bool, confirming);
        QFETCH(QString, wrong);
        QFETCH(QString, right);
        QFETCH(QString, message);
        language = lang;
        state.CurrentPassword = "Secret";
        state.PendingPassword = "New one ";
        state.PasswordChanged = confirming;
        auto dlg = makeDialog();
        ErrorBoxSeen seen;
        run(*dlg, [&](TfrmPasswordDlg *d) {
            auto *edit = child<QLineEdit>(d, "txtPwd");
            QTest::keyClicks(edit, wrong);
            const auto box = answerErrorBox(seen);
            QTest::keyClick(edit, Qt::Key_Return); // returns once the box is answered
            QCOMPARE(seen.caption, QStringLiteral("Error"));
            QCOMPARE(seen.text, message);
            QCOMPARE(seen.icon, QMessageBox::Critical);
            QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
            QVERIFY(d->isVisible());
            QVERIFY(state.PasswordDialogCancelled);
            QCOMPARE(edit->text(), wrong);
            QCOMPARE(d->focusWidget(), edit);
            edit->selectAll();
            QTest::keyClicks(edit, right);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QVERIFY(!state.PasswordDialogCancelled);
        QVERIFY(!dlg->isVisible());
    }

    // A second showing starts afresh: empty edit, outcome reset to cancelled.
    void showStartsAfresh()
    {
        state.CurrentPassword = "pw";
        auto dlg = makeDialog();
        run(*dlg, [&](TfrmPasswordDlg *d) {
            QTest::keyClicks(child<QLineEdit>(d, "txtPwd"), "pw");
            QTest::keyClick(child<QLineEdit>(d, "txtPwd"), Qt::Key_Return);
        });
        QVERIFY(!state.PasswordDialogCancelled);
        run(*dlg, [&](TfrmPasswordDlg *d) {
            QVERIFY(state.PasswordDialogCancelled);
            QCOMPARE(child<QLineEdit>(d, "txtPwd")->text(), QString());
            d->close();
        });
        QVERIFY(state.PasswordDialogCancelled);
    }

    // Typed text reaches the comparison as the data file's bytes.
    void accentedPassword_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accents") << QByteArray("\xe9t\xe9") << QString::fromUtf8("été") << true;
        QTest::newRow("euro sign") << QByteArray("\x80"
                                                 "5")
                                   << QString::fromUtf8("€5") << true;
        QTest::newRow("accent missing") << QByteArray("\xe9t\xe9") << "ete" << false;
    }
    void accentedPassword()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        state.CurrentPassword = stored.toStdString();
        auto dlg = makeDialog();
        ErrorBoxSeen seen;
        run(*dlg, [&](TfrmPasswordDlg *d) {
            auto *edit = child<QLineEdit>(d, "txtPwd");
            typeText(edit, typed);
            const auto box = answerErrorBox(seen);
            QTest::keyClick(edit, Qt::Key_Return);
            if (d->isVisible())
                d->reject();
        });
        QCOMPARE(!state.PasswordDialogCancelled, accepted);
        QCOMPARE(seen.text.isEmpty(), accepted);
    }
};

QTEST_MAIN(TestPasswordDialog)
#include "tst_password_dialog.moc"
