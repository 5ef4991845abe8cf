#include <gtest/gtest.h>

#include "comm/Identify.h"

TEST(IdentifyReplies, ModelTextIsTheTextBeforeTheSecondComma) {
    EXPECT_EQ("a,b", ModelTextFromIdn("a,b,c,d"));
    EXPECT_EQ("ARKTRONIC,TX-28", ModelTextFromIdn("ARKTRONIC,TX-28,SN280417,1.4.2\r\n"));
    EXPECT_EQ("", ModelTextFromIdn("ARKTRONIC,TX-28\r\n"));
    EXPECT_EQ("", ModelTextFromIdn(""));
    EXPECT_EQ(",", ModelTextFromIdn(",,"));
}

TEST(IdentifyReplies, ModelCodeNeedsAllSevenFieldsAndAFamilyCode) {
    EXPECT_EQ(28, ParseModelCode("28,280417,1,4,2,4,2\r\n"));
    EXPECT_EQ(27, ParseModelCode("27,1,0,0,0,0,-1"));
    EXPECT_EQ(35, ParseModelCode("35,1,2,3,4,5,6"));
    EXPECT_FALSE(ParseModelCode("36,1,2,3,4,5,6"));
    EXPECT_FALSE(ParseModelCode("26,1,2,3,4,5,6"));
    EXPECT_FALSE(ParseModelCode("28,1,2,3,4,5"));
    EXPECT_FALSE(ParseModelCode("TX-28"));
    EXPECT_FALSE(ParseModelCode(std::string("28,1,2\0,3,4,5,6", 14)));
    EXPECT_FALSE(ParseModelCode(""));
}
