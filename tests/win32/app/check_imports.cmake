# netvosk.exe must need no DLL beyond those of Windows itself (the runtime is linked in).
#   cmake -DEXE=netvosk.exe -DOBJDUMP=objdump -P check_imports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
set(allowed kernel32.dll user32.dll gdi32.dll comctl32.dll shell32.dll advapi32.dll msvcrt.dll
            ole32.dll oleaut32.dll comdlg32.dll version.dll ws2_32.dll wsock32.dll)
foreach(line ${lines})
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" dll)
  list(FIND allowed ${dll} found)
  if(found EQUAL -1)
    message(FATAL_ERROR "netvosk.exe imports ${dll}, which Windows does not ship")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
