#include "netcfg/commands.h"

#include "framework/exception.h"
#include "profiles/trim.h"

std::string QuoteConnection(const std::string& connection) {
  if (connection.find_first_of(" \t") == std::string::npos) return connection;
  return "\"" + connection + "\"";
}

std::string BuildAddressCommand(const TIpProfile& p) {
  return "interface ip set address " + QuoteConnection(p.connection) + " static " + p.address + " " + p.mask +
         " " + p.gateway + " 1";
}

std::string BuildDnsCommand(const TIpProfile& p) {
  return "interface ip set dns " + QuoteConnection(p.connection) + " static " + p.dns;
}

std::string DhcpConnection() { return "本地连接"; }

std::string DhcpCommand() {
  return "interface ip set address " + QuoteConnection(DhcpConnection()) + " source=dhcp";
}

bool TNetResult::Succeeded() const { return !steps.empty() && FailedStep() == nullptr; }

const TNetStepResult* TNetResult::FailedStep() const {
  for (const auto& s : steps)
    if (!s.Succeeded()) return &s;
  return nullptr;
}

std::string TNetResult::FailureMessage() const {
  if (steps.empty()) return "没有执行任何网络设置。";
  const TNetStepResult* failed = FailedStep();
  return failed ? StepFailureMessage(*failed) : std::string();
}

std::string StepFailureMessage(const TNetStepResult& s) {
  std::string what;
  switch (s.step) {
    case TNetStep::nsAddress: what = "设置IP地址失败"; break;
    case TNetStep::nsDns: what = "设置DNS服务器失败"; break;
    case TNetStep::nsDhcp: what = "切换为自动获取IP失败"; break;
  }
  if (!s.started) {
    std::string reason = TrimField(s.startError);
    return what + "：无法启动 netsh。" + (reason.empty() ? "" : "\r\n" + reason);
  }
  std::string text = TrimField(s.output);
  std::string head = what + Format("（netsh 返回代码 %lu）", s.exitCode);
  if (text.empty()) return head + "，netsh 没有给出说明。";
  // netsh ends lines with CRLF already; a lone LF from a stand-in reads the same in a box.
  return head + "：\r\n" + text;
}
