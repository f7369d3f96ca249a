// Running netsh for real: the stand-in takes the place of the system's netsh.exe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "e2e/driver/standin.h"
#include "netcfg/netsh_win32.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class NetshRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(nvdrv::NetshOverrideSet()) << "WINEDLLOVERRIDES lacks netsh.exe=n";
    std::string error;
    ASSERT_TRUE(nvdrv::InstallNetshStandIn(&error)) << error;
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    log_ = std::string(tmp) + "nv-netsh-" + std::to_string(GetCurrentProcessId()) + ".log";
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("NV_NETSH_LOG", log_.c_str());
    SetExit(0);
  }
  void TearDown() override {
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("NV_NETSH_EXIT", nullptr);
    SetEnvironmentVariableA("NV_NETSH_FLOOD", nullptr);
  }
  void SetExit(int code) { SetEnvironmentVariableA("NV_NETSH_EXIT", std::to_string(code).c_str()); }
  std::vector<std::string> Log() const { return nvdrv::ReadNetshLog(log_); }

  std::string log_;
};

const TIpProfile kExample{"本地连接", "192.168.0.5", "255.255.255.0", "192.168.0.1", "192.168.0.1"};

}  // namespace

TEST_F(NetshRun, RunsTheSystemNetshWithTheArgumentsAsGiven) {
  char sys[MAX_PATH];
  UINT n = GetSystemDirectoryA(sys, MAX_PATH);
  EXPECT_EQ(NetshPath(), std::string(sys, n) + "\\netsh.exe");

  // A netsh.exe in the current folder must not be the one that runs: this one cannot start.
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string planted = std::string(tmp) + "netsh.exe";
  HANDLE f = CreateFileA(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD w = 0;
  WriteFile(f, "MZ not a program", 16, &w, nullptr);
  CloseHandle(f);
  char oldDir[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, oldDir);
  SetCurrentDirectoryA(tmp);

  TNetStepResult r =
      RunNetsh(TNetStep::nsAddress, "interface ip set address \"以太网 2\" static 1.2.3.4 255.0.0.0  1");
  SetCurrentDirectoryA(oldDir);
  DeleteFileA(planted.c_str());

  ASSERT_TRUE(r.started) << r.startError;
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(r.Succeeded());
  EXPECT_THAT(r.output, HasSubstr("确定。"));
  EXPECT_THAT(Log(), ElementsAre("interface ip set address \"以太网 2\" static 1.2.3.4 255.0.0.0  1"));
}

TEST_F(NetshRun, ApplyRunsAddressThenDns) {
  TNetResult r = ApplyProfile(nullptr, kExample);
  EXPECT_TRUE(r.Succeeded()) << r.FailureMessage();
  ASSERT_EQ(r.steps.size(), 2u);
  EXPECT_EQ(r.steps[0].step, TNetStep::nsAddress);
  EXPECT_EQ(r.steps[1].step, TNetStep::nsDns);
  EXPECT_THAT(Log(),
              ElementsAre("interface ip set address 本地连接 static 192.168.0.5 255.255.255.0 192.168.0.1 1",
                          "interface ip set dns 本地连接 static 192.168.0.1"));
}

TEST_F(NetshRun, AFailedStepIsReportedWithNetshsTextAndStopsTheAction) {
  SetExit(1);
  TNetResult r = ApplyProfile(nullptr, kExample);
  ASSERT_FALSE(r.Succeeded());
  ASSERT_EQ(r.steps.size(), 1u);  // no DNS change after a rejected address
  EXPECT_EQ(r.steps[0].exitCode, 1u);
  std::string msg = r.FailureMessage();
  EXPECT_THAT(msg, HasSubstr("设置IP地址失败"));
  EXPECT_THAT(msg, HasSubstr("命令执行失败：interface ip set address"));  // stdout
  EXPECT_THAT(msg, HasSubstr("替身 netsh 退出代码 1"));                   // stderr
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(NetshRun, DhcpFailureCountsUnlessTheAdapterIsOnDhcpAlready) {
  TNetResult ok = SwitchToDhcp(nullptr);
  EXPECT_TRUE(ok.Succeeded()) << ok.FailureMessage();
  EXPECT_THAT(Log(), ElementsAre("interface ip set address 本地连接 source=dhcp"));

  // No connection of that name under Wine: the state cannot be confirmed, so it failed.
  EXPECT_EQ(IsDhcpEnabled("本地连接"), std::nullopt);
  SetExit(1);
  TNetResult failed = SwitchToDhcp(nullptr);
  ASSERT_FALSE(failed.Succeeded());
  EXPECT_FALSE(failed.steps[0].alreadyInPlace);
  EXPECT_THAT(failed.FailureMessage(), HasSubstr("切换为自动获取IP失败（netsh 返回代码 1）"));
}

TEST_F(NetshRun, LotsOfOutputDoesNotBlockNetsh) {
  SetEnvironmentVariableA("NV_NETSH_FLOOD", "1000000");  // far beyond a pipe's buffer
  TNetStepResult r = RunNetsh(TNetStep::nsDns, "interface ip set dns x static 1.1.1.1");
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.output.size(), 64u * 1024u);  // kept up to the cap, the rest drained
}
