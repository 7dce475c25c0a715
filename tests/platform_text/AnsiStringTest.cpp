#include "platform/AnsiString.h"

#include <gtest/gtest.h>

TEST(AnsiString, LeadByteRange) {
    EXPECT_FALSE(IsLeadByte(0x80));
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0xFE));
    EXPECT_FALSE(IsLeadByte(0xFF));
}
