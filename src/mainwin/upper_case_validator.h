// SPDX-License-Identifier: GPL-3.0-or-later
// Turns whatever is typed or pasted into an edit into upper case (the postal
// code field), keeping only upper cases the data file can store.
#pragma once

#include <QValidator>

namespace vcq
{

class UpperCaseValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace vcq
