// Test helpers that answer modal windows the way a user would: wait until
// the window is the active modal one, then act on it.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace vcq::test
{

// Runs action once on the modal widget of type W as soon as it is the active
// modal one. Destroying the result withdraws an action that has not run.
template <typename W> std::unique_ptr<QTimer> whenModal(std::function<void(W *)> action)
{
    auto poll = std::make_unique<QTimer>();
    poll->setInterval(5);
    QTimer *timer = poll.get();
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto *w = qobject_cast<W *>(QApplication::activeModalWidget());
        if (!w || !w->isVisible())
            return;
        timer->stop();
        action(w);
    });
    timer->start();
    return poll;
}

// Types text that may hold characters beyond ASCII, as a keyboard would.
inline void typeText(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

struct ErrorBoxSeen {
    QString caption;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the next message box with its OK button, recording what it showed.
inline std::unique_ptr<QTimer> answerErrorBox(ErrorBoxSeen &seen)
{
    return whenModal<QMessageBox>([&seen](QMessageBox *box) {
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton *b : box->buttons())
            seen.buttons << b->text();
        box->button(QMessageBox::Ok)->click();
    });
}

// Finds a named child or stops the test program: a missing control is a fault.
template <typename T> T *child(QWidget *parent, const char *name)
{
    auto *w = parent->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

} // namespace vcq::test
