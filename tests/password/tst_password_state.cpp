// SPDX-License-Identifier: GPL-3.0-or-later
// The password state and the header fields that carry it, against bytes of
// the header record worked out by hand.
#include "common/data_file.h"
#include "password/password_state.h"

#include <QTest>

using vcq::ContactRecord;
using vcq::Field;
using vcq::PasswordState;
using vcq::test::bytesOf;

namespace
{
std::string bytes(const QByteArray &a)
{
    return std::string(a.constData(), a.size());
}
constexpr int kPasswordOffset = 671;
constexpr int kProtectionOffset = 702;
} // namespace

class TestPasswordState : public QObject
{
    Q_OBJECT

private slots:
    // Raw header field bytes, as a file holds them, and what loading makes of them.
    void readHeader_data()
    {
        QTest::addColumn<QByteArray>("passwordField");
        QTest::addColumn<QByteArray>("protectionField");
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<bool>("isProtected");
        QTest::newRow("new file") << QByteArray() << QByteArray() << QByteArray() << false;
        QTest::newRow("protected")
            << QByteArray("\xb3\xd6\xae") << QByteArray("\x83") << QByteArray("abc") << true;
        QTest::newRow("switched off keeps password")
            << QByteArray("\xb3\xd6\xae") << QByteArray("\x82") << QByteArray("abc") << false;
        QTest::newRow("protected, empty password")
            << QByteArray() << QByteArray("\x83") << QByteArray() << true;
        // "1" followed by a byte that unscrambles to 0: trimmed, still "1".
        QTest::newRow("flag with trailing control")
            << QByteArray() << QByteArray("\x83t") << QByteArray() << true;
        QTest::newRow("other flag value")
            << QByteArray() << QByteArray("\x84") << QByteArray() << false;
        QTest::newRow("unscrambled flag is not a flag")
            << QByteArray() << QByteArray("1") << QByteArray() << false;
        QTest::newRow("zero byte in the password")
            << QByteArray("\x00\xd6", 2) << QByteArray("\x83")
            << QByteArray("\xae"
                          "b")
            << true;
    }
    void readHeader()
    {
        QFETCH(QByteArray, passwordField);
        QFETCH(QByteArray, protectionField);
        QFETCH(QByteArray, current);
        QFETCH(bool, isProtected);

        ContactRecord header = ContactRecord::newHeader();
        header.set(Field::Password, bytes(passwordField));
        header.set(Field::Protection, bytes(protectionField));
        // Through the file's bytes, as loading sees them.
        const ContactRecord loaded = ContactRecord::fromBytes(header.data());

        PasswordState state;
        state.PasswordChanged = true;
        state.PendingPassword = "pending";
        state.PasswordDialogCancelled = true;
        vcq::readPasswordHeader(state, loaded);

        PasswordState expected;
        expected.CurrentPassword = bytes(current);
        expected.PasswordProtected = isProtected;
        expected.PasswordChanged = false;
        expected.PendingPassword = "pending";    // not the loader's to change
        expected.PasswordDialogCancelled = true; // set by the check, not here
        QCOMPARE(state, expected);
    }

