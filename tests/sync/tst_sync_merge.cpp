// SPDX-License-Identifier: GPL-3.0-or-later
// A merge of duplicates followed by a sync against a real Radicale: the
// server ends with one card carrying the merged fields, and what the deleted
// card held beyond the record's fields (a URL, a title) moves to that card.
#include "sync_fixture.h"

#include "duplicates/duplicate_finder.h"
#include "duplicates/merge_apply.h"
#include "duplicates/merge_plan.h"
#include "sync/change_times.h"
#include "sync/merge_carry.h"
#include "sync/sync_state.h"

#include <QDateTime>
#include <QTimeZone>

using namespace vcq;
using namespace vcq::synctest;

class TestSyncMerge : public QObject
{
    Q_OBJECT

private slots:
    // Which contact changed last, as the sync state tells: changed here since
    // the last sync beats a card's REV; without either, nothing is known.
    void changeTimes()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath("VCQ97.NAM");
        const ContactRecord a = contact("Roy", "Lea"),
                            b = contact("Roy", "Lea", {{Field::City, "Lyon"}});
        sync::SyncState state;
        state.entries.push_back({1, "/ab/1.vcf", "\"1\"",
                                 "BEGIN:VCARD\r\nREV:20240102T030405Z\r\nEND:VCARD\r\n", a, true});
        state.entries.push_back({2, "/ab/2.vcf", "\"2\"", "BEGIN:VCARD\r\nEND:VCARD\r\n", a, true});
        QVERIFY(sync::saveSyncState(sync::syncStatePath(data), state));
        const std::vector<ContactRecord> now{a, b, a};
        const std::vector<std::int32_t> records{1, 2, 3};
        const auto times = sync::lastChangeTimes(data, records, now);
        QCOMPARE(
            times[0],
            QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), QTimeZone::utc()).toMSecsSinceEpoch());
        QVERIFY(times[1] && *times[1] > *times[0]);
        QVERIFY(!times[2]);
        QCOMPARE(duplicates::preselect(records, now, times).keep, std::size_t(1));
        QCOMPARE(sync::revisionTime("REV;VALUE=timestamp:2024-01-02T03:04:05Z\r\n"), times[0]);
    }

    void mergeThenSync()
    {
        QTemporaryDir dir(QDir::currentPath() + "/run-XXXXXX");
        DavServer srv(DavServer::Kind::Radicale, dir.path() + "/server");
        QVERIFY2(srv.start(), qPrintable(srv.error()));
        Desk desk(dir.path() + "/desk", srv);
        desk.store.add(contact("C\xF4t\xE9", "\xC9milie", {{Field::Phone1, "01 23 45 67 89"}}));
        // The same person from the phone, with more than the record holds.
        QCOMPARE(srv.putCard("phone.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-1\r\n"
                                          "N:COTE;emilie;;;\r\nFN:emilie COTE\r\n"
                                          "TEL;TYPE=home:+33 1 23 45 67 89\r\n"
                                          "EMAIL:e@x.fr\r\nURL:https://example.org/emilie\r\n"
                                          "TITLE:Engineer\r\nEND:VCARD\r\n") /
                     100,
                 2);
        QCOMPARE(desk.sync().exitCode(), 0);
        QCOMPARE(srv.cardNames().size(), 2);

        std::vector<ContactRecord> records;
        std::vector<std::int32_t> numbers;
        for (const ContactNode &n : desk.store.list()) {
            records.push_back(n.record());
            numbers.push_back(std::int32_t(n.RecordNumber));
        }
        std::vector<duplicates::ContactRef> refs;
        for (std::size_t i = 0; i < records.size(); ++i)
            refs.push_back({numbers[i], &records[i]});
        const auto groups = duplicates::findDuplicates(refs);
        QCOMPARE(groups.size(), std::size_t(1));
        std::vector<ContactRecord> group;
        for (const std::int32_t r : groups[0].records)
            group.push_back(desk.store.list().findRecord(r)->record());
        const duplicates::MergePlan plan = duplicates::preselect(groups[0].records, group);
        const duplicates::MergeResult result = duplicates::mergeContacts(plan, group, "Also: ");
        QCOMPARE(duplicates::applyMerge(desk.store, plan, group, result.contact),
                 duplicates::MergeOutcome::Merged);
        const std::int32_t kept = groups[0].records[plan.keep];
        const std::int32_t gone = groups[0].records[1 - plan.keep];
        QCOMPARE(sync::carryCardsIntoKept(desk.path, kept, {gone}), 2); // URL, TITLE

        const auto report = desk.sync();
        QCOMPARE(report.exitCode(), 0);
        QCOMPARE(report.uploadedChanged, 1);
        QCOMPARE(report.deletedOnServer, 1);
        const auto cards = serverCards(srv);
        QCOMPARE(cards.size(), std::size_t(1));
        const interop::VCard &card = cards.begin()->second;
        QCOMPARE(familyName(card), std::string("Côté"));
        QCOMPARE(card.first("EMAIL")->value(), std::string("e@x.fr"));
        QCOMPARE(card.first("TEL")->value(), std::string("01 23 45 67 89"));
        QVERIFY(card.first("URL") && card.first("URL")->value() == "https://example.org/emilie");
        QVERIFY(card.first("TITLE") && card.first("TITLE")->value() == "Engineer");
        // And the desk agrees after reading its file again.
        desk.reopen();
        QCOMPARE(desk.store.list().size(), std::size_t(1));
        QCOMPARE(desk.field("C\xF4t\xE9", Field::Email), std::string("e@x.fr"));
    }
};

QTEST_GUILESS_MAIN(TestSyncMerge)
#include "tst_sync_merge.moc"
