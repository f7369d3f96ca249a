# Small helpers that keep the per-folder CMakeLists short.
#
#   nv_library(name [WIN32_ONLY] SOURCES ... [DEPS ...])
#     A static library. Portable libraries build in both trees; WIN32_ONLY ones only in
#     the Windows tree.
#   nv_test(name [WIN32_ONLY|HOST_ONLY] SOURCES ... [DEPS ...] [TIMEOUT s])
#     A GoogleTest executable registered with ctest. Host tests run natively, Windows
#     tests under Wine (the toolchain's emulator).

function(nv_library name)
  cmake_parse_arguments(A "WIN32_ONLY" "" "SOURCES;DEPS" ${ARGN})
  if(A_WIN32_ONLY AND NOT NV_WIN32)
    return()
  endif()
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(A_DEPS)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  endif()
endfunction()

function(nv_test name)
  cmake_parse_arguments(A "WIN32_ONLY;HOST_ONLY" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  if(A_WIN32_ONLY AND NOT NV_WIN32)
    return()
  endif()
  if(A_HOST_ONLY AND NV_WIN32)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    NV_SOURCE_DIR="${PROJECT_SOURCE_DIR}" NV_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT}
    ENVIRONMENT "NV_SOURCE_DIR=${PROJECT_SOURCE_DIR};NV_BINARY_DIR=${PROJECT_BINARY_DIR}")
  if(NV_WIN32)
    # Deferred, so that a folder can ask for its own variant first.
    cmake_language(EVAL CODE "cmake_language(DEFER CALL nv_embed_debug_info [[${name}]])")
    set_property(TEST ${name} PROPERTY LABELS win32)
  else()
    set_property(TEST ${name} PROPERTY LABELS host)
  endif()
endfunction()

# nv_fuzzer(name SOURCES ... DEPS ... CORPUS dir)
#   Host only. With NV_FUZZ (clang) a libFuzzer binary; always a replay test that runs the
#   saved corpus through the same entry point, so CI checks the corpus on every build.
function(nv_fuzzer name)
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  if(NV_WIN32)
    return()
  endif()
  if(NV_FUZZ)
    add_executable(${name} ${A_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${A_DEPS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  endif()
  add_executable(${name}_replay ${A_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
  target_link_libraries(${name}_replay PRIVATE ${A_DEPS})
  target_include_directories(${name}_replay PRIVATE ${PROJECT_SOURCE_DIR}/src)
  add_test(NAME ${name}_replay COMMAND ${name}_replay ${A_CORPUS})
  set_tests_properties(${name}_replay PROPERTIES LABELS host TIMEOUT 300)
endfunction()
