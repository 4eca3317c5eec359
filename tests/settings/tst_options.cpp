// SPDX-License-Identifier: GPL-3.0-or-later
// The Options dialog as a user works it: what it shows, what OK and Cancel
// leave behind in the registry, the settings, the password state and the
// header image, and the languages it announces to the other windows.
#include "common/modal_answer.h"
#include "password/scrambler.h"
#include "password/tfrm_password_dlg.h"
#include "settings/program_settings.h"
#include "settings/reg_app.h"
#include "settings/tfrm_about.h"
#include "settings/tfrm_options.h"
#include "settings/url_label.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vcq;

namespace
{

// What the main window owns, and the dialogs it creates at start.
struct Program {
    QWidget main;
    ProgramSettings settings;
    PasswordState password;
    ContactRecord header = ContactRecord::newHeader();
    TfrmPasswordDlg passwordDlg{password, Language::English, &main};
    TfrmAbout about{Language::English, &main};
    TfrmOptions options{settings, password, header, &main, &passwordDlg, about};

    Program()
    {
        main.setFixedSize(632, 453);
        main.move(30, 20);
    }
    // Opens the dialog modally and runs `user` inside it. Returns each
    // language the dialog announced to the other windows.
    QList<Language> runOptions(std::function<void(TfrmOptions *)> user)
    {
        QList<Language> relabels;
        const auto announced =
            QObject::connect(&options, &TfrmOptions::languageChanged,
                             [&relabels](Language language) { relabels << language; });
        auto done = vcq::test::onNextModal<TfrmOptions>(std::move(user));
        options.exec();
        QObject::disconnect(announced);
        if (!*done)
            qWarning("the Options dialog did not come up");
        return relabels;
    }
};

// The settings as the next start would read them.
ProgramSettings restart()
{
    TRegAppDefaultUserConfig reg;
    setVcqKey(reg);
    ProgramSettings settings;
    readProgramSettings(reg, settings);
    return settings;
}

bool registryHas(const char *name)
{
    TRegAppDefaultUserConfig reg;
    setVcqKey(reg);
    return reg.HasValue(name);
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // Key by key, with the character as the key's text (accents included).
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// Answers the password confirmation with `text`, or cancels it when null.
std::unique_ptr<vcq::test::ModalAnswer> answerConfirmation(const QString &text)
{
    return vcq::test::onNextModal<TfrmPasswordDlg>([text](TfrmPasswordDlg *dlg) {
        if (text.isNull()) {
            click(dlg->findChild<QPushButton *>(QStringLiteral("cmdCancel")));
            return;
        }
        QTest::keyClicks(dlg->findChild<QLineEdit *>(QStringLiteral("txtPwd")), text);
        click(dlg->findChild<QPushButton *>(QStringLiteral("cmdOk")));
    });
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstShow();
    void tabOrder();
    void controlPlaces_data();
    void controlPlaces();
    void okThenRestartKeepsEverything();
    void cancelKeepsEverything_data();
    void cancelKeepsEverything();
    void protectionOnWithCurrentPassword();
    void protectionOff();
    void newPasswordConfirmed();
    void newPasswordConfirmationCancelled();
    void languageOutsideTheList();
    void registryErrorKeepsDialogOpen();
    void aboutBox();

private:
    std::unique_ptr<QTemporaryDir> m_config;
};

void TestOptions::init()
{
    m_config = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
}

void TestOptions::cleanup()
{
    m_config.reset();
}

void TestOptions::firstShow()
{
    Program p;
    p.password.PasswordChanged = true;
    p.password.CurrentPassword = "old";
    p.password.PendingPassword = "stale";
    p.runOptions([&](TfrmOptions *dlg) {
        QCOMPARE(dlg->pos(), QPoint(30 + 632 / 2 - dlg->frameGeometry().width() / 2,
                                    20 + 453 / 2 - dlg->frameGeometry().height() / 2));
        QVERIFY(!p.password.PasswordChanged);
        QCOMPARE(p.password.PendingPassword, std::string("old"));
        QVERIFY(!dlg->chkPos->isChecked());
        QVERIFY(!dlg->chkPwd->isChecked());
        QVERIFY(!dlg->txtPwd->isEnabled());
        QCOMPARE(dlg->txtPwd->text(), QStringLiteral("old"));
        QCOMPARE(dlg->cboLang->currentText(), QStringLiteral("English"));
        QVERIFY(dlg->txtCity->text().isEmpty());
        QCOMPARE(dlg->chkPwd->text(), QStringLiteral("Protect Access with a password"));
        QCOMPARE(dlg->windowTitle(), QStringLiteral("Vellora Carnetique 97"));
        // chkPwdClick follows the box both ways.
        click(dlg->chkPwd);
        QVERIFY(dlg->txtPwd->isEnabled());
        click(dlg->chkPwd);
        QVERIFY(!dlg->txtPwd->isEnabled());
        click(dlg->btnCancel);
    });
}

void TestOptions::tabOrder()
{
    Program p;
    p.password.PasswordProtected = true; // so that the password field takes the focus
    p.runOptions([](TfrmOptions *dlg) {
        dlg->chkPos->setFocus();
        QStringList visited;
        for (int i = 0; i < 10; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited,
                 QStringList({"chkPos", "chkPwd", "txtPwd", "cboLang", "txtCity", "txtState",
                              "txtCountry", "btnOk", "btnCancel", "cmdAbout"}));
        click(dlg->btnCancel);
    });
}

void TestOptions::controlPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    const std::pair<const char *, QRect> places[] = {
        {"PageControl1", {4, 4, 227, 285}}, {"chkPos", {8, 6, 211, 17}},
        {"chkPwd", {8, 26, 205, 15}},       {"lblPwd", {8, 46, 181, 17}},
        {"txtPwd", {8, 62, 181, 21}},       {"lblLanguage", {8, 86, 83, 13}},
        {"cboLang", {8, 102, 181, 21}},     {"lblDefaultCity", {8, 130, 181, 17}},
        {"txtCity", {8, 146, 181, 21}},     {"lblDefaultState", {8, 174, 181, 17}},
        {"txtState", {8, 190, 181, 21}},    {"lblDefaultCountry", {8, 216, 181, 17}},
        {"txtCountry", {8, 232, 181, 21}},  {"btnOk", {236, 24, 100, 25}},
        {"btnCancel", {236, 52, 100, 25}},  {"cmdAbout", {236, 88, 100, 25}},
    };
    for (const auto &[name, place] : places)
        QTest::newRow(name) << QString::fromLatin1(name) << place;
}

void TestOptions::controlPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    Program p;
    auto *control = p.options.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), place);
}

