// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's command pictures: every command has its three forms, each
// usable by the explorer button, and one call fills a button with them.
#include "widgets/command_pictures.h"
#include "widgets/explorer_button.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vcq;

Q_DECLARE_METATYPE(vcq::CommandPicture)

class TstCommandPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pictures_data();
    void pictures();
    void commandsLookDifferent();

private:
    QTemporaryDir m_dir;
};

void TstCommandPictures::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TstCommandPictures::pictures_data()
{
    QTest::addColumn<CommandPicture>("which");
    QTest::newRow("New") << CommandPicture::New;
    QTest::newRow("Save") << CommandPicture::Save;
    QTest::newRow("Delete") << CommandPicture::Delete;
    QTest::newRow("Print") << CommandPicture::Print;
    QTest::newRow("Options") << CommandPicture::Options;
    QTest::newRow("Quit") << CommandPicture::Quit;
}

namespace
{

int opaquePixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) == 255 ? 1 : 0;
    }
    return n;
}

} // namespace

void TstCommandPictures::pictures()
{
    QFETCH(CommandPicture, which);
    const QImage normal = commandPicture(which, PictureForm::Normal);
    const QImage noFocus = commandPicture(which, PictureForm::NoFocus);
    const QImage disabled = commandPicture(which, PictureForm::Disabled);
    for (const QImage &img : {normal, noFocus, disabled}) {
        QCOMPARE(img.size(), QSize(32, 32));
        // The top-left pixel is the transparent colour: it must be see-through.
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        QVERIFY(opaquePixels(img) > 200);
    }
    QVERIFY(normal != noFocus);
    QVERIFY(normal != disabled);
    QVERIFY(noFocus != disabled);

    TExplorerButton button;
    setCommandPictures(&button, which, drawCommandPicturesAhead().get());
    QCOMPARE(button.Bitmap(), normal);
    QCOMPARE(button.NoFocusBitmap(), noFocus);
    QCOMPARE(button.DisabledBitmap(), disabled);
}

void TstCommandPictures::commandsLookDifferent()
{
    const QList<CommandPicture> all{CommandPicture::New,     CommandPicture::Save,
                                    CommandPicture::Delete,  CommandPicture::Print,
                                    CommandPicture::Options, CommandPicture::Quit};
    for (qsizetype i = 0; i < all.size(); ++i) {
        for (qsizetype j = i + 1; j < all.size(); ++j)
            QVERIFY(commandPicture(all[i], PictureForm::Normal) !=
                    commandPicture(all[j], PictureForm::Normal));
    }
}

QTEST_MAIN(TstCommandPictures)
#include "tst_command_pictures.moc"
