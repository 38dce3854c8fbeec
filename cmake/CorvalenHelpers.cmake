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

# corvalen_test(tst_name SOURCES ... LIBS ...): a Qt Test executable run by ctest on the
# offscreen platform, so it needs no display.
function(corvalen_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test corvalen_testsupport ${ARG_LIBS})
    corvalen_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        TIMEOUT 300)
endfunction()
