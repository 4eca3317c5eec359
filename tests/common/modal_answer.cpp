// SPDX-License-Identifier: GPL-3.0-or-later
#include "modal_answer.h"

#include <QPointer>
#include <QTest>

namespace vcq::test
{

ModalAnswer::ModalAnswer(std::function<bool(QWidget *)> accepts, std::function<void(QWidget *)> act,
                         Times times)
    : m_accepts(std::move(accepts)), m_act(std::move(act)), m_times(times)
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswer::poll);
    m_timer.start();
}

void ModalAnswer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || !m_accepts(modal))
        return;
    if (m_times == Times::Once) {
        // Stopped first: waiting runs the event loop, and this timer with it.
        m_timer.stop();
        QPointer<QWidget> window = modal;
        (void)QTest::qWaitForWindowActive(modal);
        if (!window)
            return;
    }
    ++m_count;
    m_act(modal);
    if (m_times == Times::Once && QTest::currentTestFailed()) {
        while (QWidget *left = QApplication::activeModalWidget())
            left->close();
    }
}

} // namespace vcq::test
