// SPDX-License-Identifier: GPL-3.0-or-later
#include "line_backend.h"

#include "modem_manager_backend.h"

#include <QDBusConnection>

namespace vcq::tapi
{

namespace
{
std::shared_ptr<LineBackend> &defaultSlot()
{
    static std::shared_ptr<LineBackend> backend;
    return backend;
}
} // namespace

std::shared_ptr<LineBackend> defaultLineBackend()
{
    auto &backend = defaultSlot();
    if (!backend)
        backend = std::make_shared<ModemManagerBackend>(QDBusConnection::systemBus());
    return backend;
}

void setDefaultLineBackend(std::shared_ptr<LineBackend> backend)
{
    defaultSlot() = std::move(backend);
}

} // namespace vcq::tapi
