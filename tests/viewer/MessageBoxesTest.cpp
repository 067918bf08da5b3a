// Why: every failure reaches the user through these two boxes; their text layout, caption,
// icon and button label are fixed, and what the user sees must show the break, not a glyph.
#include "viewer/common/MessageBoxes.h"

#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/common/ResourceModule.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(MessageBoxesTest, TextPutsTheCodeInParenthesesOnItsOwnLine)
{
    const QByteArray sentence = ResourceModule::String(186).toUtf8();
    EXPECT_EQ(ComposeMessageText(186, QStringLiteral("03007")).toUtf8(),
              sentence + QByteArray(" \r\n(03007)"));
    EXPECT_EQ(ComposeMessageText(186, QString()).toUtf8(), sentence + QByteArray(" \r\n()"));
}

TEST(MessageBoxesTest, EnglishTextIsExactToTheByte)
{
    platform::LibraryHandle english = ResourceModule::LoadLanguageLibrary(
        PYRN_LANGUAGE_LIBRARY_DIR "/kwel_pyrnLanguageResourceEN.so");
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(ComposeMessageText(186, QStringLiteral("03007")).toUtf8(),
              QByteArray("Error while opening file \r\n(03007)"));
    EXPECT_EQ(ComposeMessageText(182, QStringLiteral("01001")).toUtf8(),
              QByteArray("TARV Post Log Viewer\nis already running. \r\n(01001)"));
    EXPECT_EQ(ComposeMessageText(185, QString()).toUtf8(),
              QByteArray("The password is incorrect.\nInput again. \r\n()"));
    MessageRecorder recorder;
    ShowWarningMessage(196, QStringLiteral("05002"), nullptr);
    EXPECT_EQ(recorder.Boxes().at(0).caption, "TARV Post Log Viewer");
    EXPECT_EQ(recorder.Boxes().at(0).okText, ResourceModule::String(198));
    EXPECT_EQ(recorder.Boxes().at(0).text, "Error occurred. \r\n(05002)");
    ResourceModule::FreeLanguageLibrary(english);
}

TEST(MessageBoxesTest, BoxesCarryKindCaptionOkLabelAndOwner)
{
    MessageRecorder recorder;
    QWidget owner;
    ShowErrorMessage(182, QStringLiteral("01001"), nullptr);
    ShowWarningMessage(186, QStringLiteral("03010"), &owner);
    ASSERT_EQ(recorder.Boxes().size(), 2u);
    const MessageBoxRequest& error = recorder.Boxes()[0];
    EXPECT_EQ(error.kind, MessageKind::Error);
    EXPECT_EQ(error.caption, ResourceModule::String(57344));
    EXPECT_EQ(error.okText, ResourceModule::String(198));
    EXPECT_EQ(error.text, ComposeMessageText(182, QStringLiteral("01001")));
    EXPECT_EQ(error.owner, nullptr);
    EXPECT_EQ(recorder.Boxes()[1].kind, MessageKind::Warning);
    EXPECT_EQ(recorder.Boxes()[1].owner, &owner);
    EXPECT_EQ(recorder.Codes(), QStringList({"01001", "03010"}));
}

TEST(MessageBoxesTest, ShownBoxBreaksTheLineAndLabelsItsOneButton)
{
    MessageBoxRequest request;
    request.kind = MessageKind::Warning;
    request.caption = QStringLiteral("Caption");
    request.text = QStringLiteral("Error while opening file \r\n(03010)");
    request.okText = QStringLiteral("OK label");
    std::unique_ptr<QMessageBox> box = CreateMessageBox(request);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->windowTitle(), "Caption");
    EXPECT_EQ(box->text(), "Error while opening file \n(03010)");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->buttons()[0]->text(), "OK label");
    request.kind = MessageKind::Error;
    EXPECT_EQ(CreateMessageBox(request)->icon(), QMessageBox::Critical);
}

} // namespace
