// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_pictures.h"

#include "explorer_button.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vcq
{

namespace
{

constexpr int kPictureSize = 32;

QString baseName(CommandPicture which)
{
    switch (which) {
    case CommandPicture::New:
        return QStringLiteral("new");
    case CommandPicture::Save:
        return QStringLiteral("save");
    case CommandPicture::Delete:
        return QStringLiteral("delete");
    case CommandPicture::Print:
        return QStringLiteral("print");
    case CommandPicture::Options:
        return QStringLiteral("options");
    case CommandPicture::Quit:
        break;
    }
    return QStringLiteral("quit");
}

QString suffix(PictureForm form)
{
    switch (form) {
    case PictureForm::NoFocus:
        return QStringLiteral("_nofocus");
    case PictureForm::Disabled:
        return QStringLiteral("_disabled");
    case PictureForm::Normal:
        break;
    }
    return {};
}

} // namespace

QImage commandPicture(CommandPicture which, PictureForm form)
{
    QSvgRenderer svg(QStringLiteral(":/widgets/%1%2.svg").arg(baseName(which), suffix(form)));
    if (!svg.isValid())
        return {};
    QImage image(kPictureSize, kPictureSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    svg.render(&p, QRectF(0, 0, kPictureSize, kPictureSize));
    return image;
}

void setCommandPictures(TExplorerButton *button, CommandPicture which)
{
    button->setBitmap(commandPicture(which, PictureForm::Normal));
    button->setNoFocusBitmap(commandPicture(which, PictureForm::NoFocus));
    button->setDisabledBitmap(commandPicture(which, PictureForm::Disabled));
}

} // namespace vcq
