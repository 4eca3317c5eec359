// SPDX-License-Identifier: GPL-3.0-or-later
// The answers of a CardDAV server: any body is read without a fault.
#include "fuzz_check.h"
#include "sync/dav_xml.h"

using namespace vcq::sync;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    MultiStatus status;
    if (parseMultiStatus(body, status)) {
        MultiStatus again;
        FUZZ_CHECK(parseMultiStatus(body, again) && again == status);
        for (const DavResource &r : status.responses)
            (void)hrefKey(r.href);
    }
    (void)hasDavCondition(body, QStringLiteral("valid-sync-token"));
    return 0;
}