void TestOptions::okThenRestartKeepsEverything()
{
    Program p;
    const auto relabels = p.runOptions([&](TfrmOptions *dlg) {
        click(dlg->chkPos);
        dlg->cboLang->setFocus();
        QTest::keyClick(dlg->cboLang, Qt::Key_Down);
        QCOMPARE(dlg->cboLang->currentText(), QStringLiteral("Français"));
        typeInto(dlg->txtCity, QStringLiteral("Trois-Rivières"));
        typeInto(dlg->txtState, QStringLiteral("Québec"));
        typeInto(dlg->txtCountry, QStringLiteral("Canada"));
        QVERIFY(dlg->chkBirthdays->isChecked()); // on until turned off
        click(dlg->chkBirthdays);
        click(dlg->btnOk);
        // The dialog turned French at once.
        QCOMPARE(dlg->btnOk->text(), QStringLiteral("&Sauvegarder"));
        QCOMPARE(dlg->cmdAbout->text(), QStringLiteral("À &propos de ..."));
    });
    QCOMPARE(p.options.result(), int(QDialog::Accepted));
    QCOMPARE(relabels, QList<Language>{Language::French});
    const ProgramSettings expected{true,
                                   30,
                                   20,
                                   1,
                                   "Trois-Rivi\xe8res",
                                   "Qu\xe9"
                                   "bec",
                                   "Canada",
                                   false};
    QCOMPARE(p.settings.ScreenPos, true);
    QCOMPARE(p.settings.Language, 1);
    QCOMPARE(p.settings.DefCity, expected.DefCity);
    QCOMPARE(restart(), expected);

    TRegAppDefaultUserConfig reg;
    setVcqKey(reg);
    QCOMPARE(QString::fromStdString(reg.ReadStringValue("LastPath")),
             QCoreApplication::applicationDirPath() + u'/');

    // Showing it again shows what was stored, in French.
    p.runOptions([](TfrmOptions *dlg) {
        QVERIFY(dlg->chkPos->isChecked());
        QCOMPARE(dlg->cboLang->currentIndex(), 1);
        QCOMPARE(dlg->txtCity->text(), QStringLiteral("Trois-Rivières"));
        QCOMPARE(dlg->lblDefaultCity->text(), QStringLiteral("Ville par défaut"));
        QVERIFY(!dlg->chkBirthdays->isChecked());
        QCOMPARE(dlg->chkBirthdays->text(), QStringLiteral("A&nniversaires"));
        click(dlg->btnOk);
    });
}

