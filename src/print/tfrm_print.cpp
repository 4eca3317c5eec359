// SPDX-License-Identifier: GPL-3.0-or-later
#include "tfrm_print.h"

#include "core/message_boxes.h"
#include "core/window_placement.h"
#include "page_list.h"
#include "pdf_target.h"
#include "print_texts.h"
#include "qt_printer_canvas.h"
#include "wallet_book.h"
#include "widgets/caption_fit.h"
#include "wingdings.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryFile>

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryFile>
#include <memory>

namespace vcq::print
{

namespace
{

// The hourglass for the whole application while the layout runs, taken
// down again however the run ends.
class BusyCursor
{
public:
    BusyCursor()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QCoreApplication::processEvents();
    }
    ~BusyCursor()
    {
        QApplication::restoreOverrideCursor();
        QCoreApplication::processEvents();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

QLabel *label(QWidget *parent, const QString &text, const QRect &place, const char *name)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(place);
    return l;
}

// One symbol-font character as an arrow of the size sketch.
QLabel *arrow(QWidget *parent, unsigned char symbol, const QRect &place, const char *name)
{
    const char32_t c = wingdingsSymbol(symbol);
    QLabel *l = label(parent, QString::fromUcs4(&c, 1), place, name);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    l->setEnabled(false);
    return l;
}

QFrame *shape(QWidget *parent, const QRect &place, const char *name)
{
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::Box);
    f->setGeometry(place);
    f->setEnabled(false);
    return f;
}

} // namespace

TfrmPrint::TfrmPrint(const ContactList &list, std::function<bool()> printEnabled, Language language,
                     QWidget *mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint),
      m_list(list), m_printEnabled(std::move(printEnabled)), m_language(language),
      m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(applicationTitle());
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(401, 188);
    buildControls();
    ChooseLanguage(m_language);
    fitCaptionsWhenFirstShown(this, [this] {
        const Language shown = m_language;
        fitCaptions(this, {[this] { ChooseLanguage(Language::English); },
                           [this] { ChooseLanguage(Language::French); }});
        ChooseLanguage(shown);
    });
}

QPrinter &TfrmPrint::printer()
{
    if (m_printer)
        return *m_printer;
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const QPrinterInfo system = QPrinterInfo::defaultPrinter();
    if (system.isNull()) {
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(
            QDir::current().absoluteFilePath(QLatin1String(kFallbackPdfName)));
        m_fallbackPdf = true;
    } else {
        m_printer->setPrinterName(system.printerName());
    }
    return *m_printer;
}

void TfrmPrint::buildControls()
{
    btnPrint = new QPushButton(this);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnPrint->setGeometry(4, 160, 129, 25);
    btnPrintConfig = new QPushButton(this);
    btnPrintConfig->setObjectName(QStringLiteral("btnPrintConfig"));
    btnPrintConfig->setGeometry(136, 160, 129, 25);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(268, 160, 129, 25);
    btnCancel->setDefault(true);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(4, 4, 393, 153);
    PageControl1->setFocusPolicy(Qt::NoFocus);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QString());

    lblSelect = label(TabSheet1, QString(), QRect(6, 8, 197, 15), "lblSelect");
    lblSelect->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lstPrint = new QListWidget(TabSheet1);
    lstPrint->setObjectName(QStringLiteral("lstPrint"));
    lstPrint->setGeometry(6, 24, 197, 93);
    lstPrint->addItems({QStringLiteral("Wallet Book"), QStringLiteral("Page List")});
    lstPrint->setSelectionMode(QAbstractItemView::SingleSelection);

    // The static size sketch of a card: 4 1/2 by 3 1/2 inches, with its fold.
    shape(TabSheet1, QRect(256, 28, 85, 57), "Shape1");
    shape(TabSheet1, QRect(298, 28, 1, 57), "Shape2");
    QLabel *width = label(TabSheet1, QStringLiteral("4 ½ \""), QRect(262, 7, 73, 13), "lblWidth");
    QFont widthFont(QStringLiteral("MS Sans Serif"));
    widthFont.setPixelSize(13);
    width->setFont(widthFont);
    width->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    width->setEnabled(false);
    arrow(TabSheet1, 0xDF, QRect(255, 9, 12, 13), "Label3");
    arrow(TabSheet1, 0xE0, QRect(331, 9, 12, 13), "Label1");
    arrow(TabSheet1, 0xE1, QRect(237, 27, 12, 13), "Label2");
    arrow(TabSheet1, 0xE2, QRect(236, 74, 12, 13), "Label4");
    QLabel *height = label(TabSheet1, QStringLiteral("3 ½\""), QRect(226, 50, 29, 15), "lblHeight");
    height->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    height->setEnabled(false);
    QLabel *desc =
        label(TabSheet1, QStringLiteral("Description"), QRect(214, 88, 169, 15), "lblDesc");
    desc->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    desc->setWordWrap(true);
    desc->setEnabled(false);

    // Tab goes as the eye does.
    lblSelect->setBuddy(lstPrint);
    setTabOrder(lstPrint, btnPrint);
    setTabOrder(btnPrint, btnPrintConfig);
    setTabOrder(btnPrintConfig, btnCancel);
    btnCancel->setFocus();

    connect(btnPrint, &QPushButton::clicked, this, &TfrmPrint::btnPrintClick);
    connect(btnPrintConfig, &QPushButton::clicked, this, &TfrmPrint::btnPrintConfigClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmPrint::btnCancelClick);
}

