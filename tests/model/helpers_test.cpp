#include "model/helpers.h"

#include <gtest/gtest.h>

TEST(Placeholder, Builds) { EXPECT_EQ(RGB(1, 2, 3), 0x030201u); }