void TestOptions::cancelKeepsEverything_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << "cancel";
    QTest::newRow("close box") << "close";
    QTest::newRow("Enter in an edit") << "enter-edit";
    QTest::newRow("Enter in the password field") << "enter-password";
    QTest::newRow("Enter on a check box") << "enter-check";
}

void TestOptions::cancelKeepsEverything()
{
    QFETCH(QString, how);
    Program p;
    p.settings.DefCity = "Laval";
    p.password = {"pw", true, false, "pw", false};
    const ProgramSettings settingsBefore = p.settings;
    const ContactRecord headerBefore = p.header;
    const auto relabels = p.runOptions([&](TfrmOptions *dlg) {
        click(dlg->chkPos);
        QTest::keyClick(dlg->cboLang, Qt::Key_Down);
        typeInto(dlg->txtPwd, QStringLiteral("other"));
        typeInto(dlg->txtCity, QStringLiteral("Gatineau"));
        // Should OK be pressed instead, the new password's confirmation comes up:
        // turn it away so that the checks below report it.
        QTimer::singleShot(0, [] {
            if (auto *confirm = qobject_cast<TfrmPasswordDlg *>(QApplication::activeModalWidget()))
                confirm->reject();
        });
        if (how == u"cancel")
            click(dlg->btnCancel);
        else if (how == u"close")
            dlg->close();
        else if (how == u"enter-edit")
            QTest::keyClick(dlg->txtCity, Qt::Key_Return);
        else if (how == u"enter-password")
            QTest::keyClick(dlg->txtPwd, Qt::Key_Return);
        else
            QTest::keyClick(dlg->chkPos, Qt::Key_Return);
        if (dlg->isVisible()) {
            dlg->reject();
            QFAIL("the dialog stayed open");
        }
    });
    QVERIFY(!p.options.isVisible());
    QCOMPARE(p.options.result(), int(QDialog::Rejected));
    QCOMPARE(p.settings, settingsBefore);
    QCOMPARE(p.password.CurrentPassword, std::string("pw"));
    QVERIFY(!p.password.PasswordChanged);
    QVERIFY(p.header == headerBefore);
    QVERIFY(!registryHas("DefCity"));
    // The language did not change.
    QVERIFY(relabels.isEmpty());
}

void TestOptions::protectionOnWithCurrentPassword()
{
    Program p;
    p.password.CurrentPassword = "abc";
    setHeaderPassword(p.header, "abc");
    const std::string storedPassword = p.header.get(Field::Password);
    p.runOptions([&](TfrmOptions *dlg) {
        click(dlg->chkPwd);
        QCOMPARE(dlg->txtPwd->text(), QStringLiteral("abc"));
        click(dlg->btnOk); // no confirmation is asked: the dialog just closes
    });
    QVERIFY(!p.options.isVisible());
    QVERIFY(p.password.PasswordProtected);
    QVERIFY(!p.password.PasswordChanged);
    QCOMPARE(p.header.get(Field::Protection), Encode("1"));
    QCOMPARE(p.header.get(Field::Password), storedPassword);
}

void TestOptions::protectionOff()
{
    Program p;
    p.password = {"abc", true, false, "abc", false};
    setHeaderPassword(p.header, "abc");
    setHeaderProtection(p.header, true);
    p.runOptions([&](TfrmOptions *dlg) {
        QVERIFY(dlg->txtPwd->isEnabled());
        click(dlg->chkPwd);
        click(dlg->btnOk);
        QVERIFY(dlg->txtPwd->text().isEmpty());
    });
    QVERIFY(!p.password.PasswordProtected);
    QCOMPARE(p.header.get(Field::Protection), Encode("0"));
    QCOMPARE(p.password.CurrentPassword, std::string("abc"));
    QCOMPARE(Decode(p.header.get(Field::Password)), std::string("abc"));
    // Next time the old password is there again, masked, in the disabled field.
    p.runOptions([&](TfrmOptions *dlg) {
        QCOMPARE(dlg->txtPwd->text(), QStringLiteral("abc"));
        QVERIFY(dlg->txtPwd->displayText() != QStringLiteral("abc"));
        QVERIFY(!dlg->txtPwd->isEnabled());
        click(dlg->btnCancel);
    });
}

void TestOptions::newPasswordConfirmed()
{
    Program p;
    p.runOptions([&](TfrmOptions *dlg) {
        click(dlg->chkPwd);
        typeInto(dlg->txtPwd, QStringLiteral("Secret99"));
        auto confirmed = answerConfirmation(QStringLiteral("Secret99"));
        click(dlg->btnOk);
        QVERIFY(*confirmed);
    });
    QVERIFY(!p.options.isVisible());
    QCOMPARE(p.password.CurrentPassword, std::string("Secret99"));
    QVERIFY(p.password.PasswordProtected);
    QCOMPARE(p.header.get(Field::Password), Encode("Secret99"));
    QCOMPARE(p.header.get(Field::Protection), Encode("1"));
}

