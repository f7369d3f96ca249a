// The netsh command lines and the messages about their outcome. Portable.
#pragma once

#include <string>
#include <vector>

#include "profiles/profile.h"

// A connection name as it goes into a command: in double quotes when it holds a blank or a
// tab (netsh would otherwise see several words), unchanged otherwise.
std::string QuoteConnection(const std::string& connection);

// "interface ip set address <connection> static <address> <mask> <gateway> 1"
std::string BuildAddressCommand(const TIpProfile& profile);
// "interface ip set dns <connection> static <dns>"
std::string BuildDnsCommand(const TIpProfile& profile);
// The fixed switch back to DHCP; it always names "本地连接".
std::string DhcpCommand();
// The connection the DHCP command names.
std::string DhcpConnection();

enum class TNetStep { nsAddress, nsDns, nsDhcp };

// What one netsh run did.
struct TNetStepResult {
  TNetStep step = TNetStep::nsAddress;
  std::string command;          // the arguments given to netsh
  bool started = false;         // netsh could be started
  unsigned long exitCode = 0;   // valid when started
  std::string output;           // what netsh printed (stdout and stderr), ANSI code page
  std::string startError;       // why netsh could not be started
  bool alreadyInPlace = false;  // non-zero exit, but the asked state was already there

  bool Succeeded() const { return started && (exitCode == 0 || alreadyInPlace); }
};

// The outcome of one user action: the steps run, in order. A step that fails ends the
// action; later steps are not run.
struct TNetResult {
  std::vector<TNetStepResult> steps;

  bool Succeeded() const;
  const TNetStepResult* FailedStep() const;  // null when all succeeded
  // The message for the user: empty when the action succeeded, otherwise it names the failed
  // step and quotes netsh's own text (or the reason it could not be started).
  std::string FailureMessage() const;
};

// The message for one failed step (see TNetResult::FailureMessage).
std::string StepFailureMessage(const TNetStepResult& step);
