#include "start_up.h"

#include "message_boxes.h"
#include "sync_window.h"

#include <QLabel>
#include <QTabWidget>

#include "frm_print.h"
#include "password_check.h"
#include "tfrm_about.h"
#include "tfrm_options.h"
#include "tfrm_password_dlg.h"
#include "tfrm_tapi_call.h"
#include "vcq_application.h"

namespace vcq
{

ProgramWindows createProgramWindows()
{
    ProgramWindows w;
    w.main = std::make_unique<TfrmMain>();
    TfrmMain *main = w.main.get();
    MainState &state = main->state();
    const auto language = [main] { return main->state().ProgramSettings.Language; };
    // The other windows, in this order.
    auto *about = new TfrmAbout(language, main, main);
    w.about = about;
    auto *options = new TfrmOptions(state.ProgramSettings, state.Password, state.headerImage, main,
                                    nullptr, *about, main);
    w.options = options;
    w.print = new print::TfrmPrint(
        main->store().list(), [main] { return main->state().PrintEnabled; }, language, main);
    w.tapiCall = CreateStartupDialer(main, language);
    auto *passwordDlg = new TfrmPasswordDlg(state.Password, language, main);
    w.passwordDlg = passwordDlg;
    options->setPasswordDialog(passwordDlg);

    // Sync: a page of the Options dialog and "Synchronise now" in the list's menu.
    auto *syncPage = new SyncOptionsPage(
        [main] { return QString::fromStdString(main->dataFileName()); }, options, language);
    options->PageControl1->addTab(syncPage, QStringLiteral("Synchronisation"));
    options->installEventFilter(syncPage);
    auto *syncController = new SyncController(main);
    w.syncPage = syncPage;
    w.sync = syncController;
    const auto syncLanguage = [=] {
        syncPage->ChooseLanguage(language());
        syncController->ChooseLanguage(language());
    };
    syncLanguage();
    QObject::connect(options, &QDialog::accepted, syncPage, [=] {
        if (!syncPage->save())
            showPlainMessage(main, syncPage->lblResult->text());
        syncLanguage();
        syncController->restartTimer();
    });
    syncController->restartTimer();

    main->setOptionsDialog(w.options);
    main->setPrintDialog(w.print);
    main->setPasswordCheck([main, passwordDlg](const ContactRecord &header) {
        return passwordCheckPasses(main->state().Password, header, *passwordDlg);
    });
    return w;
}

int runProgram(int argc, char **argv)
{
    VcqApplication app(argc, argv);
    ProgramWindows windows = createProgramWindows();
    // Queued, so that an end asked for before the loop runs still ends it.
    QObject::connect(windows.main.get(), &TfrmMain::exitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    windows.main->show();
    return VcqApplication::exec();
}

} // namespace vcq
