// For window tests: do something with the next modal window once it is up,
// from inside its own event loop.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Runs `act` on the next modal window of type T. The returned flag turns
// true once it has run, so a test can check that the window did appear.
template <typename T> std::shared_ptr<bool> onNextModal(std::function<void(T *)> act)
{
    auto done = std::make_shared<bool>(false);
    QTimer::singleShot(0, [done, act = std::move(act)] {
        QTRY_VERIFY(qobject_cast<T *>(QApplication::activeModalWidget()));
        T *window = qobject_cast<T *>(QApplication::activeModalWidget());
        QVERIFY(QTest::qWaitForWindowActive(window));
        act(window);
        *done = true;
        // A failed check must not leave the test hanging in a modal loop.
        if (QTest::currentTestFailed()) {
            while (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        }
    });
    return done;
}
