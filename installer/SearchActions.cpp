// AppSearch (files searched for by name in one folder) and LaunchConditions.
#include "installer/Actions.h"
#include "installer/InstallerLog.h"

#include <sys/stat.h>

namespace installer {

int AppSearch(Session& session)
{
    for (const RowView& search : Rows(session.Database(), "AppSearch")) {
        const std::string signature = search.Text("Signature_");
        const std::optional<RowView> file = FindRow(session.Database(), "Signature", signature);
        for (const RowView& locator : Rows(session.Database(), "DrLocator")) {
            if (locator.Text("Signature_") != signature) {
                continue;
            }
            std::string path = session.Format(locator.Text("Path"));
            if (path.empty()) {
                continue;
            }
            if (!path.ends_with('/')) {
                path += '/';
            }
            if (file) {
                path += LongName(file->Text("FileName"));
            }
            struct stat info = {};
            const bool found = ::stat(path.c_str(), &info) == 0 &&
                               (file ? S_ISREG(info.st_mode) : S_ISDIR(info.st_mode));
            if (found) {
                session.SetProperty(search.Text("Property"), path);
                break;
            }
        }
    }
    return kResultSuccess;
}

int LaunchConditions(Session& session)
{
    for (const RowView& row : Rows(session.Database(), "LaunchCondition")) {
        const std::string condition = row.Text("Condition");
        const ConditionResult result = session.Evaluate(condition);
        if (!result.error.empty() || !result.value) {
            LogLine("the launch condition \"" + condition + "\" does not hold");
            session.ShowError(session.Format(row.Text("Description")));
            return kResultFailure;
        }
    }
    return kResultSuccess;
}

} // namespace installer
