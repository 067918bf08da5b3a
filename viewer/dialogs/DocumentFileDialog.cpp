#include "viewer/dialogs/DocumentFileDialog.h"

#include <QFileDialog>

namespace {

std::optional<QString> RunModally(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

FileDialogRunner& Runner()
{
    static FileDialogRunner runner = RunModally;
    return runner;
}

} // namespace

const FileDialogRunner& GetFileDialogRunner()
{
    return Runner();
}

FileDialogRunner SetFileDialogRunner(FileDialogRunner runner)
{
    if (!runner) {
        runner = RunModally;
    }
    return std::exchange(Runner(), std::move(runner));
}

QStringList FileDialogNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        // Qt takes the patterns from the last parentheses of the filter text: a description
        // that shows its patterns already stays as it is.
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString shown = QLatin1Char('(') + patterns + QLatin1Char(')');
        filters.append(parts[i].endsWith(shown) ? parts[i] : parts[i] + QLatin1Char(' ') + shown);
    }
    return filters;
}
