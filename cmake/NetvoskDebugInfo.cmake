# nv_embed_debug_info(target [KEEP_UNSTRIPPED])
#   Windows tree only. After linking, the host tool dbginfo turns the executable's DWARF line
#   tables and symbols into the program's own compressed debug information, strips the
#   .debug_* sections and appends the block. KEEP_UNSTRIPPED leaves the linked file beside it
#   as <name>.full.exe (for the tests that compare with the binary tools).
set(NV_DBGINFO_TOOL "${NV_HOST_TOOLS_DIR}/dbginfo/dbginfo")
function(nv_embed_debug_info target)
  cmake_parse_arguments(A "KEEP_UNSTRIPPED" "" "" ${ARGN})
  if(NOT NV_WIN32)
    return()
  endif()
  get_property(done TARGET ${target} PROPERTY NV_DEBUG_INFO_EMBEDDED)
  if(done)
    return()
  endif()
  set_property(TARGET ${target} PROPERTY NV_DEBUG_INFO_EMBEDDED TRUE)
  if(NOT EXISTS ${NV_DBGINFO_TOOL})
    # Without the block the reporter's call stacks have no source lines: say so loudly, and
    # build the host tree first (scripts/build does) and configure again.
    message(WARNING "dbginfo not built yet (${NV_DBGINFO_TOOL}): ${target} gets no debug "
                    "information block; build the host tools, then configure this tree again")
    return()
  endif()
  set(keep)
  if(A_KEEP_UNSTRIPPED)
    set(keep --keep $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.full.exe)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${NV_DBGINFO_TOOL} embed $<TARGET_FILE:${target}> --root ${PROJECT_SOURCE_DIR} ${keep}
    VERBATIM)
endfunction()
