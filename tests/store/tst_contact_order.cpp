// SPDX-License-Identifier: GPL-3.0-or-later
// The contact list's two orders under many changes: the runs that hold them,
// the display order against a plain sort after every change, the rows the
// observer hears of, and a collation whose byte weights mislead the sort.
#include "store/contact_list.h"
#include "store/contact_order.h"

#include <QTest>

#include <algorithm>
#include <random>

using namespace vcq;

namespace
{

// Case-insensitive ASCII order; the weights may be honest or reversed.
class TestCollation : public KeyCollation
{
public:
    explicit TestCollation(bool honestWeights)
    {
        for (int b = 0; b < 256; ++b) {
            const int folded = std::tolower(b);
            m_weights[std::size_t(b)] =
                std::uint8_t(honestWeights ? std::max(folded, 1) : std::max(255 - folded, 1));
        }
        // Honest weights decide for every byte but 0 and 1, which share a
        // weight and still compare unequal; misleading ones for none.
        if (honestWeights) {
            m_exact.set();
            m_exact.reset(0);
            m_exact.reset(1);
        }
    }
    int compare(std::string_view a, std::string_view b) const override
    {
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            const int x = std::tolower(static_cast<unsigned char>(a[i]));
            const int y = std::tolower(static_cast<unsigned char>(b[i]));
            if (x != y)
                return x - y;
        }
        return int(a.size()) - int(b.size());
    }
    const std::array<std::uint8_t, 256> &weights() const override { return m_weights; }
    const std::bitset<256> &exactBytes() const override { return m_exact; }

private:
    std::array<std::uint8_t, 256> m_weights{};
    std::bitset<256> m_exact;
};

// Replays the observer's calls on a vector of record numbers, as a view would.
class MirrorObserver : public DisplayObserver
{
public:
    explicit MirrorObserver(const ContactList &list) : m_list(list) {}
    std::vector<std::int64_t> rows;
    int resets = 0, moves = 0, changes = 0;

    void beforeReset() override {}
    void afterReset() override
    {
        ++resets;
        rows.clear();
        for (std::size_t i = 0; i < m_list.displayCount(); ++i)
            rows.push_back(m_list.displayAt(i).RecordNumber);
    }
    void beforeInsert(std::size_t row) override { m_pending = row; }
    void afterInsert() override
    {
        rows.insert(rows.begin() + std::ptrdiff_t(m_pending),
                    m_list.displayAt(m_pending).RecordNumber);
    }
    void beforeRemove(std::size_t row) override { m_pending = row; }
    void afterRemove() override { rows.erase(rows.begin() + std::ptrdiff_t(m_pending)); }
    void beforeMove(std::size_t from, std::size_t to) override
    {
        ++moves;
        const std::int64_t r = rows[from];
        rows.erase(rows.begin() + std::ptrdiff_t(from));
        rows.insert(rows.begin() + std::ptrdiff_t(to), r);
    }
    void afterMove() override {}
    void changed(std::size_t) override { ++changes; }

private:
    const ContactList &m_list;
    std::size_t m_pending = 0;
};

ContactRecord named(const std::string &last, const std::string &first)
{
    ContactRecord r;
    r.set(Field::LastName, last);
    r.set(Field::FirstName, first);
    return r;
}

std::string randomName(std::mt19937 &rng)
{
    // Few distinct names, so that equal and case-equal keys are common.
    static const char *const names[] = {"Roy", "roy", "ROY", "Lee", "lee ", "Abel", "Zed", "zed"};
    std::uniform_int_distribution<int> pick(0, 7), letter(0, 3);
    return std::string(names[pick(rng)]) + char('a' + letter(rng));
}

// What the display order must be: the collation, then the list's own order.
std::vector<std::int64_t> expectedDisplay(const ContactList &list, const KeyCollation &c)
{
    std::vector<const ContactNode *> nodes;
    for (const ContactNode &n : list)
        nodes.push_back(&n);
    std::stable_sort(nodes.begin(), nodes.end(), [&](const ContactNode *a, const ContactNode *b) {
        return c.compare(a->DisplayKey, b->DisplayKey) < 0;
    });
    std::vector<std::int64_t> out;
    for (const ContactNode *n : nodes)
        out.push_back(n->RecordNumber);
    return out;
}

std::vector<std::int64_t> shown(const ContactList &list)
{
    std::vector<std::int64_t> out;
    for (std::size_t i = 0; i < list.displayCount(); ++i)
        out.push_back(list.displayAt(i).RecordNumber);
    return out;
}

bool byteOrdered(const ContactList &list)
{
    const ContactNode *prev = nullptr;
    for (const ContactNode &n : list) {
        if (prev && prev->DisplayKey > n.DisplayKey)
            return false;
        prev = &n;
    }
    return true;
}

} // namespace

