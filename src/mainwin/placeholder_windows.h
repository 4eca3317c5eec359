// Stand-ins for the windows that start-up creates besides the main window,
// until each window's own implementation takes its place. Each is an empty,
// hidden dialog owned by the main window.
#pragma once

#include "main_texts.h"

#include <QDialog>

namespace vcq::placeholder
{

class PlaceholderDialog : public QDialog
{
    Q_OBJECT
public:
    PlaceholderDialog(const char *className, QWidget *parent) : QDialog(parent)
    {
        setObjectName(QString::fromLatin1(className));
        setWindowTitle(applicationTitle());
    }
};

class TfrmTAPICall : public PlaceholderDialog
{
    Q_OBJECT
public:
    explicit TfrmTAPICall(QWidget *parent) : PlaceholderDialog("TfrmTAPICall", parent) {}
};

} // namespace vcq::placeholder
