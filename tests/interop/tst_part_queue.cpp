// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over between the import's reader thread and its own: parts come
// in order, never more of them exist than allowed, either side can end the
// hand-over while the other waits, and the reader's error comes after the
// parts it made.
#include "interop/part_queue.h"

#include <QTest>

#include <atomic>
#include <stdexcept>
#include <thread>

using namespace vcq::interop;

namespace
{

std::atomic<int> g_alive{0};

struct Part {
    Part() { ++g_alive; }
    ~Part() { --g_alive; }
    Part(const Part &) = delete;
    Part &operator=(const Part &) = delete;
    int number = 0;
};

} // namespace

class TestPartQueue : public QObject
{
    Q_OBJECT

private slots:
    void init() { QCOMPARE(g_alive.load(), 0); }

    // A producer far faster than its consumer: the parts still come in
    // order, and no more exist than the capacity, whatever the capacity.
    void partsComeInOrderAndStayFew_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::newRow("one") << 1;
        QTest::newRow("four") << 4;
        QTest::newRow("none asked: one") << 0;
    }
    void partsComeInOrderAndStayFew()
    {
        QFETCH(int, capacity);
        const int total = 2000;
        PartQueue<Part> queue(static_cast<std::size_t>(capacity));
        std::thread producer([&] {
            for (int i = 1; i <= total; ++i) {
                std::unique_ptr<Part> part = queue.emptyPart();
                if (!part)
                    return;
                part->number = i;
                if (!queue.push(std::move(part)))
                    return;
            }
            queue.close();
        });
        int expected = 1;
        int mostAlive = 0;
        while (std::unique_ptr<Part> part = queue.pop()) {
            mostAlive = std::max(mostAlive, g_alive.load());
            if (part->number != expected)
                break;
            ++expected;
            queue.recycle(std::move(part));
        }
        queue.stop(); // a producer left waiting after a wrong part ends too
        producer.join();
        QCOMPARE(expected, total + 1);
        QVERIFY(mostAlive <= std::max(capacity, 1));
        QVERIFY(!queue.error());
    }

    // The consumer stops while the producer waits for room, or for a part
    // to come back: the producer wakes, is told to end, and nothing it hands
    // on after that is kept.
    void stopEndsAWaitingProducer()
    {
        PartQueue<Part> queue(2);
        std::atomic<bool> toldToEnd{false};
        std::thread producer([&] {
            while (std::unique_ptr<Part> part = queue.emptyPart()) {
                if (!queue.push(std::move(part)))
                    break;
            }
            toldToEnd = true;
        });
        std::unique_ptr<Part> first = queue.pop();
        QVERIFY(first);
        // The producer now holds or waits for the last part; stop anyway.
        queue.stop();
        producer.join();
        QVERIFY(toldToEnd);
        QVERIFY(!queue.push(std::make_unique<Part>()));
        QVERIFY(!queue.emptyPart());
    }

    // The producer fails after a few parts: they are all taken first, then
    // the end comes with the error.
    void errorComesAfterTheParts()
    {
        PartQueue<Part> queue(8);
        std::thread producer([&] {
            for (int i = 1; i <= 3; ++i) {
                std::unique_ptr<Part> part = queue.emptyPart();
                part->number = i;
                queue.push(std::move(part));
            }
            queue.close(std::make_exception_ptr(std::runtime_error("unreadable")));
        });
        producer.join();
        for (int i = 1; i <= 3; ++i) {
            std::unique_ptr<Part> part = queue.pop();
            QVERIFY(part);
            QCOMPARE(part->number, i);
        }
        QVERIFY(!queue.pop());
        QVERIFY(queue.error());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, std::rethrow_exception(queue.error()));
    }
};

QTEST_GUILESS_MAIN(TestPartQueue)
#include "tst_part_queue.moc"
