// SPDX-License-Identifier: GPL-3.0-or-later
#include "import_report_dialog.h"

#include "core/message_boxes.h"
#include "interop/report_texts.h"
#include "interop_texts.h"
#include "report_words.h"
#include "widgets/named_widget.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace vcq
{

// The report's rows as a table; the additions only when asked for, so that
// the remarks stand out.
class ReportTableModel : public QAbstractTableModel
{
public:
    ReportTableModel(const interop::ImportReport &report, Language language, QObject *parent)
        : QAbstractTableModel(parent), m_report(report),
          m_labels(interop::reportLabels(language == Language::French)), m_language(language)
    {
        select(false);
    }

    void select(bool withAdded)
    {
        beginResetModel();
        m_rows.clear();
        for (const interop::ReportRow &row : m_report.rows())
            if (withAdded || row.event != interop::ReportEvent::Added)
                m_rows.push_back(&row);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : 5;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        const interop::ReportRow &row = *m_rows[std::size_t(index.row())];
        switch (index.column()) {
        case 0: {
            // The file's name, elided in its middle when narrow; the whole path on hover.
            const QString path = QFile::decodeName(row.sourceFile.c_str());
            return role == Qt::ToolTipRole ? path : QFileInfo(path).fileName();
        }
        case 1:
            return row.cardNumber > 0 ? QVariant(row.cardNumber) : QVariant(QString());
        case 2:
            return QString::fromStdString(row.contactName);
        case 3:
            return QString::fromStdString(m_labels.event(row.event));
        default:
            return plainDetail(row, m_language);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 4)
            return {};
        return QString::fromStdString(m_labels.columns[std::size_t(section)]);
    }

private:
    const interop::ImportReport &m_report;
    interop::ImportReport::Labels m_labels;
    Language m_language;
    std::vector<const interop::ReportRow *> m_rows;
};

ImportReportDialog::ImportReportDialog(interop::ImportReport report, const QString &title,
                                       const QString &summary, Language language,
                                       const QString &startFolder, QWidget *parent)
    : QDialog(parent), m_report(std::move(report)), m_language(language), m_startFolder(startFolder)
{
    setObjectName(QStringLiteral("ImportReportDialog"));
    const InteropTexts &t = interopTexts(language);
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    lblSummary = makeNamed<QLabel>(this, "lblSummary");
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setWordWrap(true);
    lblSummary->setText(summary);
    layout->addWidget(lblSummary);

    m_model = new ReportTableModel(m_report, language, this);
    tblReport = makeNamed<QTableView>(this, "tblReport");
    tblReport->setModel(m_model);
    tblReport->setTextElideMode(Qt::ElideMiddle);
    tblReport->setWordWrap(false);
    tblReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblReport->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblReport->verticalHeader()->hide();
    tblReport->horizontalHeader()->setStretchLastSection(true);
    tblReport->setAccessibleName(title);
    layout->addWidget(tblReport, 1);

    chkShowAdded = makeNamed<QCheckBox>(this, "chkShowAdded");
    chkShowAdded->setText(t.showAdded);
    connect(chkShowAdded, &QCheckBox::toggled, this, [this](bool on) { m_model->select(on); });
    layout->addWidget(chkShowAdded);

    auto *buttons = new QDialogButtonBox(this);
    cmdSave = makeNamed<QPushButton>(this, "cmdSave");
    cmdSave->setText(t.saveReport);
    cmdClose = makeNamed<QPushButton>(this, "cmdClose");
    cmdClose->setText(t.close);
    cmdClose->setDefault(true);
    buttons->addButton(cmdSave, QDialogButtonBox::ActionRole);
    buttons->addButton(cmdClose, QDialogButtonBox::RejectRole);
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSaveClick(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(900, 380);
    // The file names whole where they fit; the detail takes the rest, and
    // every cell shows its whole text on hover.
    tblReport->resizeColumnsToContents();
    tblReport->setColumnWidth(0, std::min(tblReport->columnWidth(0), 200));
}

bool ImportReportDialog::saveTo(const QString &path)
{
    // The same words as the table.
    interop::ImportReport inWords;
    inWords.reserve(m_report.rows().size());
    for (interop::ReportRow row : m_report.rows()) {
        row.detail = plainDetail(row, m_language).toStdString();
        inWords.add(std::move(row));
    }
    const std::string text = inWords.toText(interop::reportLabels(m_language == Language::French));
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.commit())
        return true;
    showPlainMessage(this, path + QStringLiteral(": ") + file.errorString());
    return false;
}

void ImportReportDialog::cmdSaveClick()
{
    const InteropTexts &t = interopTexts(m_language);
    QFileDialog dialog(this, t.saveReport.chopped(3), m_startFolder, t.textFilter);
    dialog.setObjectName(QStringLiteral("dlgSaveReport"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveTo(dialog.selectedFiles().first());
}

} // namespace vcq
