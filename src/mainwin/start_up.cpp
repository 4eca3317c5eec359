// SPDX-License-Identifier: GPL-3.0-or-later
#include "start_up.h"

#include "accessibility.h"
#include "core/message_boxes.h"
#include "password/password_check.h"
#include "password/tfrm_password_dlg.h"
#include "print/tfrm_print.h"
#include "qt_translations.h"
#include "settings/tfrm_about.h"
#include "settings/tfrm_options.h"
#include "sync_window.h"
#include "telephony/tfrm_tapi_call.h"

#include <QLabel>
#include <QTabWidget>

#include "vcq_application.h"

#include <fontconfig/fontconfig.h>

#include <future>
#include <system_error>

namespace vcq
{

ProgramWindows createProgramWindows()
{
    installAccessibility();
    ProgramWindows w;
    w.main = std::make_unique<TfrmMain>();
    TfrmMain *main = w.main.get();
    MainState &state = main->state();
    const Language language = main->language();
    // The other windows, in this order.
    auto *about = w.about = new TfrmAbout(language, main, main);
    auto *options = w.options = new TfrmOptions(state.ProgramSettings, state.Password,
                                                state.headerImage, main, nullptr, *about, main);
    auto *print = w.print = new print::TfrmPrint(
        main->store().list(), [main] { return main->state().PrintEnabled; }, language, main);
    auto *tapiCall = w.tapiCall = CreateStartupDialer(main, language);
    auto *passwordDlg = w.passwordDlg = new TfrmPasswordDlg(state.Password, language, main);
    options->setPasswordDialog(passwordDlg);

    // Sync: a page of the Options dialog and "Synchronise now" in the list's menu.
    auto *syncPage = new SyncOptionsPage(
        [main] { return QString::fromStdString(main->dataFileName()); }, options, language);
    options->PageControl1->addTab(syncPage, QStringLiteral("Synchronisation"));
    options->installEventFilter(syncPage);
    auto *syncController = new SyncController(main);
    syncController->ChooseLanguage(language);
    w.syncPage = syncPage;
    w.sync = syncController;
    // A sync set-up that cannot be kept keeps the dialog open on its page,
    // with the reason there and what was typed left as it is.
    options->addAcceptCheck([options, syncPage] {
        if (syncPage->save())
            return true;
        options->PageControl1->setCurrentWidget(syncPage);
        return false;
    });
    QObject::connect(options, &QDialog::accepted, syncController,
                     [syncController] { syncController->restartTimer(); });
    syncController->restartTimer();

    // Every window follows the language the Options dialog chooses, and so
    // do Qt's own dialogs.
    followLanguageInQtDialogs(language);
    QObject::connect(options, &TfrmOptions::languageChanged, main,
                     [](Language chosen) { followLanguageInQtDialogs(chosen); });
    main->setOptionsDialog(options);
    QObject::connect(options, &TfrmOptions::languageChanged, about, &TfrmAbout::ChooseLanguage);
    QObject::connect(options, &TfrmOptions::languageChanged, print,
                     &print::TfrmPrint::ChooseLanguage);
    QObject::connect(options, &TfrmOptions::languageChanged, tapiCall,
                     &TfrmTAPICall::ChooseLanguage);
    QObject::connect(options, &TfrmOptions::languageChanged, passwordDlg,
                     &TfrmPasswordDlg::ChooseLanguage);
    QObject::connect(options, &TfrmOptions::languageChanged, syncPage,
                     &SyncOptionsPage::ChooseLanguage);
    QObject::connect(options, &TfrmOptions::languageChanged, syncController,
                     &SyncController::ChooseLanguage);
    main->setPrintDialog(print);
    main->setPasswordCheck([main, passwordDlg](const ContactRecord &header) {
        return passwordCheckPasses(main->state().Password, header, *passwordDlg);
    });
    return w;
}

int runProgram(int argc, char **argv)
{
    // Reading the desktop's font configuration takes as long as connecting
    // to the display: done meanwhile, the first window finds it ready.
    std::future<void> fonts;
    try {
        fonts = std::async(std::launch::async, [] { FcInit(); });
    } catch (const std::system_error &) {
        // The first font asked for reads it instead.
    }
    VcqApplication app(argc, argv);
    ProgramWindows windows = createProgramWindows();
    // Queued, so that an end asked for before the loop runs still ends it.
    QObject::connect(windows.main.get(), &TfrmMain::exitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    windows.main->show();
    return VcqApplication::exec();
}

} // namespace vcq
