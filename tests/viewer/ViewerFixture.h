// A viewer started in this process as the program starts it, in folders of its own: the
// user's configuration, data and runtime folders and the current folder are scratch folders,
// boxes are recorded and file dialogs are cancelled.
#pragma once

#include "tests/ScopedEnvironment.h"
#include "tests/ScratchFolder.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/dialogs/DocumentFileDialog.h"

#include <QStringList>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

class ViewerFixture : public ::testing::Test
{
protected:
    ViewerFixture()
    {
        m_environment.Set("XDG_CONFIG_HOME", m_scratch.MakeFolder("config").c_str());
        m_environment.Set("XDG_DATA_HOME", m_scratch.MakeFolder("data").c_str());
        const std::string runtime = m_scratch.MakeFolder("runtime");
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        m_environment.Set("XDG_RUNTIME_DIR", runtime.c_str());
        m_oldFolder = std::filesystem::current_path();
        std::filesystem::current_path(m_scratch.MakeFolder("current"));
        m_previousRunner = SetFileDialogRunner([this](QFileDialog&) -> std::optional<QString> {
            ++m_fileDialogs;
            return std::nullopt;
        });
    }
    ~ViewerFixture() override
    {
        if (m_started) {
            Stop();
        }
        SetFileDialogRunner(m_previousRunner);
        std::filesystem::current_path(m_oldFolder);
    }

    // InitInstance with `arguments`; a failed start-up is stopped at once, as main does.
    bool Start(const QStringList& arguments = {})
    {
        m_started = true;
        const bool started = theApp.InitInstance(arguments);
        if (!started) {
            Stop();
        }
        return started;
    }
    int Stop()
    {
        m_started = false;
        return theApp.ExitInstance();
    }

    // The temporary folders' root, created.
    std::string TempRoot() const { return m_scratch.MakeFolder("data/TARV/TARV Post Log Viewer"); }
    std::string UserIni() const { return m_scratch / "config/TARV/PYRN/User.ini"; }

    ScratchFolder m_scratch{"ViewerFixture"};
    ScopedEnvironment m_environment;
    MessageRecorder m_boxes;
    int m_fileDialogs = 0;

private:
    std::filesystem::path m_oldFolder;
    FileDialogRunner m_previousRunner;
    bool m_started = false;
};
