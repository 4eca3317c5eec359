// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the pictures of the README: the main window, the Options dialog, the
// About box, the print dialog, the password dialog and the quick dialer, each
// in English and French, and the first page of each print layout (as PDF
// files for pdftoppm). Run by scripts/screenshots in an empty folder, which
// becomes the program's working directory.
#include "mainwin/start_up.h"
#include "mainwin/tfrm_main.h"
#include "mainwin/vcq_application.h"
#include "password/tfrm_password_dlg.h"
#include "print/page_list.h"
#include "print/qt_printer_canvas.h"
#include "print/tfrm_print.h"
#include "print/wallet_book.h"
#include "settings/tfrm_about.h"
#include "settings/tfrm_options.h"
#include "store/contact_store.h"
#include "telephony/tfrm_tapi_call.h"

#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QListView>
#include <QPrinter>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <functional>
#include <utility>

using namespace vcq;

namespace
{

struct Sample {
    const char *last, *first, *org, *address, *city, *zip, *state, *country, *phone1, *phone2,
        *email, *birth, *status;
};

const Sample kSamples[] = {
    {"Tremblay", "Marie", "Boulangerie du Coin", "12 rue Saint-Denis",
     "Montr\xE9"
     "al",
     "H2X 1K4",
     "Qu\xE9"
     "bec",
     "Canada", "514-555-0142", "514-555-0199", "marie@example.org", "12-05-61", "Famille"},
    {"Gagnon", "Luc", "Atelier Gagnon", "88 chemin du Lac", "Sherbrooke", "J1H 5N4",
     "Qu\xE9"
     "bec",
     "Canada", "819-555-0110", "", "luc@example.org", "03-11-74", "Ami"},
    {"Smith", "John", "Smith & Sons", "4 Harbour Road", "Halifax", "B3H 1A1", "Nova Scotia",
     "Canada", "902-555-0123", "902-555-0456", "john@example.com", "  -  -  ", "Business"},
    {"Adams", "Ann", "", "221 Baker Street", "Toronto", "M5V 2T6", "Ontario", "Canada",
     "416-555-0177", "", "ann@example.net", "07-07-80", "Friend"},
    {"C\xF4t\xE9", "\xC9milie", "Librairie C\xF4t\xE9", "5 avenue des Pins",
     "Qu\xE9"
     "bec",
     "G1R 4S9",
     "Qu\xE9"
     "bec",
     "Canada", "418-555-0188", "418-555-0111", "emilie@example.org", "24-06-90", "Client"},
    {"Bouchard", "Paul", "", "17 rue Principale", "Gatineau", "J8X 2K1",
     "Qu\xE9"
     "bec",
     "Canada", "819-555-0133", "", "", "  -  -  ", "Ami"},
};

void writeSampleFiles()
{
    ContactStore store;
    store.open(kDataFileName);
    for (const Sample &s : kSamples) {
        ContactRecord r;
        r.set(Field::LastName, s.last);
        r.set(Field::FirstName, s.first);
        r.set(Field::Organisation, s.org);
        r.set(Field::Address1, s.address);
        r.set(Field::City, s.city);
        r.set(Field::Zip, s.zip);
        r.set(Field::State, s.state);
        r.set(Field::Country, s.country);
        r.set(Field::Phone1, s.phone1);
        r.set(Field::Phone2, s.phone2);
        r.set(Field::Email, s.email);
        r.set(Field::Birth, s.birth);
        r.set(Field::Status, s.status);
        store.add(r);
    }
    store.close();
    QFile filter(QStringLiteral("Filter.txt"));
    if (filter.open(QIODevice::WriteOnly))
        filter.write("Ami,Friend\nFamille,Family\nAffaires,Business\nClient,Customer\n");
}

bool save(QWidget *w, const QString &name)
{
    const bool ok = w->grab().save(name);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(name));
    return ok;
}

// Grabs a modal dialog once it is up, then closes it.
void grabModal(QDialog *dialog, const QString &name)
{
    QTimer::singleShot(300, dialog, [dialog, name] {
        save(dialog, name);
        dialog->reject();
    });
    dialog->exec();
}

void printLayout(const ContactList &list, const QString &file,
                 const std::function<void(print::PrintCanvas &)> &layout)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    print::QtPrinterCanvas canvas(printer);
    layout(canvas);
    (void)list;
    std::printf("wrote %s\n", qPrintable(file));
}

} // namespace

int main(int argc, char *argv[])
{
    VcqApplication app(argc, argv);
    writeSampleFiles();
    ProgramWindows windows = createProgramWindows();
    TfrmMain &main = *windows.main;
    main.show();
    QTimer::singleShot(500, &app, [&] {
        main.lstList->setCurrentIndex(main.lstList->model()->index(2, 0));
        for (const auto &[language, suffix] : {std::pair{0, "en"}, std::pair{1, "fr"}}) {
            const QString tail = QStringLiteral("-%1.png").arg(QLatin1String(suffix));
            // As an OK in the Options dialog would: every window follows.
            main.state().ProgramSettings.Language = language;
            emit windows.options->languageChanged(languageFromCode(language));
            // A change of language empties a status typed freely; show the contact afresh.
            main.FillTextBox();
            app.processEvents();
            save(&main, QStringLiteral("main") + tail);
            grabModal(windows.options, QStringLiteral("options") + tail);
            grabModal(windows.about, QStringLiteral("about") + tail);
            grabModal(windows.print, QStringLiteral("print") + tail);
            grabModal(windows.passwordDlg, QStringLiteral("password") + tail);
            // Quick dial on the shown contact's home phone brings up the dialer.
            main.cmdDial1->click();
            app.processEvents();
            if (QWidget *dialer = frmTAPICall.data()) {
                QTimer::singleShot(
                    300, &app, [dialer, tail] { save(dialer, QStringLiteral("dialer") + tail); });
                QEventLoop wait;
                QTimer::singleShot(600, &wait, &QEventLoop::quit);
                wait.exec();
                dialer->close();
                app.processEvents();
            }
        }
        main.ChooseLanguage(Language::English);
        const ContactList &list = main.store().list();
        printLayout(list, QStringLiteral("wallet-book.pdf"),
                    [&](print::PrintCanvas &c) { print::PrintWalletBook(c, list); });
        printLayout(list, QStringLiteral("page-list.pdf"),
                    [&](print::PrintCanvas &c) { print::PrintPageList(c, list); });
        main.close();
    });
    return VcqApplication::exec();
}
