#include "presentation/L.h"

#include <gtest/gtest.h>

namespace tarvo {

TEST(L, OnlyTheFirstTagCountsAndItMustBeginWithZh) {
    using Tags = std::vector<std::string>;
    for (const Tags& tags :
         {Tags{"zh-Hans-CN"}, Tags{"zh-Hant-TW"}, Tags{"zh"}, Tags{"zh", "en"}}) {
        EXPECT_TRUE(L::prefersChinese(tags)) << tags[0];
    }
    for (const Tags& tags :
         {Tags{}, Tags{"en-US", "zh-Hans"}, Tags{"ZH-Hans"}, Tags{"", "zh"}, Tags{"z"}}) {
        EXPECT_FALSE(L::prefersChinese(tags)) << testing::PrintToString(tags);
    }
}

} // namespace tarvo