void TestOptions::newPasswordConfirmationCancelled()
{
    Program p;
    p.password.CurrentPassword = "old";
    setHeaderPassword(p.header, "old");
    const std::string oldHeaderPassword = p.header.get(Field::Password);
    const auto relabels = p.runOptions([&](TfrmOptions *dlg) {
        click(dlg->chkPwd);
        QTest::keyClick(dlg->cboLang, Qt::Key_Down);
        typeInto(dlg->txtPwd, QStringLiteral("new"));
        auto cancelled = answerConfirmation(QString());
        click(dlg->btnOk);
        QVERIFY(*cancelled);
        // Still open, the focus in the password field, already in French.
        QVERIFY(dlg->isVisible());
        QTRY_VERIFY(dlg->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg->txtPwd));
        QCOMPARE(dlg->chkPwd->text(), QStringLiteral("Protéger l'accès avec un mot de passe"));
        QVERIFY(p.password.PasswordChanged);
        click(dlg->btnCancel);
    });
    // What OK had done before the confirmation stays; the password does not change.
    QVERIFY(p.password.PasswordProtected);
    QCOMPARE(p.header.get(Field::Protection), Encode("1"));
    QCOMPARE(p.password.CurrentPassword, std::string("old"));
    QCOMPARE(p.header.get(Field::Password), oldHeaderPassword);
    QCOMPARE(restart().Language, 1);
    QCOMPARE(relabels, QList<Language>{Language::French});
}

void TestOptions::languageOutsideTheList()
{
    Program p;
    p.settings.Language = 7;
    p.runOptions([](TfrmOptions *dlg) {
        QCOMPARE(dlg->cboLang->currentIndex(), -1);
        QCOMPARE(dlg->btnCancel->text(), QStringLiteral("&Cancel"));
        click(dlg->btnOk);
    });
    QCOMPARE(p.settings.Language, -1);
    QCOMPARE(restart().Language, -1);
}

void TestOptions::registryErrorKeepsDialogOpen()
{
    Program p;
    QDir().mkpath(m_config->filePath(QStringLiteral("vellora-carnetique-97")));
    QFile damaged(m_config->filePath(QStringLiteral("vellora-carnetique-97/registry.reg")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("REGEDIT4\n[nowhere]\n");
    damaged.close();
    const ProgramSettings before = p.settings;
    p.runOptions([&](TfrmOptions *dlg) {
        typeInto(dlg->txtCity, QStringLiteral("Gatineau"));
        QString shown;
        auto answered = vcq::test::onNextModal<QMessageBox>([&](QMessageBox *box) {
            shown = box->windowTitle() + u'|' + box->text();
            box->buttons().first()->click();
        });
        click(dlg->btnOk);
        QVERIFY(*answered);
        QVERIFY2(shown.startsWith(QStringLiteral("Vellora Carnetique 97|Failed to create key ")),
                 qPrintable(shown));
        QVERIFY(dlg->isVisible());
        QVERIFY(!dlg->RegAppDefaultUserConfig1->Active());
        click(dlg->btnCancel);
    });
    QCOMPARE(p.settings, before);
}

void TestOptions::aboutBox()
{
    Program p;
    p.settings.Language = 1;
    p.about.ChooseLanguage(Language::French);
    p.runOptions([&](TfrmOptions *dlg) {
        auto seen = vcq::test::onNextModal<TfrmAbout>([&](TfrmAbout *about) {
            QCOMPARE(about->windowTitle(), QStringLiteral("A propos de Vellora Carnetique 97"));
            QCOMPARE(about->pos(), QPoint(30 + 632 / 2 - about->frameGeometry().width() / 2,
                                          20 + 453 / 2 - about->frameGeometry().height() / 2));
            // Everything else reads the same in both languages.
            QCOMPARE(about->Label8->text(), QStringLiteral("Version 1.0 Beta 3"));
            QCOMPARE(about->Button1->text(), QStringLiteral("&Ok"));
            QCOMPARE(about->UrlLabel1->popupMenu()->actions().first()->text(),
                     QStringLiteral("Copy"));
            click(about->Button1);
        });
        click(dlg->cmdAbout);
        QVERIFY(*seen);
        QVERIFY(dlg->isVisible());
        click(dlg->btnCancel);
    });
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
