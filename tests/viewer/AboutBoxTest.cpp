// Why: the about box states the version as the product numbers it, "3.00.00", and offers no
// minimize or maximize; its texts come from the current resource module.
#include "viewer/common/ResourceModule.h"
#include "viewer/dialogs/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(AboutBoxTest, VersionHasTwoDigitMinorAndBuildNumbers)
{
    EXPECT_EQ(ProgramVersionText(), "3.00.00");
    char buffer[10];
    EXPECT_EQ(FormatVersionNumber(buffer, "%d.%02d.%02d", 12, 3, 4), 8);
    EXPECT_STREQ(buffer, "12.03.04");
    // Longer output is cut to the buffer, never written past it.
    EXPECT_EQ(FormatVersionNumber(buffer, "%d.%02d.%02d", 123456, 78, 90), 9);
    EXPECT_STREQ(buffer, "123456.78");
}

TEST(AboutBoxTest, LinesAndButtonComeFromTheStrings)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.m_version->text(),
              ResourceModule::String(129) + " " + ResourceModule::String(204) + "3.00.00");
    EXPECT_EQ(dialog.m_notice->text(), ResourceModule::String(205).replace("%s", "2020"));
    EXPECT_FALSE(dialog.m_notice->text().contains("%s"));
    EXPECT_EQ(dialog.m_ok->text(), ResourceModule::String(198));
    EXPECT_FALSE(dialog.m_icon->pixmap().isNull());
    EXPECT_EQ(dialog.windowTitle(), ResourceModule::DialogText(CAboutDlg::kDialogId, 0));
    EXPECT_FALSE(dialog.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

} // namespace
