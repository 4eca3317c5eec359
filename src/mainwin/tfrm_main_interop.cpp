// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's import and export of contacts: files dropped on the
// window, the file dialogs (which remember their folders in the settings), the
// progress of a long import and its report. The list's menu is tfrm_main_list.cpp.
#include "tfrm_main.h"

#include "core/cp1252.h"
#include "core/message_boxes.h"
#include "import_report_dialog.h"
#include "interop/contact_uid.h"
#include "interop/exporter.h"
#include "interop/importer.h"
#include "interop/report_texts.h"
#include "interop_texts.h"
#include "settings/reg_app.h"
#include "store/store_error_texts.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QSaveFile>

namespace vcq
{

namespace
{

constexpr const char *kImportFolderValue = "ImportFolder";
constexpr const char *kExportFolderValue = "ExportFolder";
constexpr qint64 kLargeImportBytes = 1 << 20;

// The dropped files an import can read: local .vcf, .vcard and .csv files.
QStringList contactFiles(const QMimeData *mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl &url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString suffix = QFileInfo(url.toLocalFile()).suffix().toLower();
        if (suffix == u"vcf" || suffix == u"vcard" || suffix == u"csv")
            files << url.toLocalFile();
    }
    return files;
}

// A file name from a contact's name, without characters file systems refuse.
QString fileNameFor(const QString &name, interop::ExportFormat format)
{
    QString safe = name.trimmed();
    for (QChar &c : safe)
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            c = u'_';
    if (safe.isEmpty() || safe.startsWith(u'.'))
        safe.prepend(QStringLiteral("contact"));
    return safe + u'.' + QString::fromLatin1(interop::exportExtension(format).data());
}

} // namespace

void TfrmMain::setupInterop()
{
    setAcceptDrops(true);
}

void TfrmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_state.FileOpen && !contactFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent *event)
{
    const QStringList files = contactFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // The drop ends first; the import and its dialogs follow.
    QMetaObject::invokeMethod(
        this,
        [this, files] { guarded([this, &files] { importContacts(files, m_allowDuplicates); }); },
        Qt::QueuedConnection);
}

QString TfrmMain::rememberedFolder(const char *valueName)
{
    try {
        RegAppActivation activation(*RegAppDefaultUserConfig1);
        if (RegAppDefaultUserConfig1->HasValue(valueName)) {
            const QString folder =
                QString::fromUtf8(RegAppDefaultUserConfig1->ReadStringValue(valueName));
            if (QFileInfo(folder).isDir())
                return folder;
        }
    } catch (const ERegistryException &) {
        // A folder not remembered is no reason to stop: the current one will do.
    }
    return QDir::currentPath();
}

void TfrmMain::rememberFolder(const char *valueName, const QString &folder)
{
    try {
        RegAppActivation activation(*RegAppDefaultUserConfig1);
        RegAppDefaultUserConfig1->WriteStringValue(valueName, folder.toUtf8().toStdString());
    } catch (const ERegistryException &) {
    }
}

QString TfrmMain::storeErrorText(const StoreError &error) const
{
    return QString::fromStdString(storeErrorMessage(error, language() == Language::French));
}

