# vek_add_test(NAME <name> SOURCES <files...> [MOUNTS] [CONFIGURATION <c>]): tst_<name>,
# run on the offscreen platform with the scripted adb first on PATH (without a state folder
# it plays an adb with no device), so no test starts the workstation's real adb. MOUNTS
# runs it in a private mount namespace (with a user namespace of its own unless it runs as
# root), where it may mount tmpfs cards nobody else sees; where that is refused the test
# is skipped. CONFIGURATION: only `ctest -C <c>` runs it (a soak, too long for every run).
function(vek_add_test)
    cmake_parse_arguments(ARG "MOUNTS" "NAME;CONFIGURATION" "SOURCES" ${ARGN})
    set(target tst_${ARG_NAME})
    add_executable(${target} ${ARG_SOURCES})
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    target_link_libraries(${target} PRIVATE vekapp vekresources vektestsupport)
    if(TARGET vek-fuse-card)
        add_dependencies(${target} vek-fuse-card)
    endif()
    # A working folder of its own: what one test leaves there never meets another's.
    set(workdir ${CMAKE_CURRENT_BINARY_DIR}/${target}.wd)
    file(MAKE_DIRECTORY ${workdir})
    set(command ${target})
    if(ARG_MOUNTS)
        set(command sh -c "n=$([ \"$(id -u)\" = 0 ] && echo -m || echo -rm) && (unshare $n true || (echo 'no private mount namespace here' && exit 77)) && exec unshare $n \"$@\""
            sh $<TARGET_FILE:${target}>)
    endif()
    if(ARG_CONFIGURATION)
        set(only CONFIGURATIONS ${ARG_CONFIGURATION})
    endif()
    add_test(NAME ${target} COMMAND ${command} ${only})
    set_tests_properties(${target} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PATH=${PROJECT_SOURCE_DIR}/tests/support/fake-adb:$ENV{PATH}"
        TIMEOUT 300 SKIP_RETURN_CODE 77 WORKING_DIRECTORY ${workdir})
endfunction()
