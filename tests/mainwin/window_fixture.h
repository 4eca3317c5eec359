// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for driving the main window in tests: a watcher that answers every
// modal box and dialog and remembers what it saw, and a started window in a
// temporary working directory. Data files come from common/data_file.h.
#pragma once

#include "common/data_file.h"
#include "common/modal_answer.h"
#include "mainwin/tfrm_main.h"
#include "mainwin/vcq_application.h"
#include "store/contact_record.h"
#include "widgets/explorer_button.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testutil
{

using namespace vcq::test;
using vcq::ContactRecord;
using vcq::Field;

struct SeenBox {
    QString title;
    QString text;
    QStringList buttons;
    Qt::TextFormat format = Qt::AutoText;
};

inline QString plainButtonText(const QAbstractButton *b)
{
    return b->text().remove(u'&');
}

// Answers modal boxes as they come up: each QMessageBox with the next queued
// button text (else "OK"), each other dialog by running the queued action and
// closing it.
class ModalWatcher
{
public:
    QList<SeenBox> boxes;
    QStringList answers;
    QStringList dialogsSeen;
    std::function<void(QDialog *)> onDialog;

private:
    void answer(QWidget *modal)
    {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            SeenBox seen{box->windowTitle(), box->text(), {}, box->textFormat()};
            for (QAbstractButton *b : box->buttons())
                seen.buttons << plainButtonText(b);
            boxes << seen;
            const QString answer = answers.isEmpty() ? QStringLiteral("OK") : answers.takeFirst();
            for (QAbstractButton *b : box->buttons()) {
                if (plainButtonText(b) == answer) {
                    b->click();
                    return;
                }
            }
            box->reject();
        } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            // By class name without its namespaces; a plain stand-in by its object name.
            const QString className =
                QString::fromLatin1(dialog->metaObject()->className()).section("::", -1);
            dialogsSeen << (className == u"QDialog" ? dialog->objectName() : className);
            if (onDialog)
                onDialog(dialog);
            dialog->reject();
        }
    }
    ModalAnswer m_answer{[](QWidget *) { return true; }, [this](QWidget *w) { answer(w); },
                         ModalAnswer::Times::Every};
};

// A main window in the current directory, shown (so that it has loaded the data file).
inline std::unique_ptr<vcq::TfrmMain> startWindow(std::function<void(vcq::TfrmMain &)> before = {})
{
    auto w = std::make_unique<vcq::TfrmMain>();
    if (before)
        before(*w);
    w->show();
    return w;
}

// Each test function's own empty working folder and settings, and a watcher
// answering its modal boxes.
struct TestFolder {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ModalWatcher> watcher;
    QByteArray configHome;

    void enter()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        QVERIFY(QDir::setCurrent(dir->path()));
        // What one test stores in the settings, the next does not find.
        configHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir->filePath(QStringLiteral(".config"))));
        watcher = std::make_unique<ModalWatcher>();
    }
    void leave()
    {
        watcher.reset();
        qputenv("XDG_CONFIG_HOME", configHome);
        QDir::setCurrent(QDir::tempPath());
        dir.reset();
    }
};

// The texts of the list entries, top to bottom.
inline QStringList listTexts(const vcq::TfrmMain &w)
{
    QStringList texts;
    for (int i = 0; i < w.listModel().count(); ++i)
        texts << w.listModel().at(i).text;
    return texts;
}

// A command or dial button of the window by its name.
inline QWidget *button(vcq::TfrmMain &w, const char *name)
{
    return w.findChild<QWidget *>(QString::fromLatin1(name));
}

inline QLineEdit *edit(vcq::TfrmMain &w, const char *name)
{
    return w.findChild<QLineEdit *>(QString::fromLatin1(name));
}

inline void click(vcq::TfrmMain &w, const char *name)
{
    QTest::mouseClick(button(w, name), Qt::LeftButton);
}

// Clicks a list entry as the user would.
inline void clickEntry(vcq::TfrmMain &w, int row)
{
    const QRect rect = w.lstList->visualRect(w.lstList->model()->index(row, 0));
    QTest::mouseClick(w.lstList->viewport(), Qt::LeftButton, {}, rect.center());
}

inline void typeInto(vcq::TfrmMain &w, const char *name, const QString &text)
{
    QLineEdit *e = edit(w, name);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
}

// The enabled states of Save, Delete, Print ("EED"...), the flags agreeing with them.
inline QString commandStates(vcq::TfrmMain &w)
{
    const bool save = button(w, "SaveBut")->isEnabled();
    const bool del = button(w, "TrashBut")->isEnabled();
    const bool print = button(w, "PrintBut")->isEnabled();
    if (save != w.state().SaveEnabled || del != w.state().DeleteEnabled ||
        print != w.state().PrintEnabled)
        return QStringLiteral("flags disagree with buttons");
    QString states;
    for (bool on : {save, del, print})
        states += on ? u'E' : u'D';
    return states;
}

} // namespace testutil

// Each test program runs under the application object that reports errors.
#define VCQ_WINDOW_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        vcq::VcqApplication app(argc, argv);                                                       \
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));                     \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
