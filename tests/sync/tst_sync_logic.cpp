// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of sync that need no server: reading multi-status answers,
// merging two versions of a contact, recognising a contact in its slot, the
// state file, and the card sent for an edit.
#include "sync/dav_xml.h"
#include "sync/origin.h"
#include "sync/sync_engine.h"
#include "sync/sync_state.h"

#include "interop/contact_mapping.h"
#include "interop/vcard_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vcq;
using namespace vcq::sync;

Q_DECLARE_METATYPE(vcq::sync::MultiStatus)

namespace
{

ContactRecord person(std::string_view last, std::string_view first, std::string_view phone = {},
                     std::string_view email = {})
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    r.set(Field::Phone1, phone);
    r.set(Field::Email, email);
    return r;
}

} // namespace

class TestSyncLogic : public QObject
{
    Q_OBJECT

private slots:
    void parseMultiStatus_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<MultiStatus>("expected");

        MultiStatus changes;
        changes.syncToken = "http://radicale.org/ns/sync/abc";
        DavResource changed;
        changed.href = "/alice/contacts/a%20b.vcf";
        changed.etag = "\"e1\"";
        DavResource removed;
        removed.href = "/alice/contacts/gone.vcf";
        removed.status = 404;
        changes.responses = {changed, removed};
        QTest::newRow("sync answer, other prefixes, a removed member")
            << QByteArray("<?xml version='1.0'?><multistatus xmlns=\"DAV:\"><response>"
                          "<href>/alice/contacts/a%20b.vcf</href><propstat><prop><getetag>\"e1\""
                          "</getetag></prop><status>HTTP/1.1 200 OK</status></propstat></response>"
                          "<response><href>/alice/contacts/gone.vcf</href><status>HTTP/1.1 404 "
                          "Not Found</status></response><sync-token>http://radicale.org/ns/sync/"
                          "abc</sync-token></multistatus>")
            << true << changes;

        MultiStatus homes;
        DavResource home;
        home.href = "/user/";
        home.currentUserPrincipal = "/user/";
        home.addressBookHomeSet = "/user/contacts/";
        homes.responses = {home};
        QTest::newRow("nested hrefs; a 404 propstat adds nothing")
            << QByteArray("<D:multistatus xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:"
                          "carddav\"><D:response><D:href>/user/</D:href><D:propstat><D:prop>"
                          "<D:current-user-principal><D:href>/user/</D:href>"
                          "</D:current-user-principal><C:addressbook-home-set>\n  <D:href>"
                          "/user/contacts/</D:href></C:addressbook-home-set></D:prop><D:status>"
                          "HTTP/1.1 200 OK</D:status></D:propstat><D:propstat><D:prop>"
                          "<D:displayname>not given</D:displayname><D:getetag>x</D:getetag>"
                          "</D:prop><D:status>HTTP/1.1 404 Not Found</D:status></D:propstat>"
                          "</D:response></D:multistatus>")
            << true << homes;

        MultiStatus books;
        DavResource book;
        book.href = "/user/contacts/addressbook/";
        book.isCollection = true;
        book.isAddressBook = true;
        book.displayName = "Contacts";
        book.syncToken = "t1";
        DavResource card;
        card.href = "/user/contacts/addressbook/x.vcf";
        card.etag = "\"9\"";
        // XML reads a line end written as CR LF as LF alone.
        card.addressData = "BEGIN:VCARD\nVERSION:3.0\nFN:&<\nEND:VCARD\n";
        books.responses = {book, card};
        QTest::newRow("collection types and escaped address data")
            << QByteArray("<ns0:multistatus xmlns:ns0=\"DAV:\" xmlns:ns1=\"urn:ietf:params:xml:"
                          "ns:carddav\"><ns0:response><ns0:href>/user/contacts/addressbook/"
                          "</ns0:href><ns0:propstat><ns0:status>HTTP/1.1 200 OK</ns0:status>"
                          "<ns0:prop><ns0:resourcetype><ns0:collection/><ns1:addressbook/>"
                          "</ns0:resourcetype><ns0:displayname>Contacts</ns0:displayname>"
                          "<ns0:sync-token>t1</ns0:sync-token></ns0:prop></ns0:propstat>"
                          "</ns0:response><ns0:response><ns0:href>/user/contacts/addressbook/"
                          "x.vcf</ns0:href><ns0:propstat><ns0:prop><ns0:getetag>\"9\""
                          "</ns0:getetag><ns1:address-data>BEGIN:VCARD\r\nVERSION:3.0\r\n"
                          "FN:&amp;&lt;\r\nEND:VCARD\r\n</ns1:address-data></ns0:prop>"
                          "<ns0:status>HTTP/1.1 200 OK</ns0:status></ns0:propstat>"
                          "</ns0:response></ns0:multistatus>")
            << true << books;

