// SPDX-License-Identifier: GPL-3.0-or-later
// The explorer button's window-free rules: layout arithmetic, accelerator
// markers, caption limits, grey picture, transparent colour and etched shape.
#include "widgets/explorer_caption.h"
#include "widgets/explorer_layout.h"
#include "widgets/explorer_pictures.h"

#include <QTest>

using namespace vcq;

Q_DECLARE_METATYPE(vcq::TAlignment)
Q_DECLARE_METATYPE(vcq::TExplorerButtonLayout)
Q_DECLARE_METATYPE(vcq::TExplorerButtonShadingType)

class TstExplorerLogic : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void removeMarkers_data();
    void removeMarkers();
    void captionLimits();
    void greyPicture_data();
    void greyPicture();
    void greyPictureKeepsTransparentColourAndAlpha();
    void transparentColour();
    void etchedShapeIsBlackPixelsOnly();
};

void TstExplorerLogic::layout_data()
{
    QTest::addColumn<QSize>("button");
    QTest::addColumn<QSize>("text"); // empty: no caption shown
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<TAlignment>("alignment");
    QTest::addColumn<TExplorerButtonLayout>("layout");
    // Expected tx, ty, w, h, px, py, pw.
    QTest::addColumn<QList<int>>("expected");

    const QSize cmd(61, 74);
    const QSize wide(100, 40);
    const QSize text(40, 13);
    const QSize pic(32, 32);
    const QSize small(16, 16);
    const QSize none;
    using L = QList<int>;

    QTest::newRow("top centre") << cmd << text << pic << false << false << taCenter << blBitmapTop
                                << L{10, 47, 40, 13, 14, 13, 32};
    QTest::newRow("top left") << cmd << text << pic << false << false << taLeftJustify
                              << blBitmapTop << L{3, 47, 40, 13, 3, 13, 32};
    QTest::newRow("top right") << cmd << text << pic << false << false << taRightJustify
                               << blBitmapTop << L{18, 47, 40, 13, 26, 13, 32};
    QTest::newRow("bottom centre") << cmd << text << pic << false << false << taCenter
                                   << blBitmapBottom << L{10, 13, 40, 13, 14, 28, 32};
    QTest::newRow("top centre, arrow room") << cmd << text << pic << true << false << taCenter
                                            << blBitmapTop << L{10, 47, 40, 13, 9, 13, 42};
    QTest::newRow("icon only") << cmd << none << pic << false << false << taCenter << blBitmapTop
                               << L{30, 53, 0, 0, 14, 21, 32};
    // (20 - 47) / 2 truncates toward zero: -13, not -14.
    QTest::newRow("too short, truncation")
        << QSize(61, 20) << text << pic << false << false << taCenter << blBitmapTop
        << L{10, 21, 40, 13, 14, -13, 32};
    QTest::newRow("left centre") << wide << text << small << false << false << taCenter
                                 << blBitmapLeft << L{39, 13, 40, 13, 21, 12, 16};
    QTest::newRow("left left") << wide << text << small << false << false << taLeftJustify
                               << blBitmapLeft << L{21, 13, 40, 13, 3, 12, 16};
    QTest::newRow("left right") << wide << text << small << false << false << taRightJustify
                                << blBitmapLeft << L{57, 13, 40, 13, 39, 12, 16};
    QTest::newRow("right left") << wide << text << small << false << false << taLeftJustify
                                << blBitmapRight << L{3, 13, 40, 13, 45, 12, 16};
    QTest::newRow("right right") << wide << text << small << false << false << taRightJustify
                                 << blBitmapRight << L{39, 13, 40, 13, 81, 12, 16};
    QTest::newRow("right centre") << wide << text << small << false << false << taCenter
                                  << blBitmapRight << L{21, 13, 40, 13, 63, 12, 16};
    // Side by side, the caption gives way to the picture.
    QTest::newRow("left, caption too wide")
        << QSize(50, 40) << QSize(60, 13) << small << false << false << taCenter << blBitmapLeft
        << L{20, 13, 28, 13, 2, 12, 16};
    QTest::newRow("text only centre, arrow")
        << QSize(50, 40) << QSize(30, 13) << none << true << false << taCenter << blBitmapTop
        << L{5, 13, 30, 13, 0, 0, 0};
    QTest::newRow("text only right") << QSize(50, 40) << QSize(30, 13) << none << false << false
                                     << taRightJustify << blBitmapTop << L{17, 13, 30, 13, 0, 0, 0};
    // The arrow room takes the caption's place; (50 - 56) / 2 is -3.
    QTest::newRow("text only wide, arrow, centre")
        << QSize(50, 40) << QSize(48, 13) << none << true << false << taCenter << blBitmapTop
        << L{-3, 13, 36, 13, 0, 0, 0};
    QTest::newRow("text only wide, arrow, right")
        << QSize(50, 40) << QSize(48, 13) << none << true << false << taRightJustify << blBitmapTop
        << L{-9, 13, 36, 13, 0, 0, 0};
    // A wrapped caption keeps 5 pixels from the right edge.
    QTest::newRow("wrap keeps right margin")
        << cmd << QSize(70, 26) << pic << false << true << taCenter << blBitmapTop
        << L{2, 41, 54, 26, 14, 7, 32};
    QTest::newRow("wrap, left, already inside")
        << cmd << text << pic << false << true << taLeftJustify << blBitmapTop
        << L{3, 47, 40, 13, 3, 13, 32};
    QTest::newRow("no wrap, caption clipped only to width - 4")
        << cmd << QSize(70, 13) << pic << false << false << taCenter << blBitmapTop
        << L{2, 47, 57, 13, 14, 13, 32};
}

