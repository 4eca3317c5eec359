// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_pictures.h"

#include "explorer_button.h"

#include <QPainter>
#include <QSvgRenderer>

#include <system_error>

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

CommandPictureSet drawCommandPictures()
{
    CommandPictureSet set;
    for (std::size_t which = 0; which < set.images.size(); ++which)
        for (std::size_t form = 0; form < set.images[which].size(); ++form)
            set.images[which][form] =
                commandPicture(static_cast<CommandPicture>(which), static_cast<PictureForm>(form));
    return set;
}

std::future<CommandPictureSet> drawCommandPicturesAhead()
{
    try {
        return std::async(std::launch::async, drawCommandPictures);
    } catch (const std::system_error &) {
        return std::async(std::launch::deferred, drawCommandPictures);
    }
}

void setCommandPictures(TExplorerButton *button, CommandPicture which,
                        const CommandPictureSet &pictures)
{
    button->setBitmap(pictures.at(which, PictureForm::Normal));
    button->setNoFocusBitmap(pictures.at(which, PictureForm::NoFocus));
    button->setDisabledBitmap(pictures.at(which, PictureForm::Disabled));
}

} // namespace vcq
