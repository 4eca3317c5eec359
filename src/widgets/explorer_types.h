// SPDX-License-Identifier: GPL-3.0-or-later
// The value types of the explorer-style button: alignment, bevel style, layout,
// options and shading. Kept apart so the layout and picture logic can use them
// without the widget.
#pragma once

#include <QFlags>

namespace vcq
{

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TBevelStyle { bsLowered, bsRaised };

enum TExplorerButtonLayout { blBitmapTop, blBitmapBottom, blBitmapLeft, blBitmapRight };

enum TExplorerButtonOption {
    boMonoDisplay = 0x1,
    boIconOnly = 0x2,
    boPopupMark = 0x4,
};
Q_DECLARE_FLAGS(TExplorerButtonOptions, TExplorerButtonOption)

enum TExplorerButtonShadingType { stLight, stMedium, stDark };

} // namespace vcq

Q_DECLARE_OPERATORS_FOR_FLAGS(vcq::TExplorerButtonOptions)
