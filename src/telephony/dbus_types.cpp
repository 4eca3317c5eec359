// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus_types.h"

#include <QDBusMetaType>

namespace vcq::tapi
{

void registerDBusTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusInterfaceProperties>();
        qDBusRegisterMetaType<DBusManagedObjects>();
        return true;
    }();
    (void)registered;
}

} // namespace vcq::tapi
