#include "exceptions/capture/events.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

TExceptNotifyParams::TExceptNotifyParams(const TExceptNotifyParams& other) { *this = other; }

TExceptNotifyParams& TExceptNotifyParams::operator=(const TExceptNotifyParams& other) {
  if (this == &other) return *this;
  ExceptionObject = other.ExceptionObject;
  ExceptionAddress = other.ExceptionAddress;
  ThreadId = other.ThreadId;
  ModuleHandle = other.ModuleHandle;
  RaiserKind = other.RaiserKind;
  HandlerKind = other.HandlerKind;
  FromRaiseCall = other.FromRaiseCall;
  Reserved = other.Reserved;
  ExceptionType = other.ExceptionType;
  SetClassName(other.ClassName());
  return *this;
}

TExceptNotifyParams::~TExceptNotifyParams() { std::free(className_); }

void TExceptNotifyParams::SetClassName(const std::string& name) {
  std::free(className_);
  className_ = nullptr;
  if (name.empty()) return;
  className_ = static_cast<char*>(std::malloc(name.size() + 1));
  if (className_) std::memcpy(className_, name.c_str(), name.size() + 1);
}

std::vector<TQuillonLogHandlers*> HandlersInOrder();

namespace {

// Dispatch is serialised: handlers of one event do not run beside handlers of another.
std::recursive_mutex& DispatchLock() {
  static std::recursive_mutex lock;
  return lock;
}

template <class Member, class... Args>
void Run(Member member, const TExceptNotifyParams& p, Args&... args) {
  std::lock_guard<std::recursive_mutex> guard(DispatchLock());
  std::vector<TQuillonLogHandlers*> order = HandlersInOrder();
  order.push_back(&GlobalQuillonLogHandlers());
  for (TQuillonLogHandlers* h : order) {
    if (!h->Enabled || !(h->*member)) continue;
    try {
      (h->*member)(p, args...);
    } catch (...) {
      // A failing handler must not keep the others from running.
    }
  }
}

}  // namespace

std::vector<TQuillonLogHandlers*> HandlersInOrder() {
  std::lock_guard<std::recursive_mutex> guard(DispatchLock());
  std::vector<TQuillonLogHandlers*> order(QuillonLogList().items_.rbegin(), QuillonLogList().items_.rend());
  return order;
}

void TQuillonLogList::Add(TQuillonLogHandlers* handlers) {
  std::lock_guard<std::recursive_mutex> guard(DispatchLock());
  if (handlers && std::find(items_.begin(), items_.end(), handlers) == items_.end())
    items_.push_back(handlers);
}

void TQuillonLogList::Remove(TQuillonLogHandlers* handlers) {
  std::lock_guard<std::recursive_mutex> guard(DispatchLock());
  items_.erase(std::remove(items_.begin(), items_.end(), handlers), items_.end());
}

size_t TQuillonLogList::Count() const {
  std::lock_guard<std::recursive_mutex> guard(DispatchLock());
  return items_.size();
}

TQuillonLogList& QuillonLogList() {
  static TQuillonLogList list;
  return list;
}

TQuillonLogHandlers& GlobalQuillonLogHandlers() {
  static TQuillonLogHandlers global;
  return global;
}

void RunExceptionNotify(const TExceptNotifyParams& p, bool& handle) {
  Run(&TQuillonLogHandlers::OnExceptionNotify, p, handle);
}
void RunActionNotify(const TExceptNotifyParams& p, int action, bool& execute) {
  Run(&TQuillonLogHandlers::OnExceptionActionNotify, p, action, execute);
}
void RunErrorNotify(const TExceptNotifyParams& p, int errorCode, bool& retry) {
  Run(&TQuillonLogHandlers::OnExceptionErrorNotify, p, errorCode, retry);
}
void RunCustomDataRequest(const TExceptNotifyParams& p, std::vector<std::string>& lines) {
  Run(&TQuillonLogHandlers::OnCustomDataRequest, p, lines);
}
void RunAttachedFilesRequest(const TExceptNotifyParams& p, std::vector<std::string>& files) {
  Run(&TQuillonLogHandlers::OnAttachedFilesRequest, p, files);
}
void RunCustomWebFieldsRequest(const TExceptNotifyParams& p, std::vector<std::string>& fields) {
  Run(&TQuillonLogHandlers::OnCustomWebFieldsRequest, p, fields);
}
void RunPasswordRequest(const TExceptNotifyParams& p, std::string& password) {
  Run(&TQuillonLogHandlers::OnPasswordRequest, p, password);
}

TExceptNotifyParams& ExceptionInfo() {
  static TExceptNotifyParams info;
  return info;
}

TExceptionInfoScope::TExceptionInfoScope(const TExceptNotifyParams& installed) : saved_(ExceptionInfo()) {
  ExceptionInfo() = installed;
}

TExceptionInfoScope::~TExceptionInfoScope() { ExceptionInfo() = saved_; }
