// SPDX-License-Identifier: GPL-3.0-or-later
// The Page List against the recording canvas: data items 80 high, labels
// 90, the line unit 10; a heading takes 120, a line 90, the spacer 130.
#include "print/page_list.h"
#include "print_test_util.h"

#include <QTest>

using namespace vcq;
using namespace vcq::print;
using namespace vcq::print::test;
using Kind = CanvasOp::Kind;

class TestPageList : public QObject
{
    Q_OBJECT

private slots:
    void oneFullContact()
    {
        ContactList list;
        addContact(list, {{Field::LastName, "smith"},
                          {Field::FirstName, "John"},
                          {Field::Organisation, "Acme"},
                          {Field::Address1, "1 Main St"},
                          {Field::City, "Montreal"},
                          {Field::Zip, "H2X 1Y4"},
                          {Field::State, "QC"},
                          {Field::Country, "Canada"},
                          {Field::Phone1, "111"},
                          {Field::Phone2, "222"},
                          {Field::Cell, "333"},
                          {Field::Phone3, "444"},
                          {Field::Email, "j@acme"},
                          {Field::Comment, "never printed"},
                          {Field::Birth, "01-02-03"},
                          {Field::Status, "Friend"}});
        RecordingCanvas canvas;
        QCOMPARE(PrintPageList(canvas, list), PrintResult::Printed);
        const std::vector<std::string> expected = {
            "title 0,0 \"Vellora Carnetique 97\" [MS Sans Serif 8 bold]",
            "begin 0,0 [MS Sans Serif 8 bold]",
            "text 0,0 \"S\" [MS Sans Serif 9 bold]",
            "text 0,120 \"smith John\" [MS Sans Serif 9 bold]",
            "text 0,220 \"Acme\" [MS Sans Serif 8]",
            "text 0,310 \"1 Main St\" [MS Sans Serif 8]",
            "text 0,400 \"Montreal H2X 1Y4\" [MS Sans Serif 8]",
            "text 0,490 \"QC Canada\" [MS Sans Serif 8]",
            "text 0,580 \"111\" [MS Sans Serif 8]",
            "text 0,670 \"222\" [MS Sans Serif 8]",
            "text 0,760 \"333\" [MS Sans Serif 8]",
            "text 0,850 \"444\" [MS Sans Serif 8]",
            "text 0,940 \"j@acme\" [MS Sans Serif 8]",
            "text 0,1030 \"\" [MS Sans Serif 9 bold]",
            "end 0,0 [MS Sans Serif 9 bold]",
        };
        QCOMPARE(described(canvas.ops()), expected);
    }

    void emptyAndBlankFields_data()
    {
        QTest::addColumn<QString>("organisation");
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("zip");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("all empty") << ""
                                   << ""
                                   << ""
                                   << "" << QStringList{};
        QTest::newRow("blank city") << ""
                                    << "   "
                                    << ""
                                    << "" << QStringList{};
        QTest::newRow("blank organisation") << "  "
                                            << ""
                                            << ""
                                            << "" << QStringList{"  "};
        QTest::newRow("zip only") << ""
                                  << ""
                                  << " H2X "
                                  << "" << QStringList{"H2X"};
        QTest::newRow("city padded") << ""
                                     << " Laval "
                                     << ""
                                     << "QC" << QStringList{"Laval", "QC"};
        QTest::newRow("control bytes") << ""
                                       << "\t\x01"
                                       << "\x1f"
                                       << "" << QStringList{};
    }
    void emptyAndBlankFields()
    {
        QFETCH(QString, organisation);
        QFETCH(QString, city);
        QFETCH(QString, zip);
        QFETCH(QString, state);
        QFETCH(QStringList, lines);
        ContactList list;
        addContact(list, {{Field::LastName, "Lee"},
                          {Field::Organisation, organisation.toStdString()},
                          {Field::City, city.toStdString()},
                          {Field::Zip, zip.toStdString()},
                          {Field::State, state.toStdString()}});
        RecordingCanvas canvas;
        PrintPageList(canvas, list);
        QStringList data;
        for (const CanvasOp &op : canvas.ops(Kind::Text))
            if (!op.font.bold)
                data << QString::fromStdString(op.text);
        QCOMPARE(data, lines);
    }

