#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QFileDialog;

// Runs the document's file dialogs. The document builds and configures a QFileDialog object;
// the runner shows it and gives the chosen path, or nothing when cancelled. Tests replace the
// runner to inspect the dialog and answer for the user.
using FileDialogRunner = std::function<std::optional<QString>(QFileDialog& dialog)>;

// The runner in use; the default runs the dialog modally.
const FileDialogRunner& GetFileDialogRunner();
// Replaces the runner (an empty function restores the default); returns the previous one.
FileDialogRunner SetFileDialogRunner(FileDialogRunner runner);

// A filter in the framework's notation ("CSV (*.csv)|*.csv||": description and pattern pairs,
// ended by two bars) as Qt's name filters ("CSV (*.csv)").
QStringList FileDialogNameFilters(const QString& filter);
