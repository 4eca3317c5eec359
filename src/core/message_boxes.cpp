// SPDX-License-Identifier: GPL-3.0-or-later
#include "message_boxes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "window_placement.h"

#include <cstdio>
#include <new>
#include <stdexcept>

namespace vcq
{

namespace
{

// Runs a box with "OK" (the default) and maybe "Cancel"; the texts are set
// here, not left to the toolkit's language: buttons of our own, which a
// change of language (Qt's translations) does not retitle as it does the
// standard ones. True when "OK" was clicked.
bool runBox(QMessageBox &box, bool withCancel)
{
    // A contact's name such as "<img src=/dev/zero>" must show as typed.
    box.setTextFormat(Qt::PlainText);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton *cancel =
        withCancel ? box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel ? cancel : ok);
    box.exec();
    return box.clickedButton() == ok;
}

} // namespace

QString applicationTitle()
{
    return QStringLiteral("Vellora Carnetique 97");
}

void showPlainMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::NoButton, parent);
    runBox(box, false);
}

bool askConfirmation(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton,
                    parent);
    return runBox(box, true);
}

void showErrorBox(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::NoButton,
                    parent);
    runBox(box, false);
}

void reportFailure(QWidget *parent, const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(applicationTitle()), qPrintable(text));
    std::fflush(stderr);
    showPlainMessage(parent, text);
}

QString exceptionMessage(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

namespace
{

// A box that stands in the middle of the screen, not over its parent window.
class ScreenCentredBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        // The box has its final size here, and is not on the screen yet.
        QMessageBox::showEvent(event);
        centreOnScreen(this);
    }
};

} // namespace

bool askConfirmationOnScreen(QWidget *parent, const QString &text)
{
    ScreenCentredBox box(QMessageBox::Question, QStringLiteral("Confirm"), text,
                         QMessageBox::NoButton, parent);
    return runBox(box, true);
}

} // namespace vcq