    void headings_data()
    {
        QTest::addColumn<QByteArrayList>("names");
        QTest::addColumn<QByteArrayList>("headings");
        QTest::newRow("s after S continues")
            << QByteArrayList{"Smith", "Stone", "sanders"} << QByteArrayList{"S"};
        QTest::newRow("s after T repeats S")
            << QByteArrayList{"Smith", "Taylor", "sanders"} << QByteArrayList{"S", "T", "S"};
        QTest::newRow("only a-z raised")
            << QByteArrayList{"\xe9tienne", "Zed"} << QByteArrayList{"Z", "\xe9"};
        QTest::newRow("digits") << QByteArrayList{"3M", "Abe"} << QByteArrayList{"3", "A"};
    }
    void headings()
    {
        QFETCH(QByteArrayList, names);
        QFETCH(QByteArrayList, headings);
        ContactList list;
        for (const QByteArray &n : names)
            addPerson(list, n.toStdString());
        RecordingCanvas canvas;
        PrintPageList(canvas, list);
        QByteArrayList drawn;
        for (const CanvasOp &op : canvas.ops(Kind::Text))
            if (op.font.bold && op.text.size() == 1)
                drawn << QByteArray(op.text.data(), 1);
        QCOMPARE(drawn, headings);
    }

    // "Adams" takes 120 + 100 + 130 = 350 with its heading; "Ames" then
    // needs 350..440 for its name and 450..540 for its spacer.
    void blocksMoveWholeToTheNextPage_data()
    {
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<int>("newPages");
        QTest::addColumn<std::vector<int>>("nameYs");
        QTest::newRow("both fit") << 560 << 0 << std::vector<int>{120, 350};
        QTest::newRow("second name line does not fit") << 400 << 1 << std::vector<int>{120, 0};
        QTest::newRow("second spacer does not fit") << 539 << 1 << std::vector<int>{120, 0};
        QTest::newRow("exact fit of the spacer") << 540 << 0 << std::vector<int>{120, 350};
    }
    void blocksMoveWholeToTheNextPage()
    {
        QFETCH(int, pageHeight);
        QFETCH(int, newPages);
        QFETCH(std::vector<int>, nameYs);
        ContactList list;
        addPerson(list, "Adams", "A");
        addPerson(list, "Ames", "B");
        RecordingCanvas canvas(pageHeight);
        QCOMPARE(PrintPageList(canvas, list), PrintResult::Printed);
        QCOMPARE(int(canvas.ops(Kind::NewPage).size()), newPages);
        std::vector<int> ys;
        for (const CanvasOp &op : canvas.ops(Kind::Text))
            if (op.text.starts_with("A"))
                ys.push_back(op.y);
        QCOMPARE(ys, (std::vector<int>{0, nameYs[0], nameYs[1]}));
        // Nothing of the second block is drawn before the page break.
        bool afterBreak = newPages == 0;
        for (const CanvasOp &op : canvas.ops()) {
            afterBreak = afterBreak || op.kind == Kind::NewPage;
            if (op.text == "Ames B")
                QVERIFY(afterBreak);
        }
    }

    void hostileFieldsPrintUnchanged()
    {
        ContactList list;
        addContact(list, {{Field::LastName, "</LABEL>"},
                          {Field::FirstName, "<DATA>"},
                          {Field::Organisation, "</DATA>L=1X=2STR=<"},
                          {Field::Address1, "a=b>c"}});
        RecordingCanvas canvas;
        PrintPageList(canvas, list);
        QCOMPARE(texts(canvas), (std::vector<std::string>{"<", "</LABEL> <DATA>",
                                                          "</DATA>L=1X=2STR=<", "a=b>c", ""}));
    }

    void emptyListStartsNoJob()
    {
        ContactList list;
        RecordingCanvas canvas;
        QCOMPARE(PrintPageList(canvas, list), PrintResult::NothingToPrint);
        QVERIFY(canvas.ops().empty());
    }

    void failedPageAbortsTheJob()
    {
        ContactList list;
        for (int i = 0; i < 20; ++i)
            addPerson(list, "P" + std::to_string(i));
        RecordingCanvas canvas(1000);
        canvas.failNewPage(2);
        QCOMPARE(PrintPageList(canvas, list), PrintResult::Failed);
        QCOMPARE(canvas.ops().back().kind, Kind::AbortJob);
        QVERIFY(canvas.ops(Kind::EndJob).empty());
    }
};

QTEST_APPLESS_MAIN(TestPageList)
#include "tst_page_list.moc"
