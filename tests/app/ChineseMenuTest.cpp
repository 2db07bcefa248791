#include "support/AppHarness.h"
#include "support/SMCKeys.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarvo::simulated {
namespace {

// The language is chosen once per process, so this suite has an executable of its own.
TEST(ChineseMenu, EveryTitleIsChineseWhenTheFirstLanguageIsChinese) {
    AppHarness harness;
    system().preferredLanguages = {"zh-Hant-TW", "en-US"};
    smc().hasService = false;
    harness.launch();
    EXPECT_EQ(AppHarness::shownMenu(),
              (std::vector<std::string>{"Tarvo for Mac · 菜单栏监控", "-", "CPU 占用: --",
                                        "CPU 温度: 无法读取", "(AppleSMC 服务不可用)", "下载: --",
                                        "上传: --", "-", "立即刷新", "-", "退出 Tarvo"}));

    system().processorTicks.reset();
    system().interfaces->front().received += 1500;
    AppHarness::advance(1.0);
    EXPECT_EQ(
        AppHarness::shownMenu(),
        (std::vector<std::string>{"Tarvo for Mac · 菜单栏监控", "-", "CPU 占用: 无法读取",
                                  "CPU 温度: 无法读取", "(AppleSMC 服务不可用)", "下载: 2 KB/s",
                                  "上传: 0 B/s", "-", "立即刷新", "-", "退出 Tarvo"}));
}

TEST(ChineseMenu, CollectingAndReadingLines) {
    AppHarness harness;
    system().preferredLanguages = {"zh-Hans"};
    harness.launch();
    EXPECT_EQ(AppHarness::menuItem(3).title, "CPU 温度: 采集中…");
    EXPECT_EQ(AppHarness::menuItem(4).title, "(通过 AppleSMC 直读，无需授权)");
    AppHarness::advance(1.0);
    EXPECT_EQ(AppHarness::menuItem(4).title, "(正在打开 AppleSMC 读取温度)");
    smc().keys[smc::fourCC("Tp01")] = floatKey(52.0f);
    AppHarness::advance(1.0);
    EXPECT_EQ(AppHarness::menuItem(3).title, "CPU 温度: 52.0 °C");
    EXPECT_TRUE(AppHarness::menuItem(4).isHidden);
    system().processorTicks->user += 10;
    ASSERT_TRUE(chooseMenuItem("立即刷新"));
    EXPECT_EQ(AppHarness::menuItem(2).title, "CPU 占用: 100.0 %");
}

} // namespace
} // namespace tarvo::simulated
