// The print dialog: pick the Wallet Book or the Page List, set up the
// printer, and print the whole contact list after a confirmation.
#pragma once

#include <QDialog>
#include <QPrinter>
#include <functional>

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
    // printEnabled and language are read each time they are needed; the
    // dialog centres itself over mainWindow whenever it is shown. With no
    // system printer the output goes to "VCQ97.pdf" in the working directory.
    TfrmPrint(const ContactList &list, std::function<bool()> printEnabled,
              std::function<int()> language, QWidget *mainWindow);

    void ChooseLanguage(int language);
    // The program's one printer; what Printer Setup chooses stays for the run.
    QPrinter &printer() { return m_printer; }

public slots:
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
    std::function<int()> m_language;
    QWidget *m_mainWindow;
    QPrinter m_printer;
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