        QTest::newRow("not multi-status")
            << QByteArray("<error xmlns=\"DAV:\"><valid-sync-token/></error>") << false
            << MultiStatus{};
        QTest::newRow("cut short")
            << QByteArray("<multistatus xmlns=\"DAV:\"><response><href>/a</href>") << false
            << MultiStatus{};
    }
    void parseMultiStatus()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, ok);
        QFETCH(MultiStatus, expected);
        MultiStatus got;
        QCOMPARE(sync::parseMultiStatus(body, got), ok);
        if (ok)
            QVERIFY(got == expected);
    }

    void davCondition()
    {
        QVERIFY(hasDavCondition("<error xmlns=\"DAV:\"><valid-sync-token /></error>",
                                "valid-sync-token"));
        QVERIFY(!hasDavCondition("<error xmlns=\"other:\"><valid-sync-token/></error>",
                                 "valid-sync-token"));
        QVERIFY(!hasDavCondition("not xml", "valid-sync-token"));
    }

    void hrefKeys()
    {
        QCOMPARE(hrefKey("/a/b%20c.vcf"), hrefKey("http://host:1/a/b%20c.vcf"));
        QCOMPARE(hrefKey("/a/b%20c.vcf"), QString("/a/b c.vcf"));
        QVERIFY(hrefKey("/a/b.vcf") != hrefKey("/a/c.vcf"));
    }

    // One field seen at the last sync (base), here and on the server.
    // Where the password may go: a redirect is followed within its origin
    // only, a listed href is taken only directly inside the collection.
    void origins_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("redirect");
        QTest::addColumn<bool>("member");
        const QString book = "https://dav.example:8443/u/ab/";
        QTest::newRow("same origin")
            << book << "/u/ab/c.vcf" << int(RedirectVerdict::Follow) << true;
        QTest::newRow("absolute, same") << book << "https://DAV.example:8443/u/ab/c%20d.vcf"
                                        << int(RedirectVerdict::Follow) << true;
        QTest::newRow("another port") << book << "https://dav.example:9443/u/ab/c.vcf"
                                      << int(RedirectVerdict::OtherOrigin) << false;
        QTest::newRow("another host") << book << "https://evil.example:8443/u/ab/c.vcf"
                                      << int(RedirectVerdict::OtherOrigin) << false;
        QTest::newRow("to http") << book << "http://dav.example:8443/u/ab/c.vcf"
                                 << int(RedirectVerdict::Downgrade) << false;
        QTest::newRow("default port")
            << "http://h/ab/"
            << "http://h:80/ab/c.vcf" << int(RedirectVerdict::Follow) << true;
        QTest::newRow("up and out")
            << book << "../../x.vcf" << int(RedirectVerdict::Follow) << false;
        QTest::newRow("climbs back in")
            << book << "/u/x/../ab/c.vcf" << int(RedirectVerdict::Follow) << true;
        QTest::newRow("sub-folder") << book << "sub/c.vcf" << int(RedirectVerdict::Follow) << false;
        QTest::newRow("the collection")
            << book << "/u/ab/" << int(RedirectVerdict::Follow) << false;
        QTest::newRow("encoded slash")
            << book << "/u/ab/a%2Fb.vcf" << int(RedirectVerdict::Follow) << false;
    }
    void origins()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, redirect);
        QFETCH(bool, member);
        const QUrl base(from);
        QCOMPARE(int(judgeRedirect(base, base.resolved(QUrl(to)))), redirect);
        QCOMPARE(isMemberHref(base, to), member);
    }

    void insecureHttp_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("insecure");
        QTest::newRow("https") << "https://dav.example/" << false;
        QTest::newRow("http elsewhere") << "http://dav.example/" << true;
        QTest::newRow("http to an address") << "http://192.0.2.7:8080/" << true;
        QTest::newRow("loopback v4") << "http://127.0.0.1:5232/" << false;
        QTest::newRow("loopback range") << "http://127.4.5.6/" << false;
        QTest::newRow("loopback v6") << "http://[::1]:5232/" << false;
        QTest::newRow("localhost") << "http://LocalHost/" << false;
        QTest::newRow("localhost lookalike") << "http://localhost.example/" << true;
    }
    void insecureHttp()
    {
        QFETCH(QString, url);
        QFETCH(bool, insecure);
        QCOMPARE(isInsecureHttp(QUrl(url)), insecure);
    }

    void mergeThreeWay_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("merged");
        QTest::addColumn<bool>("conflict");
        QTest::newRow("nobody changed") << "a"
                                        << "a"
                                        << "a"
                                        << "a" << false;
        QTest::newRow("changed here") << "a"
                                      << "b"
                                      << "a"
                                      << "b" << false;
        QTest::newRow("changed there") << "a"
                                       << "a"
                                       << "c"
                                       << "c" << false;
        QTest::newRow("same change both sides") << "a"
                                                << "d"
                                                << "d"
                                                << "d" << false;
        QTest::newRow("different changes: server wins") << "a"
                                                        << "b"
                                                        << "c"
                                                        << "c" << true;
        QTest::newRow("emptied here") << "a"
                                      << ""
                                      << "a"
                                      << "" << false;
        QTest::newRow("emptied there, changed here") << "a"
                                                     << "b"
                                                     << ""
                                                     << "" << true;
    }
    void mergeThreeWay()
    {
        QFETCH(QString, base);
        QFETCH(QString, local);
        QFETCH(QString, server);
        QFETCH(QString, merged);
        QFETCH(bool, conflict);
        auto with = [](const QString &comment, std::string_view city) {
            ContactRecord r = person("Name", "First");
            r.set(Field::Comment, comment.toStdString());
            r.set(Field::City, city);
            return r;
        };
        // The city changes only here in every row: always kept.
        std::vector<FieldDifference> conflicts;
        const ContactRecord out = sync::mergeThreeWay(with(base, "Old"), with(local, "New"),
                                                      with(server, "Old"), &conflicts);
        QCOMPARE(out.get(Field::Comment), merged.toStdString());
        QCOMPARE(out.get(Field::City), std::string("New"));
        QCOMPARE(conflicts.size(), std::size_t(conflict ? 1 : 0));
        if (conflict) {
            QCOMPARE(conflicts[0].field, Field::Comment);
            QCOMPARE(conflicts[0].local, local.toStdString());
            QCOMPARE(conflicts[0].server, server.toStdString());
        }
    }

    void mergeWithoutBase()
    {
        ContactRecord local = person("Dupont", "Jean", "555", "");
        local.set(Field::City, "Lyon");
        local.set(Field::Comment, "desk");
        local.set(Field::Birth, "  -  -  ");
        ContactRecord server = person("Dupont", "Jean", "555", "jean@example.org");
        server.set(Field::Comment, "phone");
        server.set(Field::Birth, "01-02-80");
        std::vector<FieldDifference> conflicts;
        const ContactRecord out = sync::mergeWithoutBase(local, server, &conflicts);
        QCOMPARE(out.get(Field::City), std::string("Lyon"));
        QCOMPARE(out.get(Field::Email), std::string("jean@example.org"));
        QCOMPARE(out.get(Field::Comment), std::string("phone"));
        QCOMPARE(out.get(Field::Birth), std::string("01-02-80"));
        QCOMPARE(conflicts.size(), std::size_t(1));
        QCOMPARE(conflicts[0].field, Field::Comment);
    }

    void sameContact_data()
    {
        QTest::addColumn<QString>("nowLast");
        QTest::addColumn<QString>("nowFirst");
        QTest::addColumn<QString>("nowPhone");
        QTest::addColumn<QString>("nowEmail");
        QTest::addColumn<bool>("same");
        // What the slot held at the last sync: Martin Paul, 555-1234, paul@x.org
        QTest::newRow("unchanged") << "Martin"
                                   << "Paul"
                                   << "555-1234"
                                   << "paul@x.org" << true;
        QTest::newRow("last name changed") << "Durand"
                                           << "Paul"
                                           << ""
                                           << "" << true;
        QTest::newRow("first name changed") << "martin "
                                            << "Pierre"
                                            << ""
                                            << "" << true;
        QTest::newRow("both names, same phone written apart") << "Marten"
                                                              << "Pol"
                                                              << "555 12 34"
                                                              << "" << true;
        QTest::newRow("both names, same e-mail") << "Marten"
                                                 << "Pol"
                                                 << ""
                                                 << "PAUL@x.org" << true;
        QTest::newRow("someone else") << "Nouveau"
                                      << "Eva"
                                      << "999"
                                      << "eva@x.org" << false;
        QTest::newRow("someone else, no first name") << "Nouveau"
                                                     << ""
                                                     << ""
                                                     << "" << false;
    }
    void sameContact()
    {
        QFETCH(QString, nowLast);
        QFETCH(QString, nowFirst);
        QFETCH(QString, nowPhone);
        QFETCH(QString, nowEmail);
        QFETCH(bool, same);
        const ContactRecord synced = person("Martin", "Paul", "555-1234", "paul@x.org");
        const ContactRecord now = person(nowLast.toStdString(), nowFirst.toStdString(),
                                         nowPhone.toStdString(), nowEmail.toStdString());
        QCOMPARE(sync::sameContact(synced, now), same);
    }

    void stateRoundTrip()
    {
        QTemporaryDir dir(QDir::currentPath() + "/state-XXXXXX");
        const QString path = syncStatePath(dir.path() + "/VCQ97.NAM");
        SyncState state;
        state.collection = "http://127.0.0.1:1/alice/contacts/";
        state.syncToken = "tok";
        state.complete = true;
        SyncEntry e;
        e.record = 7;
        e.href = "/alice/contacts/x y.vcf";
        e.etag = "\"e\"";
        e.card = "BEGIN:VCARD\r\nNOTE:été\r\nEND:VCARD\r\n";
        std::string every;
        for (int b = 1; b < 256; ++b)
            every.push_back(char(b));
        e.synced = person("Dupont", "Zoé");
        e.synced.set(Field::Comment, every.substr(0, 200));
        e.synced.set(Field::Address1, every.substr(200));
        SyncEntry pending = e;
        pending.record = 8;
        pending.href = "/alice/contacts/p.vcf";
        pending.onServer = false;
        pending.etag.clear();
        pending.card = "BEGIN:VCARD\r\nPHOTO;ENCODING=b:\x80\xff\r\nEND:VCARD\r\n";
        state.entries = {e, pending};
        state.leftOnServer = {{"/alice/contacts/big.vcf", "\"b\""}};
        QVERIFY(saveSyncState(path, state));
        SyncState back;
        QCOMPARE(loadSyncState(path, back), StateLoad::Loaded);
        QVERIFY(back == state);
    }

    void damagedStateSetAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not json") << QByteArray("{\"format\":1, \"contacts\": [");
        QTest::newRow("other format") << QByteArray("{\"format\": 99}");
        QTest::newRow("entry without fields")
            << QByteArray("{\"format\":1,\"contacts\":[{\"href\":\"/a\",\"record\":1}]}");
        QTest::newRow("field beyond the code page")
            << QByteArray("{\"format\":1,\"contacts\":[{\"href\":\"/a\",\"synced\":"
                          "[\"\\u0101\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
                          "\"\",\"\",\"\",\"\"]}]}");
    }
    void damagedStateSetAside()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir(QDir::currentPath() + "/state-XXXXXX");
        const QString path = dir.path() + "/VCQ97.NAM.syncstate";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        SyncState state;
        QString problem;
        QCOMPARE(loadSyncState(path, state, &problem), StateLoad::Damaged);
        QVERIFY(!problem.isEmpty());
        QVERIFY(state == SyncState{});
        QVERIFY(!QFile::exists(path));
        QFile aside(path + ".damaged");
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), bytes);
        QCOMPARE(loadSyncState(path, state), StateLoad::Missing);
    }

    // An edit here replaces only the properties of the fields it changed.
    void cardForUpload_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expectedNote");
        const QString fullNote = QString(180, 'n') + " and the end of a long note";
        QTest::newRow("city") << int(Field::City) << "Gand" << fullNote;
        QTest::newRow("note") << int(Field::Comment) << "short now"
                              << "short now";
    }
    void cardForUpload()
    {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QString, expectedNote);
        const QByteArray base = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u1\r\nN:Riche;Rose;;;\r\n"
                                "FN:Dr Rose Riche\r\nTEL;TYPE=HOME:111\r\nTEL;TYPE=CELL:222\r\n"
                                "TEL;TYPE=CELL:333\r\nPHOTO;ENCODING=b;TYPE=PNG:AAAA\r\n"
                                "NOTE:" +
                                QString(180, 'n').toUtf8() +
                                " and the end of a long note\r\nX-OWN:kept\r\nEND:VCARD\r\n";
        const auto read = interop::readVCards(std::string_view(base.constData(), base.size()));
        QCOMPARE(read.cards.size(), std::size_t(1));
        const ContactRecord synced = interop::cardToContact(read.cards[0].card).record;
        ContactRecord local = synced;
        local.set(Field(field), value.toStdString());

        const QByteArray out = sync::cardForUpload(local, synced, base);
        const auto back = interop::readVCards(std::string_view(out.constData(), out.size()));
        QCOMPARE(back.cards.size(), std::size_t(1));
        const interop::VCard &card = back.cards[0].card;
        QCOMPARE(QString::fromStdString(card.first("NOTE")->value()), expectedNote);
        QCOMPARE(card.first("FN")->value(), std::string("Dr Rose Riche"));
        QCOMPARE(card.first("UID")->value(), std::string("u1"));
        QCOMPARE(card.first("PHOTO")->value(), std::string("AAAA"));
        QCOMPARE(card.first("X-OWN")->value(), std::string("kept"));
        QCOMPARE(card.all("TEL").size(), std::size_t(3));
        const ContactRecord mapped = interop::cardToContact(card).record;
        QCOMPARE(mapped.get(Field(field)).substr(0, 9), value.toStdString().substr(0, 9));
    }
};

QTEST_GUILESS_MAIN(TestSyncLogic)
#include "tst_sync_logic.moc"
