// SPDX-License-Identifier: GPL-3.0-or-later
// The link label and the About box, as a user clicks them.
#include "settings/tfrm_about.h"
#include "settings/url_label.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using vcq::TfrmAbout;
using vcq::TUrlLabel;

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void clickOpens_data();
    void clickOpens();
    void copyPutsTheCaption();
    void pointingHand();
    void aboutBox_data();
    void aboutBox();
};

void TestAbout::clickOpens_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("opened");

    QTest::newRow("URL") << "Our site"
                         << "http://www.vellora.example/"
                         << QStringList{"http://www.vellora.example/"};
    QTest::newRow("URL with blanks kept")
        << "x"
        << "  http://a.example/ " << QStringList{"  http://a.example/ "};
    QTest::newRow("empty URL: the caption") << "http://b.example/"
                                            << "" << QStringList{"http://b.example/"};
    QTest::newRow("blank URL: the caption") << " http://c.example/"
                                            << "   " << QStringList{" http://c.example/"};
    QTest::newRow("both blank: nothing") << "  "
                                         << " " << QStringList{};
}

void TestAbout::clickOpens()
{
    QFETCH(QString, caption);
    QFETCH(QString, url);
    QFETCH(QStringList, opened);
    TUrlLabel label;
    label.setText(caption);
    label.URL = url;
    label.resize(150, 20);
    QStringList got;
    label.setOpener([&](const QString &target) { got << target; });
    QSignalSpy clicks(&label, &TUrlLabel::clicked);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1); // the click handler runs even when nothing opens
    QCOMPARE(got, opened);
    // A right click is no click.
    QTest::mouseClick(&label, Qt::RightButton);
    QCOMPARE(clicks.count(), 1);
}

void TestAbout::copyPutsTheCaption()
{
    TUrlLabel label;
    label.setText(QStringLiteral("Caption text"));
    label.URL = QStringLiteral("http://elsewhere.example/");
    label.resize(150, 20);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                label.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&label, &menuEvent);
    QMenu *menu = label.popupMenu();
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->actions().size(), 1);
    QAction *copy = menu->actions().first();
    QCOMPARE(copy->text(), QStringLiteral("Copy"));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(copy).center());
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Caption text"));
}

void TestAbout::pointingHand()
{
    TUrlLabel label;
    QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
}

void TestAbout::aboutBox_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");

    QTest::newRow("French") << 1 << "A propos de Vellora Carnetique 97";
    QTest::newRow("English") << 0 << "About Vellora Carnetique 97";
    QTest::newRow("unknown code") << -1 << "About Vellora Carnetique 97";
}

void TestAbout::aboutBox()
{
    QFETCH(int, language);
    QFETCH(QString, caption);
    QWidget main;
    main.setFixedSize(633, 455);
    main.move(-40, 15);
    TfrmAbout about(vcq::languageFromCode(language), &main);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.windowTitle(), caption);
    QCOMPARE(about.size(), QSize(338, 254));
    const QRect outer = main.frameGeometry();
    const QSize own = about.frameGeometry().size();
    QCOMPARE(about.pos(), QPoint(outer.x() + outer.width() / 2 - own.width() / 2,
                                 outer.y() + outer.height() / 2 - own.height() / 2));
    QVERIFY(!about.Image1->pixmap().isNull());

    // The texts other than the caption are the same in both languages.
    QCOMPARE(about.Label8->text(), QStringLiteral("Version 1.0 Beta 3"));
    QCOMPARE(about.Label4->text(), QStringLiteral("Programmed by "));
    QVERIFY(!about.Label5->text().isEmpty());
    QVERIFY(!about.Label1->text().isEmpty());

    // The link goes to an address of ours on a reserved example domain.
    QStringList opened;
    about.UrlLabel1->setOpener([&](const QString &target) { opened << target; });
    QTest::mouseClick(about.UrlLabel1, Qt::LeftButton);
    QCOMPARE(opened, QStringList{about.UrlLabel1->text()});
    QVERIFY(opened.first().contains(QStringLiteral(".example")));

    QTest::mouseClick(about.Button1, Qt::LeftButton);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
