// SPDX-License-Identifier: GPL-3.0-or-later
// The second thread of an import or export: one job at a time, always on the
// same thread (what a thread builds once stays built), its error rethrown to
// the caller, and the thread usable again after one.
#include "interop/second_thread.h"

#include <QTest>

#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace vcq::interop;

class TestSecondThread : public QObject
{
    Q_OBJECT
private slots:
    void runsJobsOneAtATimeOnOneThread()
    {
        SecondThread second;
        std::vector<int> seen;
        std::set<std::thread::id> threads;
        for (int i = 0; i < 200; ++i) {
            second.start([&, i] {
                seen.push_back(i);
                threads.insert(std::this_thread::get_id());
            });
            QVERIFY(second.busy());
            second.wait();
            QVERIFY(!second.busy());
            QCOMPARE(seen.size(), std::size_t(i + 1));
            QCOMPARE(seen.back(), i);
        }
        QCOMPARE(threads.size(), std::size_t(1));
        QVERIFY(*threads.begin() != std::this_thread::get_id());
    }

    void rethrowsWhatAJobThrewAndGoesOn()
    {
        SecondThread second;
        second.start([] { throw std::runtime_error("disk full"); });
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, second.wait());
        bool ran = false;
        second.start([&] { ran = true; });
        second.wait();
        QVERIFY(ran);
    }
};

QTEST_GUILESS_MAIN(TestSecondThread)
#include "tst_second_thread.moc"
