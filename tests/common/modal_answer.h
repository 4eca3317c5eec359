// SPDX-License-Identifier: GPL-3.0-or-later
// The one way tests answer modal windows: watch for the application's active
// modal window and act on it from inside its own event loop, as a user would.
#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace vcq::test
{

// Polls the active modal window and runs `act` on each visible one that
// `accepts`. Once: the watch ends after the first (it waits for that window
// to be active, and should the test fail inside `act`, closes every modal
// window left so that the test cannot hang). Every: it goes on for as long as
// the object lives. Destroying it withdraws what has not run.
class ModalAnswer : public QObject
{
public:
    enum class Times { Once, Every };

    ModalAnswer(std::function<bool(QWidget *)> accepts, std::function<void(QWidget *)> act,
                Times times);

    // How many windows it has handled; true once it has handled one.
    int count() const { return m_count; }
    explicit operator bool() const { return m_count > 0; }

private:
    void poll();

    std::function<bool(QWidget *)> m_accepts;
    std::function<void(QWidget *)> m_act;
    Times m_times;
    int m_count = 0;
    QTimer m_timer;
};

// Runs `action` once on the next modal window of type W.
template <typename W> std::unique_ptr<ModalAnswer> onNextModal(std::function<void(W *)> action)
{
    return std::make_unique<ModalAnswer>(
        [](QWidget *modal) { return qobject_cast<W *>(modal) != nullptr; },
        [action = std::move(action)](QWidget *modal) { action(qobject_cast<W *>(modal)); },
        ModalAnswer::Times::Once);
}

} // namespace vcq::test
