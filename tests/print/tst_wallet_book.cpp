// SPDX-License-Identifier: GPL-3.0-or-later
// The Wallet Book against the recording canvas: H = 80, W = 48, so a panel
// is 1368 wide, a card 2160 high at a pitch of 2240, U = 1978, and a panel
// holds one index box and 18 one-line entries (100 pixels each).
#include "print/wallet_book.h"
#include "print_test_util.h"

#include <QTest>
#include <algorithm>

using namespace vcq;
using namespace vcq::print;
using namespace vcq::print::test;
using Kind = CanvasOp::Kind;

namespace
{

// Contacts "A0001", "A0002", ... all under one initial: 18 fill panel 1,
// each later panel takes 19.
ContactList sameInitial(int count)
{
    ContactList list;
    for (int i = 1; i <= count; ++i)
        addPerson(list, "A" + std::to_string(1000 + i));
    return list;
}

int contactsForPanels(int panels)
{
    return panels == 1 ? 1 : 18 + 19 * (panels - 2) + 1;
}

std::vector<std::string> pageLabels(const RecordingCanvas &canvas)
{
    std::vector<std::string> out;
    for (const std::string &t : texts(canvas))
        if (t.starts_with("Page "))
            out.push_back(t);
    return out;
}

std::vector<CanvasOp> filledBoxes(const RecordingCanvas &canvas)
{
    std::vector<CanvasOp> out;
    for (const CanvasOp &op : canvas.ops(Kind::Rectangle))
        if (op.brush.color == kBlack)
            out.push_back(op);
    return out;
}

} // namespace

class TestWalletBook : public QObject
{
    Q_OBJECT

private slots:
    void measuresOfTheExample()
    {
        const WalletMeasures m = walletMeasures(80, 48, 6400);
        QCOMPARE(m, (WalletMeasures{80, 48, 20, 91, 1368, 1978, 2, 2160, 2240}));
    }

    void cardsPerPage_data()
    {
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<int>("R");
        QTest::newRow("example") << 6400 << 2;
        QTest::newRow("exactly one pitch") << 2240 << 1;
        QTest::newRow("shorter than a card") << 1000 << 1;
        QTest::newRow("exactly three") << 6720 << 3;
    }
    void cardsPerPage()
    {
        QFETCH(int, pageHeight);
        QFETCH(int, R);
        QCOMPARE(walletMeasures(80, 48, pageHeight).R, R);
    }

    void oneContactExactly()
    {
        ContactList list;
        addContact(
            list,
            {{Field::LastName, "Smith"}, {Field::FirstName, "John"}, {Field::Phone1, "555-1234"}});
        RecordingCanvas canvas;
        QCOMPARE(PrintWalletBook(canvas, list), PrintResult::Printed);
        const std::vector<std::string> expected = {
            "title 0,0 \"Vellora Carnetique 97\" [MS Sans Serif 8]",
            "begin 0,0 [MS Sans Serif 8]",
            "rect 0,0 2736,2160 [MS Sans Serif 8]",
            "moveto 1368,0 [MS Sans Serif 8]",
            "lineto 1368,2160 [MS Sans Serif 8]",
            // panel 1 on the left: index box, entry, label
            "rect 513,91 855,171 [MS Sans Serif 8] filled",
            "text 660,91 \"S\" [MS Sans Serif 8 white]",
            "text 48,191 \"Smith John\" [MS Sans Serif 8]",
            "text 792,191 \"555-1234\" [MS Sans Serif 8]",
            "text 1224,191 \"(\" [Wingdings 8]",
            "text 48,2078 \"Page 1\" [MS Sans Serif 8 bold]",
            // panel 2 on the right: blank, labelled
            "text 2400,2078 \"Page 2\" [MS Sans Serif 8 bold]",
            "end 0,0 [MS Sans Serif 8]",
        };
        QCOMPARE(described(canvas.ops()), expected);
        QCOMPARE(list.head()->PrintPanel, 1);
        QCOMPARE(list.head()->PrintHeight, 100);
    }

    void entryLines_data()
    {
        QTest::addColumn<QString>("phone1");
        QTest::addColumn<QString>("phone2");
        QTest::addColumn<QString>("email");
        QTest::addColumn<int>("height");
        QTest::addColumn<QStringList>("symbols");
        QTest::newRow("empty home phone") << ""
                                          << ""
                                          << "" << 100 << QStringList{"("};
        QTest::newRow("office") << "1"
                                << "2"
                                << "" << 180 << QStringList{"(", ")"};
        QTest::newRow("email") << "1"
                               << ""
                               << "a@b" << 180 << QStringList{"(", "."};
        QTest::newRow("all") << "1"
                             << "2"
                             << "a@b" << 260 << QStringList{"(", ")", "."};
        QTest::newRow("blank office") << "1"
                                      << " "
                                      << "" << 180 << QStringList{"(", ")"};
    }
    void entryLines()
    {
        QFETCH(QString, phone1);
        QFETCH(QString, phone2);
        QFETCH(QString, email);
        QFETCH(int, height);
        QFETCH(QStringList, symbols);
        ContactList list;
        addContact(list, {{Field::LastName, "Lee"},
                          {Field::Phone1, phone1.toStdString()},
                          {Field::Phone2, phone2.toStdString()},
                          {Field::Email, email.toStdString()}});
        RecordingCanvas canvas;
        PrintWalletBook(canvas, list);
        QCOMPARE(list.head()->PrintHeight, height);
        QStringList drawn;
        int y = 191;
        for (const CanvasOp &op : canvas.ops(Kind::Text)) {
            if (op.font.name != "Wingdings")
                continue;
            drawn << QString::fromStdString(op.text);
            QCOMPARE(op.y, y); // one line each, under the name line
            y += 80;
        }
        QCOMPARE(drawn, symbols);
    }

