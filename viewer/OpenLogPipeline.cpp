#include "viewer/OpenLogPipeline.h"

#include "viewer/OpenLogContext.h"

int OpenLogThread(OpenLogContext*)
{
    return 0;
}
bool MakeTempFolder(QString&)
{
    return false;
}
void CheckLogFiles(QString&, const std::vector<std::string>&, const QString&, QString&, QString&) {}
bool FindFileByPattern(const QString&, const QString&, QString&, const QString&)
{
    return false;
}
void MakeAdrPath(const QString&, QString&, const QString&) {}
