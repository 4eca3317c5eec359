// SPDX-License-Identifier: GPL-3.0-or-later
// D-Bus container types of the ObjectManager interface, for the generated proxies.
#pragma once

#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariantMap>

namespace vcq::tapi
{

// Interface name to its properties (a{sa{sv}}).
using DBusInterfaceProperties = QMap<QString, QVariantMap>;
// Object path to its interfaces (a{oa{sa{sv}}}).
using DBusManagedObjects = QMap<QDBusObjectPath, DBusInterfaceProperties>;

// Makes the types above known to QtDBus; safe to call more than once.
void registerDBusTypes();

} // namespace vcq::tapi
