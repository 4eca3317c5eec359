// SPDX-License-Identifier: GPL-3.0-or-later
#include "line_types.h"

namespace vcq::tapi
{

LONG negotiateVersion(DWORD low, DWORD high, DWORD *negotiated)
{
    if (negotiated == nullptr)
        return LINEERR_INVALPOINTER;
    if (low > high || low > kLineApiVersion)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    *negotiated = high < kLineApiVersion ? high : kLineApiVersion;
    return 0;
}

bool isVoiceCall(const LINECALLPARAMS *params)
{
    if (params == nullptr)
        return true;
    if (params->dwTotalSize < sizeof(LINECALLPARAMS))
        return false;
    const bool voiceBearer =
        params->dwBearerMode == 0 || params->dwBearerMode == LINEBEARERMODE_VOICE;
    const bool voiceMedia =
        params->dwMediaMode == 0 || params->dwMediaMode == LINEMEDIAMODE_INTERACTIVEVOICE;
    return voiceBearer && voiceMedia;
}

} // namespace vcq::tapi
