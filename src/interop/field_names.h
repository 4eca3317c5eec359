// SPDX-License-Identifier: GPL-3.0-or-later
// The record fields' names as the code spells them ("LastName", "Phone1"),
// used in report details.
#pragma once

#include "store/contact_record.h"

#include <string_view>

namespace vcq::interop
{

std::string_view fieldName(Field field);

} // namespace vcq::interop
