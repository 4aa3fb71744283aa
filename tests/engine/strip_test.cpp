#include "engine/strip.h"

#include <gtest/gtest.h>

TEST(Strip, KeepsTextWithoutOptions) {
    quenby::StripOptions o;
    o.stripVowels = false;
    EXPECT_EQ(quenby::strip(QStringLiteral("abc"), o).text, QStringLiteral("abc"));
}