void TstExplorerLogic::layout()
{
    QFETCH(QSize, button);
    QFETCH(QSize, text);
    QFETCH(QSize, picture);
    QFETCH(bool, mark);
    QFETCH(bool, wrap);
    QFETCH(TAlignment, alignment);
    QFETCH(TExplorerButtonLayout, layout);
    QFETCH(QList<int>, expected);

    ExplorerLayoutInput in;
    in.width = button.width();
    in.height = button.height();
    in.hasText = !text.isEmpty();
    in.textWidth = text.isEmpty() ? 0 : text.width();
    in.textHeight = text.isEmpty() ? 0 : text.height();
    in.hasPicture = !picture.isEmpty();
    in.pictureWidth = picture.isEmpty() ? 0 : picture.width();
    in.pictureHeight = picture.isEmpty() ? 0 : picture.height();
    in.markRoom = mark;
    in.wordWrap = wrap;
    in.alignment = alignment;
    in.layout = layout;

    const ExplorerLayout r = computeExplorerLayout(in);
    const QList<int> got{r.tx, r.ty, r.w, r.h, r.px, r.py, r.pw};
    QCOMPARE(got, expected);
    QCOMPARE(r.ph, in.pictureHeight);
}

void TstExplorerLogic::removeMarkers_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("plain");
    QTest::newRow("leading") << "&New"
                             << "New";
    QTest::newRow("inside") << "Im&primer"
                            << "Imprimer";
    QTest::newRow("doubled") << "R&&D"
                             << "R&D";
    QTest::newRow("doubled and marker") << "x&&y&z"
                                        << "x&yz";
    QTest::newRow("triple before letter") << "&&&x"
                                          << "&x";
    QTest::newRow("last position stays") << "a&"
                                         << "a&";
    QTest::newRow("alone") << "&"
                           << "&";
    QTest::newRow("pair only") << "&&"
                               << "&";
    QTest::newRow("pair then last") << "&&&"
                                    << "&&";
    QTest::newRow("empty") << ""
                           << "";
}

void TstExplorerLogic::removeMarkers()
{
    QFETCH(QString, caption);
    QFETCH(QString, plain);
    QCOMPARE(removeAcceleratorMarkers(caption), plain);
}

void TstExplorerLogic::captionLimits()
{
    const QString longCaption = QString(300, u'x');
    QCOMPARE(captionForDrawing(longCaption, false).size(), kMaxCaptionLength);
    const QString wrapped = captionForDrawing(longCaption, true);
    QCOMPARE(wrapped.size(), kMaxCaptionLength);
    QVERIFY(wrapped.endsWith(u' '));
    QCOMPARE(captionForDrawing(QStringLiteral("&Save"), true), QStringLiteral("&Save "));
    QCOMPARE(captionForDrawing(QStringLiteral("&Save"), false), QStringLiteral("&Save"));
}

namespace
{

const QColor kHighlight(200, 210, 220);
const QColor kShadow(90, 80, 70);

// A colour whose red + green + blue is sum.
QRgb colourOfSum(int sum)
{
    const int third = sum / 3;
    return qRgb(third, third, sum - 2 * third);
}

} // namespace

