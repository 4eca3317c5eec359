// SPDX-License-Identifier: GPL-3.0-or-later
// The flow printer and its block markup against the recording canvas: data
// items are 80 pixels high, labels 90, the line unit is 10.
#include "print/flow_printer.h"
#include "print/recording_canvas.h"

#include <QTest>

using namespace vcq::print;
using Kind = CanvasOp::Kind;

namespace
{

std::vector<std::string> drawnTexts(const RecordingCanvas &canvas)
{
    std::vector<std::string> texts;
    for (const CanvasOp &op : canvas.ops(Kind::Text))
        texts.push_back(op.text);
    return texts;
}

std::vector<int> drawnYs(const RecordingCanvas &canvas)
{
    std::vector<int> ys;
    for (const CanvasOp &op : canvas.ops(Kind::Text))
        ys.push_back(op.y);
    return ys;
}

} // namespace

class TestFlowPrinter : public QObject
{
    Q_OBJECT

private slots:
    void beginJobSetsFontsTitleAndUnit()
    {
        RecordingCanvas canvas;
        FlowPrinter flow(canvas);
        QVERIFY(flow.PrintBeginJob("A title that is much longer than thirty-one characters"));
        QCOMPARE(flow.LineUnit(), 10); // bold 8 points "W" is 80 high
        const auto &ops = canvas.ops();
        QCOMPARE(ops.size(), size_t(2));
        QCOMPARE(ops[0].kind, Kind::Title);
        QCOMPARE(ops[0].text, std::string("A title that is much longer tha"));
        QCOMPARE(ops[1].kind, Kind::BeginJob);

        flow.PrintData("d", 1, 5);
        flow.PrintLabel("l", 1, 7);
        const auto texts = canvas.ops(Kind::Text);
        QCOMPARE(texts[0].font, (FontSpec{"MS Sans Serif", 8, false, kBlack}));
        QCOMPARE(texts[0].x, 5);
        QCOMPARE(texts[1].font, (FontSpec{"MS Sans Serif", 9, true, kBlack}));
        QCOMPARE(texts[1].y, 90); // 80 + 1 x 10
        QVERIFY(flow.PrintEndJob());
        QCOMPARE(canvas.ops().back().kind, Kind::EndJob);
    }

    void cursorMoves_data()
    {
        QTest::addColumn<bool>("label");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("expectedY");
        QTest::newRow("data L=0 stays") << false << 0 << 0;
        QTest::newRow("data L=1") << false << 1 << 90;
        QTest::newRow("data L=3") << false << 3 << 110;
        QTest::newRow("empty label L=4") << true << 4 << 130;
    }
    void cursorMoves()
    {
        QFETCH(bool, label);
        QFETCH(int, lineCount);
        QFETCH(int, expectedY);
        RecordingCanvas canvas;
        FlowPrinter flow(canvas);
        flow.PrintBeginJob("t");
        if (label)
            flow.PrintLabel("", lineCount, 0);
        else
            flow.PrintData("x", lineCount, 0);
        QCOMPARE(flow.CurY(), expectedY);
        flow.PrintData("next", 1, 300);
        QCOMPARE(canvas.ops(Kind::Text).back().y, expectedY);
        QCOMPARE(canvas.ops(Kind::Text).back().x, 300);
    }

    // The second data item spans 90..170.
    void pageBreakAtExactFit_data()
    {
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<int>("secondY");
        QTest::addColumn<int>("pages");
        QTest::newRow("ends exactly at the bottom") << 170 << 90 << 1;
        QTest::newRow("one pixel too far") << 169 << 0 << 2;
        QTest::newRow("room to spare") << 500 << 90 << 1;
    }
    void pageBreakAtExactFit()
    {
        QFETCH(int, pageHeight);
        QFETCH(int, secondY);
        QFETCH(int, pages);
        RecordingCanvas canvas(pageHeight);
        FlowPrinter flow(canvas);
        flow.PrintBeginJob("t");
        flow.PrintData("first", 1, 0);
        flow.PrintData("second", 1, 0);
        QCOMPARE(drawnYs(canvas), (std::vector<int>{0, secondY}));
        QCOMPARE(canvas.pageCount(), pages);
        QCOMPARE(flow.CurY(), secondY + 90);
    }

    void ordinaryMarkupIsExact()
    {
        RecordingCanvas canvas;
        FlowPrinter flow(canvas);
        flow.PrintBeginJob("t");
        flow.BeginBlock();
        flow.PrintData("Acme", 1, 0);
        flow.PrintLabel("Smith John", -2, -5);
        QCOMPARE(flow.BlockBuffer(), std::string("<DATA>L=1X=0STR=Acme</DATA>"
                                                 "<LABEL>L=-2X=-5STR=Smith John</LABEL>"));
        QVERIFY(canvas.ops(Kind::Text).empty());
        flow.EndBlock();
        QCOMPARE(drawnTexts(canvas), (std::vector<std::string>{"Acme", "Smith John"}));
        QVERIFY(flow.BlockBuffer().empty());
        QVERIFY(!flow.Buffering());
    }

