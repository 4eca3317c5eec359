// SPDX-License-Identifier: GPL-3.0-or-later
#include "upper_case_validator.h"

#include "core/cp1252.h"

namespace vcq
{

QValidator::State UpperCaseValidator::validate(QString &input, int &) const
{
    input = toUpperCp1252(input);
    return Acceptable;
}

} // namespace vcq