void TfrmPrint::ChooseLanguage(Language language)
{
    m_language = language;
    const PrintTexts t = printTexts(language);
    lblSelect->setText(t.select);
    lstPrint->setAccessibleName(t.select);
    btnPrint->setText(t.print);
    btnCancel->setText(t.cancel);
    btnPrintConfig->setText(t.printerSetup);
    PageControl1->setTabText(0, t.tabSheet);
    MsgConfirmPrint = t.confirmPrint;
    m_msgSavedAsPdf = t.savedAsPdf;
    m_msgPdfRefused = t.pdfRefused;
    m_msgPrintFailed = t.printFailed;
}

void TfrmPrint::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TfrmPrint::FormShow()
{
    centreOverWindow(this, m_mainWindow);
    ChooseLanguage(m_language);
    btnCancel->setFocus();
}

void TfrmPrint::btnPrintClick()
{
    if (m_printEnabled && !m_printEnabled())
        return;
    if (!askConfirmationOnScreen(this, MsgConfirmPrint))
        return;
    const QList<QListWidgetItem *> selected = lstPrint->selectedItems();
    if (selected.isEmpty())
        return;
    const int layout = lstPrint->row(selected.front());

    // Without a printer the document goes to a file: never through a link or
    // into a pipe. It is written beside its name and renamed there at the end.
    const QString pdfPath = printer().outputFileName();
    std::unique_ptr<QTemporaryFile> pdfDraft;
    if (m_fallbackPdf) {
        if (checkPdfTarget(QFile::encodeName(pdfPath).toStdString()) != PdfTarget::Usable) {
            showPlainMessage(this, m_msgPdfRefused.arg(QDir::toNativeSeparators(pdfPath)));
            return;
        }
        pdfDraft = std::make_unique<QTemporaryFile>(pdfPath + QStringLiteral(".XXXXXX"));
        if (!pdfDraft->open()) {
            showPlainMessage(this, m_msgPrintFailed);
            return;
        }
        printer().setOutputFileName(pdfDraft->fileName());
    }

    PrintResult result = PrintResult::NothingToPrint;
    {
        BusyCursor busy;
        QtPrinterCanvas canvas(printer());
        result = layout == 0 ? PrintWalletBook(canvas, m_list) : PrintPageList(canvas, m_list);
    }
    if (pdfDraft) {
        printer().setOutputFileName(pdfPath);
        if (result == PrintResult::Printed &&
            !placePdf(QFile::encodeName(pdfDraft->fileName()).toStdString(),
                      QFile::encodeName(pdfPath).toStdString())) {
            showPlainMessage(this, m_msgPdfRefused.arg(QDir::toNativeSeparators(pdfPath)));
            return;
        }
        if (result == PrintResult::Printed)
            pdfDraft->setAutoRemove(false);
    }
    if (result == PrintResult::Failed)
        showPlainMessage(this, m_msgPrintFailed);
    else if (result == PrintResult::Printed && m_fallbackPdf)
        showPlainMessage(this, m_msgSavedAsPdf.arg(QDir::toNativeSeparators(pdfPath)));
}

void TfrmPrint::btnPrintConfigClick()
{
    QPrintDialog dialog(&printer(), this);
    if (dialog.exec() == QDialog::Accepted)
        m_fallbackPdf = false;
}

void TfrmPrint::btnCancelClick()
{
    reject();
}

} // namespace vcq::print
