// SPDX-License-Identifier: GPL-3.0-or-later
// The report shown at the end of an import or an export: a summary and a
// table of what happened to each card, in plain text, which the user can save.
#pragma once

#include "core/language.h"
#include "interop/import_report.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace vcq
{

class ReportTableModel;

class ImportReportDialog : public QDialog
{
    Q_OBJECT
public:
    // startFolder: where the save dialog opens.
    ImportReportDialog(interop::ImportReport report, const QString &title, const QString &summary,
                       Language language, const QString &startFolder, QWidget *parent = nullptr);

    // Writes the whole report as text; false, after saying why, when it cannot.
    bool saveTo(const QString &path);
    const interop::ImportReport &report() const { return m_report; }

    QLabel *lblSummary = nullptr;
    QTableView *tblReport = nullptr;
    QCheckBox *chkShowAdded = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdClose = nullptr;

private:
    void cmdSaveClick();

    interop::ImportReport m_report;
    Language m_language;
    QString m_startFolder;
    ReportTableModel *m_model = nullptr;
};

} // namespace vcq
