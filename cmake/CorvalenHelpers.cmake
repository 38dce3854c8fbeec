# Shared build settings: warnings for every target, and GUI tests on the offscreen platform.

function(corvalen_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# corvalen_library(name SOURCES ... LIBS ...): one static library per source folder.
function(corvalen_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    corvalen_warnings(${name})
endfunction()

# The sanitizers' options for a test of a CORVALEN_SANITIZE build, none otherwise.
function(corvalen_sanitizer_environment out)
    set(environment "")
    if(CORVALEN_SANITIZE)
        list(APPEND environment
            "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1"
            "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
            "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/sanitizer-leaks.supp:print_suppressions=0")
    endif()
    set(${out} ${environment} PARENT_SCOPE)
endfunction()

# corvalen_test(tst_name SOURCES ... LIBS ...): a Qt Test executable run by ctest on the
# offscreen platform, so it needs no display.
function(corvalen_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test corvalen_testgui ${ARG_LIBS})
    corvalen_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    corvalen_sanitizer_environment(environment)
    list(APPEND environment "QT_QPA_PLATFORM=offscreen")
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${environment}"
        TIMEOUT 300)
endfunction()

# corvalen_on_server(tst_name): runs a test that touches the database a second time, as
# tst_name_postgres, on the run's private PostgreSQL server (tests/support/server.h).
function(corvalen_on_server name)
    add_test(NAME ${name}_postgres COMMAND ${name})
    corvalen_sanitizer_environment(environment)
    list(APPEND environment "QT_QPA_PLATFORM=offscreen" "CORVALEN_TEST_ENGINE=postgres")
    set_tests_properties(${name}_postgres PROPERTIES
        ENVIRONMENT "${environment}"
        FIXTURES_REQUIRED test_server
        TIMEOUT 300)
endfunction()

# corvalen_pkg(PREFIX module): an imported target PkgConfig::PREFIX whose link line is the one
# the library's own pkg-config file declares. pkg-config lists the libraries of its
# dependencies too; when one of them is not installed, CMake would pass a bare -lname and the
# link would fail much later, so configuring stops here, naming the missing library.
function(corvalen_pkg prefix module)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(${prefix} REQUIRED IMPORTED_TARGET ${module})
    set(missing "")
    foreach(lib IN LISTS ${prefix}_LIBRARIES)
        if(NOT pkgcfg_lib_${prefix}_${lib})
            list(APPEND missing ${lib})
        endif()
    endforeach()
    if(missing)
        message(FATAL_ERROR "${module} declares libraries that are not installed: ${missing}. "
                            "Install their development packages (scripts/install-deps.sh).")
    endif()
endfunction()

# corvalen_plain_library(NAME header library): an imported target Corvalen::NAME for a library
# that ships no pkg-config or CMake file (only a header and a shared library).
function(corvalen_plain_library name header library)
    find_path(${name}_INCLUDE_DIR ${header} REQUIRED)
    find_library(${name}_LIBRARY ${library} REQUIRED)
    add_library(Corvalen::${name} UNKNOWN IMPORTED)
    set_target_properties(Corvalen::${name} PROPERTIES
        IMPORTED_LOCATION "${${name}_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${${name}_INCLUDE_DIR}")
endfunction()

# corvalen_screen_reader_test(tst_name): runs a test a second time as under a screen reader
# (tests/screen_reader_run.sh: X, an accessibility bus and Qt's bridge on), where item views
# query their models from accessibility updates. Skipped where those tools are missing.
function(corvalen_screen_reader_test name)
    add_test(NAME ${name}_screen_reader
             COMMAND ${PROJECT_SOURCE_DIR}/tests/screen_reader_run.sh $<TARGET_FILE:${name}>)
    corvalen_sanitizer_environment(environment)
    set_tests_properties(${name}_screen_reader PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600
                                                          ENVIRONMENT "${environment}")
endfunction()
