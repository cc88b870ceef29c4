# Checks, without running anything under Wine, that every test of a Windows
# build is run through cmake/wine-run, and that the wrapper refuses to run a
# program when no Wine is found. A build configured with a toolchain file that
# looked for Wine itself would run the .exe files as shell scripts on a machine
# where Wine was installed only later.
# Usage: cmake -DBUILD=<Windows build folder> -P cmake/check-emulator.cmake
if(NOT BUILD)
  message(FATAL_ERROR "usage: cmake -DBUILD=<Windows build folder> -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
set(wrapper ${CMAKE_CURRENT_LIST_DIR}/wine-run)

execute_process(COMMAND ${CMAKE_CTEST_COMMAND} --show-only=json-v1
                WORKING_DIRECTORY ${BUILD} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ctest could not list the tests of ${BUILD}")
endif()
string(JSON count LENGTH "${listing}" tests)
if(count EQUAL 0)
  message(FATAL_ERROR "${BUILD} holds no tests: is it a configured Windows build?")
endif()
math(EXPR last "${count} - 1")
set(wrong "")
# The PostgreSQL server the Windows tests talk to runs here, not under Wine, and
# the certificates of their encrypted links are made here.
get_filename_component(server_script "${CMAKE_CURRENT_LIST_DIR}/../scripts/test-server" REALPATH)
get_filename_component(certificates_script "${CMAKE_CURRENT_LIST_DIR}/../tests/support/make-certificates" REALPATH)
set(servers 0)
foreach(index RANGE ${last})
  string(JSON name GET "${listing}" tests ${index} name)
  # CTest lists no command for a test whose program it cannot find.
  string(JSON program ERROR_VARIABLE missing GET "${listing}" tests ${index} command 0)
  if(missing)
    set(program "no program (is the build made?)")
  else()
    get_filename_component(program "${program}" REALPATH)
  endif()
  get_filename_component(expected "${wrapper}" REALPATH)
  if(program STREQUAL server_script OR program STREQUAL certificates_script)
    math(EXPR servers "${servers} + 1")
  elseif(NOT program STREQUAL expected)
    string(APPEND wrong "\n  ${name}: ${program}")
  endif()
endforeach()
if(wrong)
  message(FATAL_ERROR "These tests of ${BUILD} are not run through ${wrapper}, so not under Wine:${wrong}\n"
                      "Configure the build again (scripts/windows-build).")
endif()

# With nothing on the path, the wrapper must fail and say why.
execute_process(COMMAND ${CMAKE_COMMAND} -E env PATH=/nonexistent ${wrapper} quorvex.exe
                RESULT_VARIABLE status ERROR_VARIABLE said OUTPUT_QUIET)
if(NOT status EQUAL 127 OR NOT said MATCHES "Wine is not installed")
  message(FATAL_ERROR "${wrapper} without Wine ended with '${status}' and said '${said}'")
endif()
math(EXPR programs "${count} - ${servers}")
message(STATUS "All ${programs} tests of ${BUILD} run under Wine through ${wrapper} (and ${servers} make their "
               "certificates, start and stop their PostgreSQL server here); without Wine it refuses")
