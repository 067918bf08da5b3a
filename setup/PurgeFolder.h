// Emptying setup's temporary folder.
#pragma once

#include <QString>

// Deletes every file below `folder` and keeps every folder; names beginning with '.' stay.
// Links are never followed: a link is deleted itself, whatever it leads to, and a `folder`
// that is itself a link is refused. The first entry that cannot be deleted ends that
// folder's scan. False when `folder` cannot be opened or listed.
bool PurgeFolder(const QString& folder);
