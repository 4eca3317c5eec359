// SPDX-License-Identifier: GPL-3.0-or-later
#include "report_output.h"

#include "data_file_access.h"
#include "interop/report_texts.h"

#include <QSaveFile>

namespace vcq::cli
{

void printRemarks(const CommandContext &context, std::FILE *stream,
                  const interop::ImportReport &report)
{
    const interop::ImportReport::Labels labels = interop::reportLabels(context.french);
    for (const interop::ReportRow &row : report.rows()) {
        if (row.event == interop::ReportEvent::Added)
            continue;
        const QByteArray line =
            (terminalSafe(QString::fromStdString(interop::reportLine(row, labels))) + '\n')
                .toUtf8();
        std::fwrite(line.constData(), 1, std::size_t(line.size()), stream);
    }
    std::fflush(stream);
}

bool saveReport(const CommandContext &context, const QString &path,
                const interop::ImportReport &report)
{
    QSaveFile file(path);
    const std::string text = report.toText(interop::reportLabels(context.french));
    if (file.open(QIODevice::WriteOnly) &&
        file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.commit())
        return true;
    context.error(terminalSafe(path) + ": " + file.errorString());
    return false;
}

} // namespace vcq::cli
