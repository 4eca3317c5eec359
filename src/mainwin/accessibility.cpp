// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessibility.h"

#include "contact_list_accessible.h"
#include "settings/url_label.h"
#include "telephony/tfrm_tapi_call.h"
#include "tfrm_main.h"
#include "widgets/explorer_button_accessible.h"
#include "widgets/keyboard_context_menu.h"

#include <QAccessibleWidget>

namespace vcq
{

namespace
{

// A plain widget made a top-level window reads as a "filler"; these are a
// frame and a dialog, named by their titles.
QAccessibleInterface *windowFactory(const QString &key, QObject *object)
{
    if (key == QLatin1String(TfrmMain::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    if (key == QLatin1String(TfrmTAPICall::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Dialog);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        installContactListAccessibility();
        installExplorerButtonAccessibility();
        installUrlLabelAccessibility();
        QAccessible::installFactory(windowFactory);
        installKeyboardContextMenu();
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace vcq