    void panelNumbering_data()
    {
        QTest::addColumn<int>("panels");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("1 panel") << 1 << QStringList{"Page 1", "Page 2"};
        QTest::newRow("2 panels") << 2 << QStringList{"Page 1", "Page 2"};
        QTest::newRow("3 panels") << 3 << QStringList{"Page 1", "Page 4", "Page 2", "Page 3"};
        QTest::newRow("7 panels") << 7 << QStringList{"Page 1", "Page 8", "Page 2", "Page 7",
                                                      "Page 3", "Page 6", "Page 4", "Page 5"};
    }
    void panelNumbering()
    {
        QFETCH(int, panels);
        QFETCH(QStringList, labels);
        const ContactList list = sameInitial(contactsForPanels(panels));
        RecordingCanvas canvas;
        PrintWalletBook(canvas, list);
        QStringList drawn;
        for (const std::string &l : pageLabels(canvas))
            drawn << QString::fromStdString(l);
        QCOMPARE(drawn, labels);
        QCOMPARE(std::prev(list.end())->PrintPanel, panels);
        // A continuing group gets no second index box.
        QCOMPARE(filledBoxes(canvas).size(), size_t(1));
    }

    void panelsFollowTheBooklet()
    {
        // Three panels: card 1 holds panels 1 and 4 (blank), card 2 panels 2 and 3.
        const ContactList list = sameInitial(contactsForPanels(3));
        RecordingCanvas canvas;
        PrintWalletBook(canvas, list);
        std::vector<std::string> right; // names drawn in right panels, by card top
        for (const CanvasOp &op : canvas.ops(Kind::Text))
            if (op.x == 1368 + 96)
                right.push_back(std::to_string(op.y / 2240) + ':' + op.text);
        QCOMPARE(right, (std::vector<std::string>{"1:A1038 "}));
    }

    void groupStartsAtTopOfRightPanel()
    {
        // 18 "A" entries fill panel 1; the "B" box does not fit and opens panel 2.
        ContactList list = sameInitial(18);
        addPerson(list, "Brown");
        RecordingCanvas canvas;
        PrintWalletBook(canvas, list);
        const auto boxes = filledBoxes(canvas);
        QCOMPARE(boxes.size(), size_t(2));
        QCOMPARE(describe(boxes[1]), std::string("rect 1881,91 2223,171 [MS Sans Serif 8] filled"));
        const auto ops = canvas.ops(Kind::Text);
        const auto brown = std::find_if(ops.begin(), ops.end(),
                                        [](const CanvasOp &op) { return op.text == "Brown "; });
        QVERIFY(brown != ops.end());
        QCOMPARE(brown->x, 1368 + 96);
        QCOMPARE(brown->y, 191);
        QCOMPARE(std::prev(brown)->text, std::string("B"));
        QCOMPARE(std::prev(brown)->x, 1368 + 660);
    }

    // A group's box fits at the end of a panel but its first entry does
    // not: the next panel draws the box again, and nothing may run past
    // the panel's bottom margin.
    void boxAtPanelEndNeverOverflows()
    {
        ContactList list = sameInitial(17); // box + 17 entries = 1800
        addContact(list, {{Field::LastName, "B0"}, {Field::Phone2, "2"}, {Field::Email, "e"}});
        for (int i = 1; i <= 17; ++i)
            addPerson(list, "B" + std::to_string(i + 10));
        RecordingCanvas canvas;
        PrintWalletBook(canvas, list);
        for (const CanvasOp &op : canvas.ops(Kind::Text)) {
            if (op.text.starts_with("Page "))
                continue;
            const int top = (op.y / 2240) * 2240;
            QVERIFY2(op.y + 80 <= top + 2160 - 91, describe(op).c_str());
        }
        // The "B" box is drawn once, above its first entry at the top of
        // panel 2, the left side of card 2.
        const auto boxes = filledBoxes(canvas);
        QCOMPARE(boxes.size(), size_t(2));
        QCOMPARE(boxes[1].x, 513);
        QCOMPARE(boxes[1].y, 2240 + 91);
        QCOMPARE(std::prev(list.end())->PrintPanel, 3);
    }

