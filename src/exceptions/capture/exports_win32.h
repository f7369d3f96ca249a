// The functions the executable exports (netvosk.def) so that copies of the reporter in one
// process can cooperate: the report entry, thread tracking, the raise path and the event
// bridges. All are stdcall; a module that calls a peer's bridge is built with the same
// compiler, so the string lists are the peers' shared std::vector<std::string>.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ThreadRecord;
struct TExceptNotifyParams;

// The code of a language exception raised through QuillonLog_CallGeneralRaise, with flags 1
// and 7 arguments: address, object, its std::type_info, EBX, ESI, EDI, EBP at the raise.
constexpr uint32_t kLanguageRaiseCode = 0x0EEDFADE;

extern "C" {
// Hands one exception to this module's reporter. object: any pointer to a polymorphic
// exception object (null: the thread's last captured one); address: where it was raised
// (null: the address recorded when it was thrown); raiserKind: 0 generic, 1 application
// handler, 2 web handler. Non-zero: the caller goes on with its own default handling.
uint8_t __stdcall ExceptionManager(void* object, void* address, uint8_t raiserKind, void* module);

void __stdcall QuillonLog_CallCreateThread(const ThreadRecord* record);
void __stdcall QuillonLog_CallResumeThread(void* threadHandle, const ThreadRecord* record);
void __stdcall QuillonLog_CallExitThread();
// exceptionRecord, contextRecord: the system's EXCEPTION_RECORD and CONTEXT. Returns a new
// exception object of the fault's class (the caller owns it).
void* __stdcall QuillonLog_CallExceptObject(const void* exceptionRecord, const void* contextRecord,
                                            uint8_t notify);
void __stdcall QuillonLog_CallGeneralRaise(uint32_t code, uint32_t flags, uint32_t argCount,
                                           void* raiseStackPointer, const uintptr_t* args);

void __stdcall QuillonLog_ExceptionNotifyEvent(const TExceptNotifyParams* params, uint8_t* handle);
void __stdcall QuillonLog_ExceptionActionNotifyEvent(const TExceptNotifyParams* params, int32_t action,
                                                     uint8_t* execute);
void __stdcall QuillonLog_ExceptionErrorNotifyEvent(const TExceptNotifyParams* params, int32_t errorCode,
                                                    uint8_t* retry);
void __stdcall QuillonLog_CustomDataRequestEvent(const TExceptNotifyParams* params,
                                                 std::vector<std::string>* lines);
void __stdcall QuillonLog_AttachedFilesRequestEvent(const TExceptNotifyParams* params,
                                                    std::vector<std::string>* files);
void __stdcall QuillonLog_CustomFieldsRequestEvent(const TExceptNotifyParams* params,
                                                   std::vector<std::string>* fields);
// buffer: a short string (length byte, then at most 255 characters) of size bytes.
void __stdcall QuillonLog_PasswordRequestEvent(char* buffer, int32_t size);
void __stdcall QuillonLog_PasswordRequestEventEx(const TExceptNotifyParams* params, char* buffer,
                                                 int32_t size);
}