class TestContactOrder : public QObject
{
    Q_OBJECT

private slots:
    void runsMatchAPlainVector()
    {
        // Enough ids that runs split and empty out many times over; each
        // id's key must stay beside it all along.
        ContactOrder order;
        std::vector<ContactOrder::Id> plain;
        std::vector<OrderKey> keys;
        const auto keyOf = [](int step) {
            return OrderKey{std::uint64_t(step) * 7, ~std::uint64_t(step)};
        };
        std::mt19937 rng(5);
        for (int step = 0; step < 20000; ++step) {
            const bool grow = plain.size() < 300 || rng() % 3 != 0;
            if (grow) {
                const std::size_t row = rng() % (plain.size() + 1);
                order.insertAt(row, ContactOrder::Id(step), keyOf(step));
                plain.insert(plain.begin() + std::ptrdiff_t(row), ContactOrder::Id(step));
                keys.insert(keys.begin() + std::ptrdiff_t(row), keyOf(step));
            } else {
                const std::size_t row = rng() % plain.size();
                order.eraseAt(row);
                plain.erase(plain.begin() + std::ptrdiff_t(row));
                keys.erase(keys.begin() + std::ptrdiff_t(row));
            }
        }
        QCOMPARE(order.size(), plain.size());
        QVERIFY(std::equal(order.begin(), order.end(), plain.begin(), plain.end()));
        std::size_t at = 0;
        for (auto it = order.begin(); it != order.end(); ++it, ++at)
            QVERIFY(it.key() == keys[at]);
        for (std::size_t row = 0; row < plain.size(); row += 97) {
            QCOMPARE(order.at(row), plain[row]);
            QVERIFY(order.keyAt(row) == keys[row]);
        }
        // Walking back from the end meets the same ids.
        auto it = order.end();
        for (std::size_t i = plain.size(); i-- > plain.size() - 3000;)
            QCOMPARE(*--it, plain[i]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, order.at(plain.size()));

        // Assigned whole, with and without keys.
        order.assign(plain, keys);
        for (std::size_t row = 0; row < plain.size(); row += 89)
            QVERIFY(order.keyAt(row) == keys[row]);
        order.assign(plain);
        QVERIFY(order.keyAt(plain.size() - 1) == OrderKey{});
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, order.assign(plain, {keys.front()}));
    }

    void displayOrderFollowsEveryChange_data()
    {
        QTest::addColumn<bool>("honestWeights");
        QTest::addColumn<int>("loaded");
        QTest::newRow("weights that order like the collation") << true << 3000;
        QTest::newRow("weights that order backwards") << false << 3000;
        // Enough contacts that the load sorts its two orders at once.
        QTest::newRow("a large load, honest weights") << true << 30000;
        QTest::newRow("a large load, weights backwards") << false << 30000;
    }
    void displayOrderFollowsEveryChange()
    {
        QFETCH(bool, honestWeights);
        QFETCH(int, loaded);
        const TestCollation collation(honestWeights);
        ContactList list;
        MirrorObserver mirror(list);
        std::mt19937 rng(11);
        // A load, sorted in one go.
        list.setDisplayOrder(&collation, &mirror);
        list.beginLoad(loaded);
        for (std::int64_t r = 1; r <= loaded; ++r) {
            const std::string last = randomName(rng);
            list.loadContact(r, last, randomName(rng));
        }
        list.endLoad();
        QVERIFY(byteOrdered(list));
        QCOMPARE(shown(list), expectedDisplay(list, collation));
        QCOMPARE(mirror.rows, shown(list));

        // Then single changes, each told row by row.
        const int resetsAfterLoad = mirror.resets;
        std::int64_t next = loaded + 1;
        for (int step = 0; step < 1500; ++step) {
            const std::int64_t some = std::int64_t(rng() % std::uint64_t(next - 1)) + 1;
            switch (rng() % 3) {
            case 0:
                list.InsertNode(next++, named(randomName(rng), randomName(rng)));
                break;
            case 1:
                list.update(some, named(randomName(rng), randomName(rng)));
                break;
            default:
                list.remove(some);
                break;
            }
            QCOMPARE(mirror.rows, shown(list));
        }
        QVERIFY(mirror.moves > 0);
        QCOMPARE(mirror.resets, resetsAfterLoad);
        QVERIFY(byteOrdered(list));
        QCOMPARE(shown(list), expectedDisplay(list, collation));
        // The newest of equal keys is the one a lookup finds, and leads its run.
        for (std::size_t row = 0; row + 1 < list.displayCount(); ++row) {
            const ContactNode &a = list.displayAt(row);
            if (a.DisplayKey == list.displayAt(row + 1).DisplayKey)
                continue;
            QCOMPARE(list.displayRowOf(a.RecordNumber), std::int64_t(row));
        }
    }

    void sameKeyChangesInPlace()
    {
        const TestCollation collation(true);
        ContactList list;
        MirrorObserver mirror(list);
        list.setDisplayOrder(&collation, &mirror);
        list.InsertNode(1, named("Baker", "B"));
        list.InsertNode(2, named("Adam", "A"));
        ContactRecord phone = named("Baker", "B");
        phone.set(Field::Phone1, "555");
        QVERIFY(list.update(1, phone));
        QCOMPARE(mirror.changes, 1);
        QCOMPARE(mirror.moves, 0);
        QCOMPARE(list.findRecord(1)->field(Field::Phone1), std::string("555"));
        // A new key that keeps the row is a move to the same place.
        QVERIFY(list.update(1, named("Bakers", "B")));
        QCOMPARE(mirror.rows, (std::vector<std::int64_t>{2, 1}));
        QCOMPARE(list.displayRowOf(1), std::int64_t(1));
        QCOMPARE(list.displayRowOf(9), std::int64_t(-1));
    }

    void aMovedListKeepsItsNodes()
    {
        ContactList list;
        list.InsertNode(3, named("Roy", "Anne"));
        ContactList moved(std::move(list));
        QCOMPARE(moved.findRecord(3)->field(Field::FirstName), std::string("Anne"));
        QCOMPARE(std::string(moved.head()->DisplayKey), std::string("Roy Anne"));
        QVERIFY(list.empty());
    }
};

QTEST_APPLESS_MAIN(TestContactOrder)
#include "tst_contact_order.moc"
