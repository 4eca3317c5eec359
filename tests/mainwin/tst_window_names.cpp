// SPDX-License-Identifier: GPL-3.0-or-later
// Every control a user acts on in the password dialog, the dialer and the
// import report has a name in the window's language, and each window a role
// and its title, as a screen reader reads them (the other windows are read
// from the running program by the tests of the accessibility bus).
#include "mainwin/accessibility.h"
#include "mainwin/import_report_dialog.h"
#include "password/password_state.h"
#include "password/tfrm_password_dlg.h"
#include "telephony/fake_line_backend.h"
#include "telephony/tfrm_tapi_call.h"

#include <QAccessible>
#include <QTest>

#include <memory>

namespace
{

bool actedOn(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::SpinBox:
    case QAccessible::Link:
        return true;
    default:
        return false;
    }
}

// The named controls, and "?" for each unnamed one.
QStringList controlNames(QAccessibleInterface *iface)
{
    QStringList names;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        if (child == nullptr || child->state().invisible)
            continue;
        if (actedOn(child->role())) {
            const QString name = child->text(QAccessible::Name);
            names << (name.trimmed().isEmpty() ? QStringLiteral("?") : name);
        } else {
            names << controlNames(child);
        }
    }
    return names;
}

} // namespace

class TestWindowNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { vcq::installAccessibility(); }

    void windowsAreNamed_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("controls");
        using L = vcq::Language;
        const int dialog = QAccessible::Dialog;
        QTest::newRow("password, English")
            << 0 << int(L::English) << dialog << QStringLiteral("Vellora Carnetique 97")
            << QStringList{"Enter Access Password", "Ok", "Cancel"};
        QTest::newRow("password, French")
            << 0 << int(L::French) << dialog << QStringLiteral("Vellora Carnetique 97")
            << QStringList{"Mot de passe d'accès", "Ok", "Annuler"};
        QTest::newRow("dialer, English")
            << 1 << int(L::English) << dialog << QStringLiteral("Vellora Quick Dialer")
            << QStringList{"Number to call", "Call", "Hangup", "Cancel"};
        QTest::newRow("dialer, French")
            << 1 << int(L::French) << dialog << QStringLiteral("Vellora numéroteur rapide")
            << QStringList{"Numéro à composer", "Composer", "Raccrocher", "Annuler"};
        QTest::newRow("import report")
            << 2 << int(L::English) << dialog << QStringLiteral("Import") << QStringList();
    }
    void windowsAreNamed()
    {
        QFETCH(int, window);
        QFETCH(int, language);
        QFETCH(int, role);
        QFETCH(QString, title);
        QFETCH(QStringList, controls);
        const auto lang = vcq::Language(language);
        vcq::PasswordState password;
        std::unique_ptr<QWidget> w;
        if (window == 0)
            w = std::make_unique<vcq::TfrmPasswordDlg>(password, lang);
        else if (window == 1)
            w = std::make_unique<vcq::TfrmTAPICall>(nullptr, lang,
                                                    std::make_shared<vcq::tapi::FakeLineBackend>());
        else
            w = std::make_unique<vcq::ImportReportDialog>(vcq::interop::ImportReport(), title,
                                                          QStringLiteral("0 contacts"), lang,
                                                          QString(), nullptr);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w.get());
        QCOMPARE(int(iface->role()), role);
        QCOMPARE(iface->text(QAccessible::Name), title);
        const QStringList names = controlNames(iface);
        QVERIFY2(!names.contains(QStringLiteral("?")), qPrintable(names.join(u'|')));
        for (const QString &name : controls)
            QVERIFY2(names.contains(name),
                     qPrintable(name + QStringLiteral(" not in ") + names.join(u'|')));
    }
};

QTEST_MAIN(TestWindowNames)
#include "tst_window_names.moc"
