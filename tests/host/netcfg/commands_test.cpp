#include "netcfg/commands.h"

#include <gtest/gtest.h>

namespace {
TIpProfile Profile(std::string connection, std::string address, std::string mask, std::string gateway,
                   std::string dns) {
  return TIpProfile{std::move(connection), std::move(address), std::move(mask), std::move(gateway),
                    std::move(dns)};
}
}  // namespace

TEST(NetshCommands, BuildsTheExampleByteForByteInGbk) {
  TIpProfile p = Profile("本地连接", "192.168.0.5", "255.255.255.0", "192.168.0.1", "192.168.0.1");
  // 本地连接 in GBK, written as bytes so the check does not depend on the compiler's charset.
  const std::string local = "\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3";
  EXPECT_EQ(BuildAddressCommand(p),
            "interface ip set address " + local + " static 192.168.0.5 255.255.255.0 192.168.0.1 1");
  EXPECT_EQ(BuildDnsCommand(p), "interface ip set dns " + local + " static 192.168.0.1");
  EXPECT_EQ(DhcpCommand(), "interface ip set address " + local + " source=dhcp");
}

TEST(NetshCommands, EmptyFieldsLeaveTheirBlanks) {
  TIpProfile p = Profile("eth0", "", "", "", "");
  EXPECT_EQ(BuildAddressCommand(p), "interface ip set address eth0 static    1");
  EXPECT_EQ(BuildDnsCommand(p), "interface ip set dns eth0 static ");
  EXPECT_EQ(BuildAddressCommand(Profile("", "1.2.3.4", "255.0.0.0", "", "")),
            "interface ip set address  static 1.2.3.4 255.0.0.0  1");
}

TEST(NetshCommands, QuotesOnlyNamesWithBlanks) {
  TIpProfile p = Profile("以太网 2", "10.0.0.2", "255.0.0.0", "10.0.0.1", "10.0.0.1");
  EXPECT_EQ(BuildAddressCommand(p),
            "interface ip set address \"以太网 2\" static 10.0.0.2 255.0.0.0 10.0.0.1 1");
  EXPECT_EQ(BuildDnsCommand(p), "interface ip set dns \"以太网 2\" static 10.0.0.1");
  EXPECT_EQ(QuoteConnection("Local\tArea"), "\"Local\tArea\"");
  EXPECT_EQ(QuoteConnection("以太网"), "以太网");
}

TEST(NetshOutcome, SuccessHasNoMessage) {
  TNetResult r;
  EXPECT_FALSE(r.Succeeded());  // nothing ran: not a success
  r.steps.push_back({TNetStep::nsAddress, "a", true, 0, "确定。", "", false});
  r.steps.push_back({TNetStep::nsDns, "d", true, 0, "", "", false});
  EXPECT_TRUE(r.Succeeded());
  EXPECT_EQ(r.FailureMessage(), "");
}

TEST(NetshOutcome, FailureNamesTheStepAndQuotesNetsh) {
  TNetResult r;
  r.steps.push_back({TNetStep::nsAddress, "a", true, 0, "", "", false});
  r.steps.push_back({TNetStep::nsDns, "d", true, 1, "\r\n找不到元素。\r\n\r\n", "", false});
  ASSERT_FALSE(r.Succeeded());
  EXPECT_EQ(r.FailedStep(), &r.steps[1]);
  EXPECT_EQ(r.FailureMessage(), "设置DNS服务器失败（netsh 返回代码 1）：\r\n找不到元素。");

  TNetStepResult address{TNetStep::nsAddress, "a", true, 5, "", "", false};
  EXPECT_EQ(StepFailureMessage(address), "设置IP地址失败（netsh 返回代码 5），netsh 没有给出说明。");

  TNetStepResult dhcp{TNetStep::nsDhcp, "x", false, 0, "", "C:\\w\\netsh.exe\r\n找不到文件。 (2)\r\n", false};
  EXPECT_EQ(StepFailureMessage(dhcp),
            "切换为自动获取IP失败：无法启动 netsh。\r\nC:\\w\\netsh.exe\r\n找不到文件。 (2)");
}

TEST(NetshOutcome, DhcpAlreadyOnCountsAsDone) {
  TNetResult r;
  r.steps.push_back({TNetStep::nsDhcp, "x", true, 1, "已在此接口上启用 DHCP。", "", true});
  EXPECT_TRUE(r.Succeeded());
}
