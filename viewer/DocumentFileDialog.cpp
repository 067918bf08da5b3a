#include "viewer/DocumentFileDialog.h"

#include <QFileDialog>

namespace {

FileDialogRunner& Runner()
{
    static FileDialogRunner runner;
    return runner;
}

} // namespace

const FileDialogRunner& GetFileDialogRunner()
{
    return Runner();
}

FileDialogRunner SetFileDialogRunner(FileDialogRunner runner)
{
    return std::exchange(Runner(), std::move(runner));
}