void TstExplorerLogic::greyPicture_data()
{
    QTest::addColumn<TExplorerButtonShadingType>("shading");
    QTest::addColumn<int>("sum");
    QTest::addColumn<QColor>("expected");
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    QTest::newRow("medium, mid-grey 384") << stMedium << 384 << kHighlight;
    QTest::newRow("light, mid-grey 384") << stLight << 384 << white;
    QTest::newRow("dark, mid-grey 384") << stDark << 384 << white;
    // Each threshold: the sum itself stays below, one more goes above.
    QTest::newRow("medium 553") << stMedium << 553 << kHighlight;
    QTest::newRow("medium 554") << stMedium << 554 << white;
    QTest::newRow("medium 231") << stMedium << 231 << kShadow;
    QTest::newRow("medium 232") << stMedium << 232 << kHighlight;
    QTest::newRow("medium 57") << stMedium << 57 << black;
    QTest::newRow("medium 58") << stMedium << 58 << kShadow;
    QTest::newRow("light 205") << stLight << 205 << kHighlight;
    QTest::newRow("light 206") << stLight << 206 << white;
    QTest::newRow("light 127") << stLight << 127 << kShadow;
    QTest::newRow("light 128") << stLight << 128 << kHighlight;
    QTest::newRow("light 68") << stLight << 68 << black;
    QTest::newRow("light 69") << stLight << 69 << kShadow;
    QTest::newRow("dark 335") << stDark << 335 << kHighlight;
    QTest::newRow("dark 336") << stDark << 336 << white;
    QTest::newRow("dark 274") << stDark << 274 << kShadow;
    QTest::newRow("dark 275") << stDark << 275 << kHighlight;
    QTest::newRow("dark 175") << stDark << 175 << black;
    QTest::newRow("dark 176") << stDark << 176 << kShadow;
    QTest::newRow("white 765") << stMedium << 765 << white;
}

void TstExplorerLogic::greyPicture()
{
    QFETCH(TExplorerButtonShadingType, shading);
    QFETCH(int, sum);
    QFETCH(QColor, expected);

    QImage bitmap(3, 3, QImage::Format_RGB32);
    bitmap.fill(qRgb(255, 0, 255)); // transparent colour
    bitmap.setPixel(1, 1, colourOfSum(sum));
    const QImage grey = makeGreyPicture(bitmap, shading, kHighlight, kShadow);
    QCOMPARE(QColor(grey.pixel(1, 1)), expected);
}

void TstExplorerLogic::greyPictureKeepsTransparentColourAndAlpha()
{
    QImage bitmap(4, 1, QImage::Format_ARGB32);
    bitmap.setPixel(0, 0, qRgb(0, 128, 0)); // the transparent colour
    bitmap.setPixel(1, 0, qRgb(0, 128, 0));
    bitmap.setPixel(2, 0, qRgba(255, 255, 255, 100));
    bitmap.setPixel(3, 0, qRgb(0, 129, 0));
    const QImage grey = makeGreyPicture(bitmap, stMedium, kHighlight, kShadow);
    QCOMPARE(grey.pixel(0, 0), qRgb(0, 128, 0));
    QCOMPARE(grey.pixel(1, 0), qRgb(0, 128, 0));
    QCOMPARE(grey.pixel(2, 0), qRgba(255, 255, 255, 100));
    QCOMPARE(grey.pixel(3, 0), kShadow.rgb());
    QVERIFY(makeGreyPicture(QImage(), stMedium, kHighlight, kShadow).isNull());
}

void TstExplorerLogic::transparentColour()
{
    QImage picture(3, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 255));
    picture.setPixel(1, 0, qRgb(10, 20, 30));
    picture.setPixel(2, 0, qRgb(255, 0, 255));
    const QImage out = applyTransparentColour(picture);
    QCOMPARE(qAlpha(out.pixel(0, 0)), 0);
    QCOMPARE(out.pixel(1, 0), qRgb(10, 20, 30));
    QCOMPARE(qAlpha(out.pixel(2, 0)), 0);
    // The caller's picture is left as it was.
    QCOMPARE(picture.pixel(2, 0), qRgb(255, 0, 255));
}

void TstExplorerLogic::etchedShapeIsBlackPixelsOnly()
{
    QImage picture(5, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgb(255, 255, 255));
    picture.setPixel(1, 0, qRgb(0, 0, 0));
    picture.setPixel(2, 0, qRgb(1, 0, 0));
    picture.setPixel(3, 0, qRgba(0, 0, 0, 0));
    picture.setPixel(4, 0, qRgb(128, 128, 128));
    const QImage shape = blackShape(picture);
    QCOMPARE(shape.pixelIndex(0, 0), 0);
    QCOMPARE(shape.pixelIndex(1, 0), 1);
    QCOMPARE(shape.pixelIndex(2, 0), 0);
    QCOMPARE(shape.pixelIndex(3, 0), 0);
    QCOMPARE(shape.pixelIndex(4, 0), 0);
}

QTEST_GUILESS_MAIN(TstExplorerLogic)
#include "tst_explorer_logic.moc"
