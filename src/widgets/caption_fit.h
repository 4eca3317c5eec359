// SPDX-License-Identifier: GPL-3.0-or-later
// One rule for captions that would not fit their box with the face the
// desktop substitutes for the windows' font: such a control takes the
// condensed face at the same size, and only if that still does not fit, a
// smaller size. The rule looks at every caption a control shows (both
// languages, every state), so a control keeps one font whichever is shown.
#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace vcq
{

// The face a caption falls back to: DejaVu Sans Condensed, same size and weight.
QFont condensedFont(const QFont &font);

// The text a control shows for its caption: the accelerator markers are
// removed where the control treats them as such.
QString shownCaption(const QWidget *control, const QString &caption);

// The room a control gives its caption's text, in pixels across.
int captionRoom(const QWidget *control);

// The font under which every caption fits `room`: `font` itself, else its
// condensed face, else that face smaller, down to a floor of legibility.
QFont fittingFont(const QFont &font, const QStringList &shownCaptions, int room);

// Applies the rule to one control for all the captions it can show.
void fitCaption(QWidget *control, const QStringList &captions);

// Applies the rule to every label, push button, check box and command button
// of `window`, for the captions each shows under every one of `textSets`
// (typically the window's texts in each language).
void fitCaptions(QWidget *window, const QList<std::function<void()>> &textSets);

// Runs `fit` (typically fitCaptions and a return to the texts shown) just
// before `window` is first shown: a window that is never opened never loads
// the fonts its captions would need, and start-up does not wait for them.
void fitCaptionsWhenFirstShown(QWidget *window, std::function<void()> fit);

} // namespace vcq
