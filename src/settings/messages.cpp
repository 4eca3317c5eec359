#include "messages.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace vcq
{

void showPlainMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kAppTitle), text, QMessageBox::Ok,
                    parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

} // namespace vcq
