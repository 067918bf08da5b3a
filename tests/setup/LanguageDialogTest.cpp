// Why: the language dialog is the one window a new installation shows: ten pictures,
// preselected from the user's locale, the highlighted picture only under the selection in the
// open list, and OK handing back the row.
#include "setup/CSetupDlg.h"
#include "setup/ImageCombobox.h"
#include "setup/LanguageTable.h"
#include "tests/setup/SetupTestSupport.h"

#include <QAbstractItemView>
#include <QDir>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QColor kHighlightBlue(0, 120, 215);

QPushButton* Button(CSetupDlg& dialog, int id)
{
    return dialog.findChild<QPushButton*>(QStringLiteral("control%1").arg(id));
}

void SaveScreenshot(const QImage& image, const QString& name)
{
    QDir().mkpath(PYRN_SCREENSHOT_DIR);
    EXPECT_TRUE(image.save(QStringLiteral(PYRN_SCREENSHOT_DIR "/%1.png").arg(name)));
}

class LanguageDialogTest : public ::testing::Test
{
protected:
    LanguageDialogTest()
    {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
            m_environment.Unset(name);
        }
        m_environment.Set("LANG", "en_US.UTF-8");
    }

    ScopedEnvironment m_environment;
};

TEST_F(LanguageDialogTest, LocalePreselectsItsRowAndLanguagesWithoutOneTheFirst)
{
    struct Case
    {
        const char* locale;
        int row;
    };
    const Case cases[] = {
        {"ja_JP.UTF-8", 0},
        {"en_US.UTF-8", 1},
        {"en_AU", 1},
        {"fr_FR.UTF-8", 2},
        {"es_ES.UTF-8", 3},
        {"de_AT.UTF-8", 4},
        {"ko_KR.UTF-8", 5},
        {"th_TH.UTF-8", 6},
        {"zh_CN.UTF-8", 7},
        {"zh_SG.UTF-8", 7},
        {"zh_HK.UTF-8", 7},
        {"zh_TW.UTF-8", 8},
        {"ru_RU.UTF-8", 9},
        {"en_GB.UTF-8", 0},
        {"it_IT.UTF-8", 0},
        {"pt_BR.UTF-8", 0},
        // Languages the code table does not know count as English; so does the C locale.
        {"hu_HU.UTF-8", 1},
        {"C", 1},
    };
    for (const Case& c : cases) {
        m_environment.Set("LANG", c.locale);
        CSetupDlg dialog;
        ASSERT_NE(dialog.m_languageCombo, nullptr);
        EXPECT_EQ(dialog.m_languageCombo->count(), 0);
        dialog.OnInitDialog();
        EXPECT_EQ(dialog.m_languageCombo->count(), 10) << c.locale;
        EXPECT_EQ(dialog.m_languageCombo->currentIndex(), c.row) << c.locale;
    }
    // $LANGUAGE's first choice comes before $LANG, except in the plain C locale.
    m_environment.Set("LANG", "de_DE.UTF-8");
    m_environment.Set("LANGUAGE", "ru:de");
    CSetupDlg preferred;
    preferred.OnInitDialog();
    EXPECT_EQ(preferred.m_languageCombo->currentIndex(), 9);
}

TEST_F(LanguageDialogTest, OkReturnsTheChosenRowAndCloseCancels)
{
    CSetupDlg dialog;
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.m_languageCombo->setCurrentIndex(5);
        Button(dialog, IDOK)->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_languageIndex, 5);

    for (const bool closeButton : {true, false}) {
        CSetupDlg other;
        QTimer::singleShot(0, &other, [&other, closeButton] {
            if (closeButton) {
                other.close();
            } else {
                Button(other, IDCANCEL)->click();
            }
        });
        EXPECT_EQ(other.DoModal(), IDCANCEL);
    }
}

TEST_F(LanguageDialogTest, OpenListHighlightsOnlyTheItemUnderTheSelection)
{
    m_environment.Set("LANG", "fr_FR.UTF-8");
    CSetupDlg dialog;
    dialog.OnInitDialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ImageCombobox& combo = *dialog.m_languageCombo;
    SaveScreenshot(dialog.grab().toImage(), "setup_language_dialog_closed");

    combo.showPopup();
    QAbstractItemView* list = combo.view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    ASSERT_TRUE(combo.IsDroppedDown());
    // Nine of the ten fit the template's height; the list scrolls to the tenth.
    EXPECT_TRUE(list->verticalScrollBar()->isVisible());
    const QImage open = list->grab().toImage();
    for (int row = 0; row < combo.count(); ++row) {
        const QRect item = list->visualRect(list->model()->index(row, 0));
        if (!item.isValid() || item.bottom() > open.height()) {
            continue;
        }
        const QColor background = open.pixelColor(item.left() + 1, item.top() + 1);
        EXPECT_EQ(background == kHighlightBlue, row == 2) << row;
        EXPECT_EQ(item.height(), 19) << row;
    }

    // The dialog with its list open, as the user sees it.
    const QPoint listOrigin = dialog.mapFromGlobal(list->window()->mapToGlobal(QPoint(0, 0)));
    QImage composite(
        QSize(dialog.width(), std::max(dialog.height(), listOrigin.y() + list->window()->height())),
        QImage::Format_RGB32);
    composite.fill(Qt::darkGray);
    QPainter painter(&composite);
    painter.drawPixmap(0, 0, dialog.grab());
    painter.drawPixmap(listOrigin, list->window()->grab());
    painter.end();
    SaveScreenshot(composite, "setup_language_dialog_open");

    combo.hidePopup();
    EXPECT_FALSE(combo.IsDroppedDown());
    // The closed field shows the normal picture: black on white.
    const QImage closed = combo.grab().toImage();
    EXPECT_NE(closed.pixelColor(closed.width() / 4, closed.height() / 2), kHighlightBlue);
}

TEST_F(LanguageDialogTest, ItemsWithoutARecordDrawNothingAndAnEmptyTableChangesNothing)
{
    ImageCombobox combo;
    ImageComboItem record;
    record.normal = QPixmap(274, 19);
    record.normal.fill(Qt::white);
    combo.SetItems(1, &record);
    combo.SetItems(0, &record);
    EXPECT_EQ(combo.count(), 1);
    combo.addItem(QString());
    combo.addItem(QString(), QVariant::fromValue(~quintptr(0)));
    ASSERT_EQ(combo.count(), 3);

    QImage canvas(279, 19, QImage::Format_RGB32);
    for (int index = 0; index < combo.count(); ++index) {
        canvas.fill(Qt::magenta);
        QPainter painter(&canvas);
        combo.DrawItem(painter, canvas.rect(), index, false);
        painter.end();
        EXPECT_EQ(canvas.pixelColor(10, 10) == QColor(Qt::magenta), index != 0) << index;
    }
}

} // namespace