    void upperAndLowerInitials()
    {
        ContactList list;
        addPerson(list, "Smith", "Ann");
        addPerson(list, "Stone");
        addPerson(list, "sanders");
        RecordingCanvas canvas;
        PrintWalletBook(canvas, list);
        std::vector<std::string> initials;
        for (const CanvasOp &op : canvas.ops(Kind::Text))
            if (op.font.color == kWhite)
                initials.push_back(op.text);
        QCOMPARE(initials, (std::vector<std::string>{"S", "s"}));
        QCOMPARE(filledBoxes(canvas).size(), size_t(2));
    }

    void pageBreaks_data()
    {
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<int>("panels");
        QTest::addColumn<std::vector<int>>("frameTops");
        QTest::addColumn<int>("newPages");
        QTest::newRow("R=2, 5 cards") << 6400 << 10 << std::vector<int>{0, 2240, 0, 2240, 0} << 2;
        QTest::newRow("R=1, 3 cards") << 2240 << 6 << std::vector<int>{0, 0, 0} << 2;
        QTest::newRow("too short, 2 cards") << 1500 << 3 << std::vector<int>{0, 0} << 1;
        QTest::newRow("R=2, 2 cards") << 6400 << 4 << std::vector<int>{0, 2240} << 0;
    }
    void pageBreaks()
    {
        QFETCH(int, pageHeight);
        QFETCH(int, panels);
        QFETCH(std::vector<int>, frameTops);
        QFETCH(int, newPages);
        const ContactList list = sameInitial(contactsForPanels(panels));
        RecordingCanvas canvas(pageHeight);
        QCOMPARE(PrintWalletBook(canvas, list), PrintResult::Printed);
        std::vector<int> tops;
        for (const CanvasOp &op : canvas.ops(Kind::Rectangle))
            if (op.brush.color == kWhite)
                tops.push_back(op.y);
        QCOMPARE(tops, frameTops);
        QCOMPARE(int(canvas.ops(Kind::NewPage).size()), newPages);
        // Each new page comes right before a card's frame at the top.
        const auto &ops = canvas.ops();
        for (std::size_t i = 0; i + 1 < ops.size(); ++i) {
            if (ops[i].kind != Kind::NewPage)
                continue;
            QCOMPARE(ops[i + 1].kind, Kind::Rectangle);
            QCOMPARE(ops[i + 1].y, 0);
        }
    }

    void pageLabelsNeedFourteenPixels_data()
    {
        QTest::addColumn<int>("H");
        QTest::addColumn<int>("labels");
        QTest::newRow("H = 13") << 13 << 0;
        QTest::newRow("H = 14") << 14 << 2;
        QTest::newRow("H = 80") << 80 << 2;
    }
    void pageLabelsNeedFourteenPixels()
    {
        QFETCH(int, H);
        QFETCH(int, labels);
        ContactList list;
        addPerson(list, "Lee");
        RecordingCanvas canvas(6400, H);
        PrintWalletBook(canvas, list);
        QCOMPARE(int(pageLabels(canvas).size()), labels);
        for (const CanvasOp &op : canvas.ops(Kind::Text))
            QVERIFY(!op.font.bold || op.text.starts_with("Page "));
    }

    void startsFromTheDefaultFont()
    {
        ContactList list;
        addPerson(list, "Lee");
        RecordingCanvas canvas;
        canvas.setFont(FontSpec{"MS Sans Serif", 9, true, kBlack}); // as a Page List leaves it
        canvas.setTitle("something else");
        PrintWalletBook(canvas, list);
        const auto frame = canvas.ops(Kind::Rectangle).front();
        QCOMPARE(frame.x2, 2736);
        QCOMPARE(frame.y2, 2160);
        QCOMPARE(canvas.ops(Kind::Title).back().text, std::string("Vellora Carnetique 97"));
        QCOMPARE(canvas.ops(Kind::Text)[1].font, FontSpec{});
    }

    void emptyListPrintsNothing()
    {
        ContactList list;
        RecordingCanvas canvas;
        QCOMPARE(PrintWalletBook(canvas, list), PrintResult::NothingToPrint);
        QVERIFY(canvas.ops().empty());
    }

    void failuresAbortTheJob_data()
    {
        QTest::addColumn<bool>("failBegin");
        QTest::newRow("begin fails") << true;
        QTest::newRow("new page fails") << false;
    }
    void failuresAbortTheJob()
    {
        QFETCH(bool, failBegin);
        const ContactList list = sameInitial(contactsForPanels(4));
        RecordingCanvas canvas(2240);
        if (failBegin)
            canvas.failBeginJob(1);
        else
            canvas.failNewPage(1);
        QCOMPARE(PrintWalletBook(canvas, list), PrintResult::Failed);
        QVERIFY(canvas.ops(Kind::EndJob).empty());
        QCOMPARE(canvas.ops(Kind::AbortJob).size(), size_t(failBegin ? 0 : 1));
        QVERIFY(!canvas.inJob());
    }
};

QTEST_APPLESS_MAIN(TestWalletBook)
#include "tst_wallet_book.moc"
