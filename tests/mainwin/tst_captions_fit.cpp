// SPDX-License-Identifier: GPL-3.0-or-later
// Every caption of every window fits its box, in each language: each window
// is opened as the program opens it and the width of each caption's text, in
// the control's own font and without its accelerator marker, is held against
// the room its control gives the text.
#include "window_fixture.h"

#include "mainwin/start_up.h"
#include "settings/reg_app.h"
#include "widgets/explorer_caption.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

using vcq::TRegAppDefaultUserConfig;

using namespace testutil;

namespace
{

QStyleOptionButton optionOf(const QAbstractButton *b)
{
    QStyleOptionButton o;
    o.initFrom(b);
    o.text = b->text();
    o.rect = b->rect();
    if (const auto *push = qobject_cast<const QPushButton *>(b)) {
        if (push->autoDefault())
            o.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            o.features |= QStyleOptionButton::DefaultButton;
    }
    return o;
}

struct Caption {
    QString text; // as shown
    int room = 0;
};

// The caption a control shows and the width its box leaves for it; no text
// for controls without a one-line caption.
Caption captionOf(const QWidget *w)
{
    if (const auto *l = qobject_cast<const QLabel *>(w)) {
        if (!l->isVisibleTo(l->window()) || l->wordWrap() || !l->pixmap().isNull())
            return {};
        const QString text = l->buddy() ? vcq::removeAcceleratorMarkers(l->text()) : l->text();
        return {text, l->contentsRect().width()};
    }
    if (const auto *c = qobject_cast<const QCheckBox *>(w)) {
        const QStyleOptionButton o = optionOf(c);
        return {vcq::removeAcceleratorMarkers(c->text()),
                c->style()->subElementRect(QStyle::SE_CheckBoxContents, &o, c).width()};
    }
    if (const auto *p = qobject_cast<const QPushButton *>(w)) {
        const QStyleOptionButton o = optionOf(p);
        return {vcq::removeAcceleratorMarkers(p->text()),
                p->style()->subElementRect(QStyle::SE_PushButtonContents, &o, p).width()};
    }
    if (const auto *b = qobject_cast<const vcq::TExplorerButton *>(w))
        return {vcq::removeAcceleratorMarkers(b->Caption()), b->width() - 4};
    return {};
}

// Every caption of `window` wider than its room, as "name: text (width > room)".
QStringList overflowing(QWidget *window)
{
    QStringList found;
    int checked = 0;
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window)
            continue; // another window's control
        const Caption c = captionOf(w);
        if (c.text.isEmpty())
            continue;
        ++checked;
        const int width = w->fontMetrics().horizontalAdvance(c.text);
        if (width > c.room)
            found << QStringLiteral("%1: \"%2\" (%3 > %4)")
                         .arg(w->objectName(), c.text)
                         .arg(width)
                         .arg(c.room);
    }
    if (checked == 0)
        found << QStringLiteral("no caption found");
    return found;
}

} // namespace

class TestCaptionsFit : public QObject
{
    Q_OBJECT

    TestFolder m_folder;

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void everyCaptionFits_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("language");
        for (const char *window :
             {"main", "options", "about", "print", "dialer", "password", "password confirmation"}) {
            QTest::addRow("%s, English", window) << QString::fromLatin1(window) << 0;
            QTest::addRow("%s, French", window) << QString::fromLatin1(window) << 1;
        }
    }
    void everyCaptionFits()
    {
        QFETCH(QString, window);
        QFETCH(int, language);
        {
            // The language the windows are created in, as the next start reads it.
            TRegAppDefaultUserConfig reg;
            vcq::setVcqKey(reg);
            vcq::RegAppActivation activation(reg);
            reg.WriteIntegerValue("Language", language);
        }
        vcq::ProgramWindows windows = vcq::createProgramWindows();
        vcq::TfrmMain &main = *windows.main;
        main.show();
        QWidget *shown = &main;
        if (window == u"options")
            shown = windows.options;
        else if (window == u"about")
            shown = windows.about;
        else if (window == u"print")
            shown = windows.print;
        else if (window == u"dialer")
            shown = windows.tapiCall;
        else if (window.startsWith(u"password")) {
            main.state().Password.PasswordChanged = window.endsWith(u"confirmation");
            shown = windows.passwordDlg;
        }
        // Shown as the program shows it, which applies the language.
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        const QStringList wide = overflowing(shown);
        QVERIFY2(wide.isEmpty(), qPrintable(wide.join(QStringLiteral("; "))));
        shown->hide();
    }
};

VCQ_WINDOW_TEST_MAIN(TestCaptionsFit)
#include "tst_captions_fit.moc"
