// The reporter's event handlers: objects registered in the event-handler list and one global
// set. The pipeline runs them at its steps (notify, actions, errors, custom data, attached
// files, web fields, password); the exported bridges run them for other modules.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "exceptions/capture/notify_params.h"

// Action codes of OnExceptionActionNotify; clearing `execute` cancels the step that follows.
enum TQuillonLogAction : int {
  atShowingExceptionInfo = 0,
  atShowedExceptionInfo = 1,
  atSavingToLogFile = 2,
  atSavedToLogFile = 3,
  atSendingEmail = 4,
  atSentEmail = 5,
  atSendingWebMessage = 6,
  atSentWebMessage = 7,
  atTerminating = 8,
};
// Error codes of OnExceptionErrorNotify.
enum TQuillonLogErrorStep : int { esSavingToLogFile = 3, esSendingEmail = 5, esSendingWebMessage = 7 };

struct TQuillonLogHandlers {
  bool Enabled = true;
  // May clear handle: no report is made and the caller's default handling runs.
  std::function<void(const TExceptNotifyParams&, bool& handle)> OnExceptionNotify;
  std::function<void(const TExceptNotifyParams&, int action, bool& execute)> OnExceptionActionNotify;
  // May set retry: the failed step is tried again.
  std::function<void(const TExceptNotifyParams&, int errorCode, bool& retry)> OnExceptionErrorNotify;
  std::function<void(const TExceptNotifyParams&, std::vector<std::string>& lines)> OnCustomDataRequest;
  std::function<void(const TExceptNotifyParams&, std::vector<std::string>& files)> OnAttachedFilesRequest;
  std::function<void(const TExceptNotifyParams&, std::vector<std::string>& fields)> OnCustomWebFieldsRequest;
  std::function<void(const TExceptNotifyParams&, std::string& password)> OnPasswordRequest;
};

// The event-handler list. Handlers are not owned; a handler object removes itself before it
// goes. Dispatch runs the enabled ones, last registered first, then the global set; an
// exception thrown by a handler is dropped and the next one runs.
class TQuillonLogList {
 public:
  void Add(TQuillonLogHandlers* handlers);
  void Remove(TQuillonLogHandlers* handlers);
  size_t Count() const;

 private:
  friend std::vector<TQuillonLogHandlers*> HandlersInOrder();
  std::vector<TQuillonLogHandlers*> items_;
};

TQuillonLogList& QuillonLogList();
TQuillonLogHandlers& GlobalQuillonLogHandlers();

void RunExceptionNotify(const TExceptNotifyParams& p, bool& handle);
void RunActionNotify(const TExceptNotifyParams& p, int action, bool& execute);
void RunErrorNotify(const TExceptNotifyParams& p, int errorCode, bool& retry);
void RunCustomDataRequest(const TExceptNotifyParams& p, std::vector<std::string>& lines);
void RunAttachedFilesRequest(const TExceptNotifyParams& p, std::vector<std::string>& files);
void RunCustomWebFieldsRequest(const TExceptNotifyParams& p, std::vector<std::string>& fields);
void RunPasswordRequest(const TExceptNotifyParams& p, std::string& password);

// The record of the exception being reported, and the one saved while a bridge serves a
// record of another module.
TExceptNotifyParams& ExceptionInfo();

// Installs a record as ExceptionInfo for the life of the scope and puts the previous back.
class TExceptionInfoScope {
 public:
  explicit TExceptionInfoScope(const TExceptNotifyParams& installed);
  ~TExceptionInfoScope();
  TExceptionInfoScope(const TExceptionInfoScope&) = delete;
  TExceptionInfoScope& operator=(const TExceptionInfoScope&) = delete;

 private:
  TExceptNotifyParams saved_;
};
