// What the page window's tests share: their pages, and waiting on events in GoogleTest.
#pragma once

#include "tests/viewer/PrintImagePages.h"

#include <QTest>
#include <gtest/gtest.h>

// Handles events until `actual` equals `expected` (five seconds at most), then compares them:
// QTRY_COMPARE's failures would not reach GoogleTest.
#define EXPECT_EVENTUALLY_EQ(actual, expected)                                                     \
    do {                                                                                           \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); });                             \
        EXPECT_EQ(actual, expected);                                                               \
    } while (false)
