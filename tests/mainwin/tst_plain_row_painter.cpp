// SPDX-License-Identifier: GPL-3.0-or-later
// A plain row drawn by the list's own painter looks exactly, pixel for pixel,
// as the style's item delegate draws it, in each style; the rows it leaves to
// the style (selected, focused, cut short, broken) are left.
#include "mainwin/contact_list_view.h"
#include "mainwin/plain_row_painter.h"

#include <QImage>
#include <QPainter>
#include <QStringListModel>
#include <QStyle>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QTest>

#include <memory>

namespace
{

// The view's own option for its rows, as its paint starts from.
class View : public vcq::ContactListView
{
public:
    using ContactListView::initViewItemOption;
};

// The stock delegate under another name: a view with it draws every row
// through the delegate.
class OtherDelegate : public QStyledItemDelegate
{
    Q_OBJECT
};

} // namespace

class TestPlainRowPainter : public QObject
{
    Q_OBJECT

private slots:
    void looksAsTheStyleDrawsIt_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("state"); // added to the view's state
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("drawn");
        const int none = 0, selected = int(QStyle::State_Selected),
                  focused = int(QStyle::State_HasFocus);
        for (const QString &style : {QStringLiteral("Fusion"), QStringLiteral("Windows")}) {
            const auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(style + u' ' + QLatin1String(name))) << style;
            };
            row("plain") << QStringLiteral("Smith John") << 218 << none << true << true;
            row("accents and ligatures")
                << QStringLiteral("Côté Émilie Œuvre Æsop ß") << 218 << none << true << true;
            row("kerned pairs") << QStringLiteral("AVATAR Wave Tomy") << 218 << none << true
                                << true;
            row("greyed") << QStringLiteral("Tremblay Éric") << 218 << none << false << true;
            row("empty") << QString() << 218 << none << true << true;
            row("cut short") << QStringLiteral("Desjardins-Castonguay Marie-Élisabeth") << 90
                             << none << true << false;
            row("selected") << QStringLiteral("Smith John") << 218 << selected << true << false;
            row("focused") << QStringLiteral("Smith John") << 218 << focused << true << false;
            row("line break") << QStringLiteral("Smith\nJohn") << 218 << none << true << false;
        }
    }
    void looksAsTheStyleDrawsIt()
    {
        QFETCH(QString, style);
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(int, state);
        QFETCH(bool, enabled);
        QFETCH(bool, drawn);
        std::unique_ptr<QStyle> theStyle(QStyleFactory::create(style));
        QVERIFY(theStyle);
        QStringListModel model({text});
        View view;
        view.setStyle(theStyle.get());
        view.setModel(&model);
        view.setEnabled(enabled);
        QStyleOptionViewItem option;
        view.initViewItemOption(&option);
        option.rect = QRect(0, 0, width, view.rowHeight());
        option.state |= QStyle::State(state);

        const auto canvas = [&] {
            QImage image(option.rect.size() + QSize(8, 4), QImage::Format_ARGB32_Premultiplied);
            image.fill(view.viewport()->palette().color(view.viewport()->backgroundRole()));
            return image;
        };
        QImage byStyle = canvas();
        {
            QPainter painter(&byStyle);
            QStyledItemDelegate().paint(&painter, option, model.index(0));
        }
        QImage ours = canvas();
        bool painted = false;
        {
            QPainter painter(&ours);
            QStyleOptionViewItem withText = option;
            withText.text = text;
            withText.features |= QStyleOptionViewItem::HasDisplay;
            painted = vcq::paintPlainRow(&painter, withText, &view);
        }
        QCOMPARE(painted, drawn);
        QCOMPARE(byStyle == canvas(), text.isEmpty()); // there is something to compare
        if (painted)
            QCOMPARE(ours, byStyle);
        else
            QCOMPARE(ours, canvas()); // left untouched for the style to draw
    }

    // The list as shown: a page of rows drawn the first time, then again from
    // the pictures kept of them, with the focused row among them.
    void theListLooksAsTheDelegateDrawsIt()
    {
        QStringList names;
        for (int i = 0; i < 40; ++i)
            names << QStringLiteral("Côté Émilie %1").arg(i) << QStringLiteral("AVATAR Wave");
        names << QStringLiteral("Desjardins-Castonguay Marie-Élisabeth de la Montagne");
        QStringListModel model(names);
        const auto shown = [&](QAbstractItemDelegate *delegate) {
            View view;
            if (delegate != nullptr)
                view.setItemDelegate(delegate);
            view.setModel(&model);
            view.resize(180, 12 * view.rowHeight());
            view.show();
            view.setFocus();
            view.setCurrentIndex(model.index(72));
            view.scrollTo(model.index(70), QAbstractItemView::PositionAtTop);
            const QImage first = view.viewport()->grab().toImage();
            view.scrollTo(model.index(0), QAbstractItemView::PositionAtTop);
            view.viewport()->grab();
            view.scrollTo(model.index(70), QAbstractItemView::PositionAtTop);
            // The same rows again, now from the pictures kept of them.
            return std::pair(first, view.viewport()->grab().toImage());
        };
        OtherDelegate other;
        const auto ours = shown(nullptr), byDelegate = shown(&other);
        QCOMPARE(ours.first, byDelegate.first);
        QCOMPARE(ours.second, byDelegate.second);
    }
};

QTEST_MAIN(TestPlainRowPainter)
#include "tst_plain_row_painter.moc"
