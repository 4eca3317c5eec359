// SPDX-License-Identifier: GPL-3.0-or-later
// Creates a window's control with the object name the program and its tests
// know it by and, when given, its place on the parent.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

namespace vcq
{

template <typename W> W *makeNamed(QWidget *parent, const char *name, const QRect &place = QRect())
{
    auto *w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    if (place.isValid())
        w->setGeometry(place);
    return w;
}

} // namespace vcq
