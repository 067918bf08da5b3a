#include "viewer/MessageBoxes.h"

#include <gtest/gtest.h>

// The code travels behind the sentence on a line of its own, even when empty.
TEST(MessageBoxesTest, TextPutsTheCodeInParenthesesOnItsOwnLine)
{
    EXPECT_TRUE(ComposeMessageText(186, QStringLiteral("03007")).endsWith(" \r\n(03007)"));
    EXPECT_TRUE(ComposeMessageText(186, QString()).endsWith(" \r\n()"));
}
