// SPDX-License-Identifier: GPL-3.0-or-later
#include "password_check.h"

#include "tfrm_password_dlg.h"

namespace vcq
{

bool passwordCheckPasses(PasswordState &state, const ContactRecord &header, TfrmPasswordDlg &dialog)
{
    return startupCheckPasses(state, header, [&dialog] { dialog.exec(); });
}

} // namespace vcq
