// The standard actions this installer carries out. Each returns 0 or the result that ends
// the run (1603, having shown its message). Actions of the sequence that need no work here
// (costing, publishing, ...) are listed in ExecuteSequence.cpp.
#pragma once

#include "installer/Session.h"

namespace installer {

// Files and folders (FileActions.cpp).
int InstallFiles(Session& session);
int RemoveFiles(Session& session);
int CreateFolders(Session& session);
int RemoveFolders(Session& session);

// Registry values (RegistryActions.cpp).
int WriteRegistryValues(Session& session);
int RemoveRegistryValues(Session& session);

// Shortcuts as desktop entries (ShortcutActions.cpp).
int CreateShortcuts(Session& session);
int RemoveShortcuts(Session& session);

// Searches and launch conditions (SearchActions.cpp).
int AppSearch(Session& session);
int LaunchConditions(Session& session);

// Related products (UpgradeActions.cpp).
int FindRelatedProducts(Session& session);
int RemoveExistingProducts(Session& session);

// The product's registration and the journal (Registration.cpp).
int InstallInitialize(Session& session);
int RegisterProduct(Session& session);
int InstallFinalize(Session& session);

// Custom actions of the types this installer supports (CustomActions.cpp).
int RunCustomAction(Session& session, const std::string& action);
// Why the custom action cannot run here; empty when it can.
std::string CustomActionProblem(const Session& session, const std::string& action);

} // namespace installer
