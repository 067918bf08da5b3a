#include "viewer/DocumentFileDialog.h"

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
