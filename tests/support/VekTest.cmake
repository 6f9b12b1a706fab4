# vek_add_test(NAME <name> SOURCES <files...> [LIBS <libs...>] [LABELS <labels...>]
#              [ENV <VAR=value...>] [TIMEOUT <seconds>])
#
# Builds tst_<name> against the product library and the test support library
# and registers it with CTest under the same name. Every test runs on the
# offscreen platform, with the scripted adb first on PATH: without a state
# directory it plays an adb with no device attached, so that no test ever starts
# the workstation's real adb or stops a server someone else is using. ENV entries
# are appended.
function(vek_add_test)
    cmake_parse_arguments(ARG "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
    if(NOT ARG_NAME OR NOT ARG_SOURCES)
        message(FATAL_ERROR "vek_add_test needs NAME and SOURCES")
    endif()
    set(target tst_${ARG_NAME})

    add_executable(${target} ${ARG_SOURCES})
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    target_link_libraries(${target} PRIVATE vekcore vekresources)
    target_link_libraries(${target} PRIVATE vektestsupport ${VEK_QT}::Test ${VEK_QT}::Widgets ${VEK_QT}::Network
                          ${ARG_LIBS})

    # A directory of its own, so that files a test leaves in its working
    # directory never meet another test's when CTest runs them in parallel.
    set(workdir ${CMAKE_CURRENT_BINARY_DIR}/${target}.wd)
    file(MAKE_DIRECTORY ${workdir})
    add_test(NAME ${target} COMMAND ${target})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${target} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PATH=${PROJECT_SOURCE_DIR}/tests/support/fake-adb:$ENV{PATH};${ARG_ENV}"
        TIMEOUT ${ARG_TIMEOUT}
        WORKING_DIRECTORY ${workdir})
    if(ARG_LABELS)
        set_tests_properties(${target} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
