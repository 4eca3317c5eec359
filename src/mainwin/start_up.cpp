#include "start_up.h"

#include "frm_print.h"
#include "password_check.h"
#include "placeholder_windows.h"
#include "tfrm_password_dlg.h"
#include "vcq_application.h"

namespace vcq
{

ProgramWindows createProgramWindows()
{
    ProgramWindows w;
    w.main = std::make_unique<TfrmMain>();
    TfrmMain *main = w.main.get();
    // The other windows, in this order; each line is where its own window goes.
    w.about = new placeholder::TfrmAbout(main);
    w.options = new placeholder::TfrmOptions(main);
    w.print = new print::TfrmPrint(
        main->store().list(), [main] { return main->state().PrintEnabled; },
        [main] { return main->state().ProgramSettings.Language; }, main);
    w.tapiCall = new placeholder::TfrmTAPICall(main);
    auto *passwordDlg = new TfrmPasswordDlg(
        main->state().Password, [main] { return main->state().ProgramSettings.Language; }, main);
    w.passwordDlg = passwordDlg;

    main->setOptionsDialog(w.options);
    main->setPrintDialog(w.print);
    main->setPasswordCheck([main, passwordDlg](const ContactRecord &header) {
        return passwordCheckPasses(main->state().Password, header, *passwordDlg);
    });
    // Until the settings can be written the position is not kept.
    main->setPositionWriter([](int, int) {});
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
