// SPDX-License-Identifier: GPL-3.0-or-later
#include "tfrm_about.h"

#include "widgets/caption_fit.h"
#include "widgets/named_widget.h"
#include "widgets/svg_pictures.h"

#include "placement.h"
#include "url_label.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

namespace vcq
{

namespace
{

constexpr const char *kWebAddress = "http://www.vellora.example/";

QFont pixelFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &place)
{
    auto *label = vcq::makeNamed<QLabel>(parent, name, place);
    label->setText(text);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(vcq::Language language, QWidget *mainWindow, QWidget *parent)
    : QDialog(parent ? parent : mainWindow, Qt::Dialog | Qt::CustomizeWindowHint |
                                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint),
      m_language(language), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmAbout"));
    setFixedSize(338, 254);
    setFont(pixelFont(11));

    Image1 = makeLabel(this, "Image1", QString(), QRect(10, 10, 115, 235));
    // The logo is drawn when the box is first shown: its lettering needs fonts
    // that the main window's start-up does not.
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(9, 10, 116, 235);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setAttribute(Qt::WA_TransparentForMouseEvents);

    Label8 =
        makeLabel(this, "Label8", QStringLiteral("Version 1.0 Beta 3"), QRect(130, 48, 205, 29));
    Label8->setFont(pixelFont(11, true));
    Label8->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    QPalette grey = palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    Label4 = makeLabel(this, "Label4", QStringLiteral("Programmed by "), QRect(136, 102, 193, 17));
    Label5 = makeLabel(this, "Label5", QStringLiteral("Mathilde Roy & Daniel Ouellet"),
                       QRect(136, 118, 193, 17));
    for (QLabel *label : {Label4, Label5}) {
        label->setPalette(grey);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }

    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(166, 154, 131, 25);
    connect(Button1, &QPushButton::clicked, this, &TfrmAbout::Button1Click);

    UrlLabel1 = new TUrlLabel(this);
    UrlLabel1->setObjectName(QStringLiteral("UrlLabel1"));
    UrlLabel1->setGeometry(136, 200, 194, 16);
    UrlLabel1->setText(QString::fromLatin1(kWebAddress));
    UrlLabel1->URL = QString::fromLatin1(kWebAddress);
    UrlLabel1->setFont(pixelFont(13));
    UrlLabel1->setAttribute(Qt::WA_TranslucentBackground);
    QPalette navy = UrlLabel1->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    UrlLabel1->setPalette(navy);

    Label1 = makeLabel(this, "Label1", QStringLiteral("\u00A9 1997 Vellora Softwares"),
                       QRect(142, 222, 181, 20));
    Label1->setFont(pixelFont(16));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // Its texts are the same in both languages.
    vcq::fitCaptionsWhenFirstShown(this, [this] { vcq::fitCaptions(this, {[] {}}); });
}

void TfrmAbout::ChooseLanguage(vcq::Language language)
{
    m_language = language;
    setWindowTitle(
        vcq::TextPair{"A propos de Vellora Carnetique 97", "About Vellora Carnetique 97"}.in(
            language));
}

void TfrmAbout::FormShow()
{
    if (Image1->pixmap().isNull())
        Image1->setPixmap(vcq::svgPixmap(QStringLiteral(":/settings/logo.svg"), QSize(115, 235)));
    vcq::centreOverWindow(this, m_mainWindow);
    ChooseLanguage(m_language);
}

void TfrmAbout::showEvent(QShowEvent *event)
{
    // A window brought back by the desktop is not shown anew.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmAbout::Button1Click()
{
    accept();
}

} // namespace vcq