    void hostileTextsReplayUnchanged_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("gt") << QByteArray(">");
        QTest::newRow("equals") << QByteArray("a=b=");
        QTest::newRow("lt") << QByteArray("<");
        QTest::newRow("double lt") << QByteArray("<<x<");
        QTest::newRow("data open") << QByteArray("<DATA>");
        QTest::newRow("data close") << QByteArray("</DATA>");
        QTest::newRow("label close") << QByteArray("</LABEL>");
        QTest::newRow("fake fields") << QByteArray("L=9X=9STR=</DATA><LABEL>L=1X=1STR=z");
        QTest::newRow("ends in lt") << QByteArray("x<");
        QTest::newRow("bytes") << QByteArray("\x00\x01\xe9\xff", 4);
    }
    void hostileTextsReplayUnchanged()
    {
        QFETCH(QByteArray, text);
        const std::string s(text.constData(), size_t(text.size()));
        RecordingCanvas canvas;
        FlowPrinter flow(canvas);
        flow.PrintBeginJob("t");
        flow.BeginBlock();
        flow.PrintData(s, 1, 3);
        flow.PrintLabel(s, 0, 4);
        flow.PrintData("after", 1, 0);
        flow.EndBlock();
        QCOMPARE(drawnTexts(canvas), (std::vector<std::string>{s, s, "after"}));
        const auto ops = canvas.ops(Kind::Text);
        QCOMPARE(ops[0].font.bold, false);
        QCOMPARE(ops[1].font.bold, true);
        QCOMPARE(ops[1].x, 4);
        QCOMPARE(ops[1].y, 90);
        QCOMPARE(ops[2].y, 90);
    }

    void malformedMarkupIsRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("no closing tag") << QByteArray("L=1X=0STR=abc");
        QTest::newRow("lone lt") << QByteArray("L=1X=0STR=a<b</DATA>");
        QTest::newRow("bad number") << QByteArray("L=xX=0STR=a</DATA>");
        QTest::newRow("missing X") << QByteArray("L=1STR=a</DATA>");
        QTest::newRow("wrong closing tag") << QByteArray("L=1X=0STR=a</LABEL>");
    }
    void malformedMarkupIsRefused()
    {
        QFETCH(QByteArray, body);
        const std::string buffer = "<DATA>" + body.toStdString();
        ItemReader reader(buffer);
        const auto tag = reader.takeTag();
        QVERIFY(tag.has_value());
        QCOMPARE(*tag, std::string_view("<DATA>"));
        QVERIFY(!reader.takeBody(*tag).has_value());
    }

    void blockThatFitsIsDrawnWhereMeasured()
    {
        RecordingCanvas canvas(1000);
        FlowPrinter flow(canvas);
        flow.PrintBeginJob("t");
        flow.PrintData("loose", 1, 0); // to 90
        flow.BeginBlock();
        flow.PrintLabel("A", 3, 0);  // 90..180, cursor to 210
        flow.PrintData("one", 1, 0); // 210..290, cursor to 300
        flow.EndBlock();
        QCOMPARE(drawnYs(canvas), (std::vector<int>{0, 90, 210}));
        QCOMPARE(flow.CurY(), 300);
        QCOMPARE(canvas.pageCount(), 1);
    }

    // Page 300 high: the loose item fills 0..90, the block needs 90..390.
    void blockMovesWholeToNextPage_data()
    {
        QTest::addColumn<int>("blockStart");
        QTest::addColumn<int>("pages");
        QTest::newRow("first item does not fit") << 260 << 2;
        QTest::newRow("breaks in the middle") << 90 << 2;
    }
    void blockMovesWholeToNextPage()
    {
        QFETCH(int, blockStart);
        QFETCH(int, pages);
        RecordingCanvas canvas(300);
        FlowPrinter flow(canvas);
        flow.PrintBeginJob("t");
        flow.PrintData("loose", blockStart == 90 ? 1 : 18, 0);
        QCOMPARE(flow.CurY(), blockStart);
        flow.BeginBlock();
        flow.PrintData("a", 1, 0);
        flow.PrintData("b", 1, 0);
        flow.PrintData("c", 1, 0);
        flow.EndBlock();
        QCOMPARE(drawnTexts(canvas), (std::vector<std::string>{"loose", "a", "b", "c"}));
        QCOMPARE(drawnYs(canvas), (std::vector<int>{0, 0, 90, 180}));
        QCOMPARE(canvas.pageCount(), pages);
        // The new page comes before any of the block is drawn.
        const auto &ops = canvas.ops();
        const auto page = std::find_if(ops.begin(), ops.end(),
                                       [](const CanvasOp &op) { return op.kind == Kind::NewPage; });
        QVERIFY(page != ops.end());
        QCOMPARE((page + 1)->text, std::string("a"));
    }

    void failedPageAbortsTheJob()
    {
        RecordingCanvas canvas(100);
        canvas.failNewPage(1);
        FlowPrinter flow(canvas);
        QVERIFY(flow.PrintBeginJob("t"));
        flow.PrintData("a", 1, 0);
        flow.PrintData("b", 1, 0); // needs a new page, which fails
        flow.PrintData("c", 1, 0);
        QVERIFY(flow.failed());
        QVERIFY(!flow.PrintEndJob());
        QCOMPARE(drawnTexts(canvas), (std::vector<std::string>{"a"}));
        QCOMPARE(canvas.ops().back().kind, Kind::AbortJob);
        QVERIFY(canvas.ops(Kind::EndJob).empty());
    }

    void failedBeginStartsNothing()
    {
        RecordingCanvas canvas;
        canvas.failBeginJob(1);
        FlowPrinter flow(canvas);
        QVERIFY(!flow.PrintBeginJob("t"));
        flow.PrintData("a", 1, 0);
        QVERIFY(!flow.PrintEndJob());
        QVERIFY(canvas.ops(Kind::Text).empty());
        QVERIFY(canvas.ops(Kind::AbortJob).empty());
        QVERIFY(canvas.ops(Kind::EndJob).empty());
    }
};

QTEST_APPLESS_MAIN(TestFlowPrinter)
#include "tst_flow_printer.moc"
