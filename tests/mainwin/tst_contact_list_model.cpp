// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the contact list box: the desktop's order over the store's own
// list, and each change reaching the view as exactly the rows it moved.
#include "mainwin/contact_list_model.h"

#include <QAbstractItemModelTester>
#include <QCollator>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include "core/cp1252.h"

#include <random>
#include <set>

using namespace vcq;
using Entry = ContactListModel::Entry;

namespace
{

ContactRecord named(const QString &last, const QString &first = {})
{
    ContactRecord r;
    r.set(Field::LastName, toCp1252(last));
    r.set(Field::FirstName, toCp1252(first));
    return r;
}

QStringList texts(const ContactListModel &m)
{
    QStringList l;
    for (int i = 0; i < m.count(); ++i)
        l << m.at(i).text;
    return l;
}

// The desktop's own sort of display keys, ties kept in byte order.
QStringList desktopOrder(QStringList keys)
{
    std::sort(keys.begin(), keys.end(),
              [](const QString &a, const QString &b) { return toCp1252(a) < toCp1252(b); });
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(keys.begin(), keys.end(), [&](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    return keys;
}

} // namespace

class TestContactListModel : public QObject
{
    Q_OBJECT

private slots:
    void sortsLikeTheDesktop_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("lastNames");
        const QStringList mixed = {"Smith",
                                   "smith",
                                   "Zola",
                                   "adams",
                                   QStringLiteral("Émond"),
                                   "Eve",
                                   "Fox",
                                   "Lee",
                                   " Zed",
                                   "Lee A",
                                   QStringLiteral("Æble"),
                                   "Aeb",
                                   "Adz",
                                   "Afar",
                                   "O'Hara",
                                   "Ohara",
                                   QStringLiteral("Œuvre"),
                                   "Oeuf",
                                   "Straße",
                                   "Strass",
                                   "Strasz",
                                   "co-op",
                                   QStringLiteral("cote"),
                                   QStringLiteral("côte"),
                                   QStringLiteral("coté"),
                                   QStringLiteral("côté"),
                                   "12",
                                   "9",
                                   QStringLiteral("soft\u00ADhyphen"),
                                   "softhyphen",
                                   "tab\tin",
                                   "_under",
                                   "zz"};
        QTest::newRow("French, Canada") << "fr_CA" << mixed;
        QTest::newRow("English, US") << "en_US" << mixed;
        QTest::newRow("Swedish") << "sv_SE" << mixed;
        QTest::newRow("Czech (ch after h)")
            << "cs_CZ" << QStringList({"Chadima", "Hora", "Cibulka", "Ihnat", "chudoba", "Hus"});
    }
    void sortsLikeTheDesktop()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, lastNames);
        QLocale::setDefault(QLocale(locale));
        QStringList keys;
        for (const QString &n : lastNames)
            keys << fromCp1252(displayKey(toCp1252(n), "x"));
        keys = desktopOrder(keys);