void TfrmMain::ImportContactsClick()
{
    const InteropTexts &t = interopTexts(language());
    if (!m_state.FileOpen) {
        showPlainMessage(this, t.noDataFile);
        return;
    }
    QFileDialog dialog(this, t.importTitle, rememberedFolder(kImportFolderValue),
                       t.importFilter + QStringLiteral(";;") + t.allFilesFilter);
    dialog.setObjectName(QStringLiteral("dlgImport"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    auto *allow = new QCheckBox(t.allowDuplicates, &dialog);
    allow->setObjectName(QStringLiteral("chkAllowDuplicates"));
    allow->setChecked(m_allowDuplicates);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(allow, grid->rowCount(), 0, 1, -1);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_allowDuplicates = allow->isChecked();
    rememberFolder(kImportFolderValue, dialog.directory().absolutePath());
    importContacts(dialog.selectedFiles(), m_allowDuplicates);
}

void TfrmMain::importContacts(const QStringList &files, bool allowDuplicates)
{
    const Language language = this->language();
    const InteropTexts &t = interopTexts(language);
    if (!m_state.FileOpen || !m_store.isOpen()) {
        showPlainMessage(this, t.noDataFile);
        return;
    }
    if (files.isEmpty())
        return;

    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("dlgImportProgress"));
    progress.setWindowTitle(applicationTitle());
    progress.setCancelButtonText(t.cancel);
    progress.setRange(0, 1000);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    // Large files show their progress at once; small ones only if they take time.
    qint64 bytes = 0;
    for (const QString &file : files)
        bytes += QFileInfo(file).size();
    progress.setMinimumDuration(bytes > kLargeImportBytes ? 0 : 500);
    interop::ImportOptions options;
    options.allowDuplicates = allowDuplicates;
    options.progress = [&](const interop::ImportProgress &p) {
        progress.setLabelText(
            t.importing.arg(QFileInfo(QFile::decodeName(p.fileName.c_str())).fileName()));
        progress.setValue(int(p.fraction() * 1000));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    std::vector<std::string> paths;
    for (const QString &file : files)
        paths.push_back(QFile::encodeName(file).toStdString());
    checkOutsideChange();
    const interop::ImportResult result = [&] {
        const UndoHistory::StepScope step(*m_history, StepKind::Import);
        return interop::importFiles(m_store, m_dataFileName, paths, options);
    }();
    progress.close();
    if (result.added > 0)
        contactsChangedInStore();

    const bool french = language == Language::French;
    QString summary = QString::fromStdString(interop::importSummary(result, french));
    if (result.outcome != interop::ImportOutcome::Done) {
        QString error =
            storeErrorText(StoreError(result.errorKind, result.errorCode, result.errorMessage));
        if (!result.failedSource.empty())
            error = QFile::decodeName(result.failedSource.c_str()) + QStringLiteral(": ") + error;
        summary =
            QString::fromStdString(interop::importEnding(result, error.toStdString(), french)) +
            u'\n' + summary;
    }
    ImportReportDialog report(result.report, t.reportTitle, summary, language,
                              rememberedFolder(kImportFolderValue), this);
    report.exec();
}

void TfrmMain::ExportAllClick()
{
    std::vector<const ContactNode *> nodes;
    nodes.reserve(m_store.list().size());
    for (const ContactNode &node : m_store.list())
        nodes.push_back(&node);
    exportNodes(nodes, QStringLiteral("contacts"));
}

void TfrmMain::ExportThisClick()
{
    // The contact the form shows, as every command.
    if (m_state.AddingNew)
        return;
    const ContactNode *node = m_store.list().findRecord(m_shownRecord);
    if (!node)
        return;
    exportNodes({node}, fromCp1252(node->DisplayKey));
}

void TfrmMain::exportNodes(const std::vector<const ContactNode *> &nodes,
                           const QString &suggestedName)
{
    const Language language = this->language();
    const InteropTexts &t = interopTexts(language);
    if (!m_state.FileOpen) {
        showPlainMessage(this, t.noDataFile);
        return;
    }
    const QStringList filters{t.vcard3Filter, t.vcard4Filter, t.csvFilter};
    const interop::ExportFormat formats[] = {
        interop::ExportFormat::VCard3, interop::ExportFormat::VCard4, interop::ExportFormat::Csv};
    QFileDialog dialog(this, t.exportTitle, rememberedFolder(kExportFolderValue),
                       filters.join(QStringLiteral(";;")));
    dialog.setObjectName(QStringLiteral("dlgExport"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(fileNameFor(suggestedName, interop::ExportFormat::VCard3));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const interop::ExportFormat format =
        formats[std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()))];
    QString path = dialog.selectedFiles().first();
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + QString::fromLatin1(interop::exportExtension(format).data());
    rememberFolder(kExportFolderValue, QFileInfo(path).absolutePath());

    std::error_code uidError;
    const auto uids = interop::ContactUids::open(m_dataFileName, uidError);
    if (!uids) {
        showPlainMessage(
            this, QFile::decodeName(interop::ContactUids::idFilePath(m_dataFileName).c_str()) +
                      QStringLiteral(": ") + QString::fromStdString(uidError.message()));
        return;
    }
    const interop::ExportResult exported =
        interop::exportContacts(nodes, *uids, format, QFileInfo(path).fileName().toStdString());
    QSaveFile file(path);
    if (!(file.open(QIODevice::WriteOnly) &&
          file.write(exported.bytes.data(), qint64(exported.bytes.size())) ==
              qint64(exported.bytes.size()) &&
          file.commit())) {
        showPlainMessage(this, path + QStringLiteral(": ") + file.errorString());
        return;
    }
    if (!exported.report.hasRemarks()) {
        showPlainMessage(this, t.exported.arg(exported.contacts).arg(path));
        return;
    }
    ImportReportDialog report(exported.report, t.exportReportTitle,
                              t.exportedWithRemarks.arg(exported.contacts).arg(path), language,
                              rememberedFolder(kExportFolderValue), this);
    report.exec();
}

} // namespace vcq
