// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the password dialog's tests: typing, the error box it shows,
// and its controls by name.
#pragma once

#include "common/modal_answer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <functional>
#include <memory>

namespace vcq::test
{

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
inline std::unique_ptr<ModalAnswer> answerErrorBox(ErrorBoxSeen &seen)
{
    return onNextModal<QMessageBox>([&seen](QMessageBox *box) {
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton *b : box->buttons())
            seen.buttons << b->text();
        for (QAbstractButton *b : box->buttons())
            if (box->buttonRole(b) == QMessageBox::AcceptRole)
                b->click();
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
