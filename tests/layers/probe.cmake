# Builds the include probes (cmake -P): every target in BUILDS must compile; every PROBE=HEADER in
# FAILS must fail because the compiler does not find HEADER, included by the probe itself (a
# header found but failing inside does not count). Prints one line per probe. BUILDS and FAILS
# come comma-separated.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" BUILDS "${BUILDS}")
string(REPLACE "," ";" FAILS "${FAILS}")

# Builds targets, going on past failures; gives the exit code and all output.
function(build targets code_var output_var)
    if(GENERATOR STREQUAL "Ninja")
        set(keep_going -- -k 0)
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${targets} ${keep_going}
                    RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE output)
    set(${code_var} ${code} PARENT_SCOPE)
    set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

build("${BUILDS}" code output)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "headers that must compile do not:\n${output}")
endif()
foreach(probe IN LISTS BUILDS)
    message("compiles: ${probe}")
endforeach()

set(probes)
foreach(entry IN LISTS FAILS)
    string(REGEX REPLACE "=.*" "" probe ${entry})
    list(APPEND probes ${probe})
endforeach()
build("${probes}" code output)
set(wrong 0)
foreach(entry IN LISTS FAILS)
    string(REGEX MATCH "^([^=]*)=(.*)$" ignored ${entry})
    set(probe ${CMAKE_MATCH_1})
    set(file ${CMAKE_MATCH_2})
    string(REGEX REPLACE "([.+])" "\\\\\\1" header ${file})
    # GCC and Clang "probe.cpp:1:10: fatal error: ...", MSVC "probe.cpp(1): fatal error C1083: ...".
    if(output MATCHES "${probe}\\.cpp[:(]1[^\n]*error[^\n]*${header}'?:? (No such file|file not found)")
        message("not found, as it must be: ${CMAKE_MATCH_0}")
    else()
        message("COMPILES OR FAILS OTHERWISE: ${probe} (${file})")
        set(wrong 1)
    endif()
endforeach()
if(wrong)
    message(FATAL_ERROR "some headers are reachable where they must not be:\n${output}")
endif()