    void headerFieldBytes_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<bool>("protect");
        QTest::addColumn<QByteArray>("passwordField"); // length byte, then text
        QTest::addColumn<QByteArray>("protectionField");
        QTest::newRow("abc, on") << QByteArray("abc") << true << QByteArray("\x03\xb3\xd6\xae")
                                 << QByteArray("\x01\x83");
        QTest::newRow("empty, off")
            << QByteArray() << false << QByteArray(1, '\0') << QByteArray("\x01\x82");
        QTest::newRow("twelve characters keep ten")
            << QByteArray("AAAAAAAAAAAA") << true
            << QByteArray("\x0a\x93\xb5\x8c\xb8\x9a\xae\xa0\xa2\xa3\xb2") << QByteArray("\x01\x83");
        QTest::newRow("scrambles to a zero byte")
            << QByteArray("\xae"
                          "A")
            << true << QByteArray("\x02\x00\xb5", 3) << QByteArray("\x01\x83");
    }
    void headerFieldBytes()
    {
        QFETCH(QByteArray, password);
        QFETCH(bool, protect);
        QFETCH(QByteArray, passwordField);
        QFETCH(QByteArray, protectionField);

        ContactRecord header = ContactRecord::newHeader();
        header.set(Field::Organisation, "kept");
        header.set(Field::Reserved, "kept too");
        // Stale bytes of a longer earlier password must not linger.
        vcq::setHeaderPassword(header, "0123456789");
        vcq::setHeaderPassword(header, bytes(password));
        vcq::setHeaderProtection(header, protect);

        QByteArray expected = bytesOf(ContactRecord::newHeader());
        expected.replace(62, 5, QByteArray("\x04kept"));
        expected.replace(733, 9, QByteArray("\x08kept too"));
        expected.replace(kPasswordOffset, passwordField.size(), passwordField);
        expected.replace(kProtectionOffset, protectionField.size(), protectionField);
        QCOMPARE(bytesOf(header), expected);

        PasswordState state;
        vcq::readPasswordHeader(state, ContactRecord::fromBytes(header.data()));
        QCOMPARE(state.PasswordProtected, protect);
        QCOMPARE(QByteArray::fromStdString(state.CurrentPassword), password.left(10));
    }

    void accepted_data()
    {
        QTest::addColumn<bool>("confirming");
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<QByteArray>("pending");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<bool>("accepted");
        // Check mode, against a password as loaded from the header.
        QTest::newRow("check: exact")
            << false << QByteArray("Secret") << QByteArray("x") << QByteArray("Secret") << true;
        QTest::newRow("check: wrong case")
            << false << QByteArray("Secret") << QByteArray() << QByteArray("secret") << false;
        QTest::newRow("check: other")
            << false << QByteArray("Secret") << QByteArray() << QByteArray("Secrets") << false;
        QTest::newRow("check: pending is not it")
            << false << QByteArray("Secret") << QByteArray("new") << QByteArray("new") << false;
        QTest::newRow("check: empty password, empty text")
            << false << QByteArray() << QByteArray() << QByteArray() << true;
        QTest::newRow("check: empty password, some text")
            << false << QByteArray() << QByteArray() << QByteArray("a") << false;
        // The stored password is what scrambling kept of the chosen one.
        QTest::newRow("check: chosen twelve, stored ten, typed twelve")
            << false << QByteArray("abcdefghij") << QByteArray() << QByteArray("abcdefghijkl")
            << true;
        QTest::newRow("check: stored ten typed as ten")
            << false << QByteArray("abcdefghij") << QByteArray() << QByteArray("abcdefghij")
            << true;
        QTest::newRow("check: ten right, nine typed")
            << false << QByteArray("abcdefghij") << QByteArray() << QByteArray("abcdefghi")
            << false;
        QTest::newRow("check: ten wrong, tail right")
            << false << QByteArray("abcdefghij") << QByteArray() << QByteArray("abcdefghiXkl")
            << false;
        QTest::newRow("check: chosen with blanks, typed with them")
            << false << QByteArray("pw") << QByteArray() << QByteArray(" pw ") << true;
        QTest::newRow("check: chosen with blanks, typed without")
            << false << QByteArray("pw") << QByteArray() << QByteArray("pw") << true;
        QTest::newRow("check: inner blank matters")
            << false << QByteArray("p w") << QByteArray() << QByteArray("pw") << false;
        // Confirmation mode: the new password exactly as typed in Options.
        QTest::newRow("confirm: exact")
            << true << QByteArray("old") << QByteArray("New pw ") << QByteArray("New pw ") << true;
        QTest::newRow("confirm: not trimmed")
            << true << QByteArray("old") << QByteArray("New pw ") << QByteArray("New pw") << false;
        QTest::newRow("confirm: old one refused")
            << true << QByteArray("old") << QByteArray("new") << QByteArray("old") << false;
        QTest::newRow("confirm: twelve must be twelve")
            << true << QByteArray() << QByteArray("abcdefghijkl") << QByteArray("abcdefghij")
            << false;
        QTest::newRow("confirm: wrong case")
            << true << QByteArray() << QByteArray("New") << QByteArray("new") << false;
    }
    void accepted()
    {
        QFETCH(bool, confirming);
        QFETCH(QByteArray, current);
        QFETCH(QByteArray, pending);
        QFETCH(QByteArray, typed);
        QFETCH(bool, accepted);
        PasswordState state;
        state.PasswordChanged = confirming;
        state.CurrentPassword = bytes(current);
        state.PendingPassword = bytes(pending);
        QCOMPARE(vcq::isConfirmationMode(state), confirming);
        QCOMPARE(vcq::passwordAccepted(state, bytes(typed)), accepted);
    }

    void startupCheck_data()
    {
        QTest::addColumn<bool>("protect");
        QTest::addColumn<int>("answer"); // -1: the question leaves the flag alone
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("passes");
        QTest::newRow("not protected") << false << 1 << false << true;
        QTest::newRow("protected, matched") << true << 0 << true << true;
        QTest::newRow("protected, cancelled") << true << 1 << true << false;
        QTest::newRow("protected, no answer") << true << -1 << true << false;
    }
    void startupCheck()
    {
        QFETCH(bool, protect);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, passes);

        ContactRecord header = ContactRecord::newHeader();
        vcq::setHeaderPassword(header, "pw");
        vcq::setHeaderProtection(header, protect);
        PasswordState state;
        state.PasswordChanged = true;
        // A cancelled confirmation earlier must not count as a failed check.
        state.PasswordDialogCancelled = !passes;

        bool wasAsked = false;
        const bool result = vcq::startupCheckPasses(state, header, [&] {
            wasAsked = true;
            QVERIFY(!state.PasswordChanged); // the dialog must be in check mode
            QCOMPARE(state.CurrentPassword, std::string("pw"));
            if (answer >= 0)
                state.PasswordDialogCancelled = answer != 0;
        });
        QCOMPARE(wasAsked, asked);
        QCOMPARE(result, passes);
        QCOMPARE(state.PasswordDialogCancelled, !passes);
        QCOMPARE(state.PasswordProtected, protect);
    }
};

QTEST_APPLESS_MAIN(TestPasswordState)
#include "tst_password_state.moc"
