# netvosk.exe exports exactly the reporter's fourteen entries, nothing more.
#   cmake -DEXE=netvosk.exe -DOBJDUMP=objdump -P check_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${EXE}")
endif()
# The name table runs from its heading to the next empty line.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at EQUAL -1)
  message(FATAL_ERROR "netvosk.exe exports nothing")
endif()
string(SUBSTRING "${dump}" ${at} -1 table)
string(FIND "${table}" "\n\n" end)
string(SUBSTRING "${table}" 0 ${end} table)
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_0-9@]+" entries "${table}")
set(names "")
foreach(e ${entries})
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" n "${e}")
  list(APPEND names ${n})
endforeach()
list(SORT names)
set(expected ExceptionManager QuillonLog_AttachedFilesRequestEvent QuillonLog_CallCreateThread
    QuillonLog_CallExceptObject QuillonLog_CallExitThread QuillonLog_CallGeneralRaise QuillonLog_CallResumeThread
    QuillonLog_CustomDataRequestEvent QuillonLog_CustomFieldsRequestEvent QuillonLog_ExceptionActionNotifyEvent
    QuillonLog_ExceptionErrorNotifyEvent QuillonLog_ExceptionNotifyEvent QuillonLog_PasswordRequestEvent
    QuillonLog_PasswordRequestEventEx)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "netvosk.exe exports:\n  ${names}\nexpected:\n  ${expected}")
endif()
list(LENGTH names count)
message(STATUS "exports the ${count} reporter entries")
