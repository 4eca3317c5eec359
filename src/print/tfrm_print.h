// SPDX-License-Identifier: GPL-3.0-or-later
// The print dialog: pick the Wallet Book or the Page List, set up the
// printer, and print the whole contact list after a confirmation.
#pragma once

#include "core/language.h"

#include <QDialog>
#include <QPrinter>
#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace vcq
{
class ContactList;
}

namespace vcq::print
{

inline constexpr const char *kFallbackPdfName = "VCQ97.pdf";

class TfrmPrint : public QDialog
{
    Q_OBJECT

public:
    // printEnabled is read each time it is needed; language is the one the
    // dialog starts in. The dialog centres itself over mainWindow whenever it
    // is shown. With no system printer the output goes to "VCQ97.pdf" in the
    // working directory.
    TfrmPrint(const ContactList &list, std::function<bool()> printEnabled, Language language,
              QWidget *mainWindow);

    Language language() const { return m_language; }
    // The program's one printer; what Printer Setup chooses stays for the run.
    // Made on first use: asking the print system for its printers costs more
    // than the rest of the program's start-up.
    QPrinter &printer();

public slots:
    // Sets the texts in `language` and keeps it for the next showing.
    void ChooseLanguage(vcq::Language language);
    void btnPrintClick();
    void btnPrintConfigClick();
    void btnCancelClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void buildControls();

    const ContactList &m_list;
    std::function<bool()> m_printEnabled;
    Language m_language;
    QWidget *m_mainWindow;
    std::unique_ptr<QPrinter> m_printer;
    bool m_fallbackPdf = false;
    QString MsgConfirmPrint;
    QString m_msgSavedAsPdf;
    QString m_msgPrintFailed;
    QString m_msgPdfRefused;

    QPushButton *btnPrint = nullptr;
    QPushButton *btnPrintConfig = nullptr;
    QPushButton *btnCancel = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    QLabel *lblSelect = nullptr;
    QListWidget *lstPrint = nullptr;
};

} // namespace vcq::print