        // Loaded in one go, and inserted one by one, the rows are the same.
        ContactList loaded;
        ContactListModel loadedModel(loaded);
        loaded.beginLoad();
        ContactList inserted;
        ContactListModel insertedModel(inserted);
        std::int64_t record = 1;
        for (const QString &n : lastNames) {
            loaded.loadContact(record, toCp1252(n), "x");
            inserted.InsertNode(record, named(n, "x"));
            ++record;
        }
        loaded.endLoad();
        QCOMPARE(texts(loadedModel), keys);
        QCOMPARE(texts(insertedModel), keys);
        // Each row still names its own record.
        for (int row = 0; row < loadedModel.count(); ++row) {
            const Entry e = loadedModel.at(row);
            QCOMPARE(fromCp1252(displayKey(toCp1252(lastNames[int(e.record) - 1]), "x")), e.text);
            QCOMPARE(loadedModel.rowOfRecord(e.record), row);
        }
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // Many keys built from the pieces that expand, contract or are passed
    // over somewhere: the weights the load sorts by must never overrule the
    // desktop's collation.
    void manyKeysSortLikeTheDesktop_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *name :
             {"C", "en_US", "fr_CA", "de_DE", "da_DK", "cs_CZ", "hu_HU", "es_ES", "sv_SE", "pl_PL"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void manyKeysSortLikeTheDesktop()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        const QStringList pieces = {"a",
                                    "A",
                                    "aa",
                                    "Aa",
                                    "ae",
                                    QStringLiteral("æ"),
                                    QStringLiteral("Æ"),
                                    "b",
                                    "c",
                                    "ch",
                                    "CH",
                                    "cs",
                                    "d",
                                    "dz",
                                    "dzs",
                                    "e",
                                    QStringLiteral("é"),
                                    QStringLiteral("è"),
                                    "h",
                                    "l",
                                    "ll",
                                    "n",
                                    QStringLiteral("ñ"),
                                    "o",
                                    QStringLiteral("ö"),
                                    "oe",
                                    QStringLiteral("œ"),
                                    "s",
                                    "ss",
                                    QStringLiteral("ß"),
                                    "t",
                                    "th",
                                    QStringLiteral("þ"),
                                    "z",
                                    " ",
                                    "-",
                                    "'",
                                    QStringLiteral("\u00AD"),
                                    "1",
                                    QStringLiteral("½"),
                                    QStringLiteral("…"),
                                    QStringLiteral("™"),
                                    QStringLiteral("·"),
                                    QStringLiteral("l·l")};
        std::mt19937 rng(97);
        std::uniform_int_distribution<qsizetype> piece(0, pieces.size() - 1);
        std::uniform_int_distribution<int> length(1, 5);
        QStringList lastNames;
        for (int i = 0; i < 4000; ++i) {
            QString n;
            for (int k = length(rng); k > 0; --k)
                n += pieces[piece(rng)];
            lastNames << n;
        }
        QStringList keys;
        ContactList loaded;
        ContactListModel model(loaded);
        loaded.beginLoad();
        std::int64_t record = 1;
        for (const QString &n : lastNames) {
            keys << fromCp1252(displayKey(toCp1252(n), "x"));
            loaded.loadContact(record++, toCp1252(n), "x");
        }
        loaded.endLoad();
        QCOMPARE(texts(model), desktopOrder(keys));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void changesReachTheViewRowByRow()
    {
        ContactList list;
        ContactListModel m(list);
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.InsertNode(1, named("Baker"));
        list.InsertNode(2, named("Dole"));
        QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
        QSignalSpy moved(&m, &QAbstractItemModel::rowsMoved);
        QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&m, &QAbstractItemModel::modelReset);

        list.InsertNode(3, named("Clark"));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted[0][1].toInt(), 1);

        // Baker becomes Zimmer: row 0 moves below the last row.
        QVERIFY(list.update(1, named("Zimmer")));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved[0][1].toInt(), 0);
        QCOMPARE(moved[0][4].toInt(), 3);
        QCOMPARE(texts(m), QStringList({"Clark ", "Dole ", "Zimmer "}));

        // A new phone number only: the row is redrawn where it is.
        ContactRecord phone = named("Dole");
        phone.set(Field::Phone1, "555");
        QVERIFY(list.update(2, phone));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 1);

        QVERIFY(list.remove(3));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed[0][1].toInt(), 0);
        QCOMPARE(m.data(m.index(1), ContactListModel::RecordRole).toLongLong(), 1);
        QCOMPARE(reset.count(), 0);

        list.clear();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(m.rowCount(), 0);
    }

    // A filtered list follows every change with the rows it shows: those
    // shown stay, those added appear, the others stay hidden, in order.
    void filterFollowsChanges()
    {
        ContactList list;
        ContactListModel m(list);
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::mt19937 random(11);
        const auto name = [&] { return QString(QChar('A' + int(random() % 26))) + "x"; };
        for (int r = 1; r <= 60; ++r)
            list.InsertNode(r, named(name(), QString::number(r)));
        std::set<std::int64_t> shown;
        std::vector<std::int32_t> wanted;
        for (std::int32_t r = 1; r <= 60; r += 3) {
            wanted.push_back(r);
            shown.insert(r);
        }
        wanted.push_back(999); // no such contact: passed over
        m.setFilter(wanted);
        QVERIFY(m.isFiltered());
        std::int32_t next = 61;
        for (int step = 0; step < 300; ++step) {
            const std::int32_t r = std::int32_t(1 + random() % std::uint32_t(next - 1));
            switch (random() % 3) {
            case 0:
                list.InsertNode(next, named(name(), QString::number(next)));
                shown.insert(next++);
                break;
            case 1:
                if (list.findRecord(r))
                    list.update(r, named(name(), QString::number(r)));
                break;
            default:
                list.remove(r);
                shown.erase(r);
            }
            // The rows: exactly the shown contacts, in the list's order.
            QStringList expected;
            for (std::size_t row = 0; row < list.displayCount(); ++row)
                if (shown.count(list.displayAt(row).RecordNumber))
                    expected << fromCp1252(list.displayAt(row).DisplayKey);
            QCOMPARE(texts(m), expected);
        }
        for (const std::int64_t r : shown)
            QCOMPARE(m.at(m.rowOfRecord(r)).record, r);
        m.clearFilter();
        QCOMPARE(m.count(), int(list.displayCount()));
    }
};

QTEST_GUILESS_MAIN(TestContactListModel)
#include "tst_contact_list_model.moc"
