// Setup's temporary folder "PYRNInstallTemp" under the temporary folder.
#pragma once

#include <QString>

class CTempFileMgr
{
public:
    CTempFileMgr();

    // Makes the folder ready and private: an existing one must be a real folder of the user
    // running (root), which is emptied and closed to others (mode 0700); a missing one is
    // created so. A shared temporary folder lets anyone plant a link or a folder of their own
    // under that name: then this fails, and nothing may be written there nor emptied.
    bool Prepare();

    const QString& GetPath() const { return m_path; }

private:
    QString m_path;
};
