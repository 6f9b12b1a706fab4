# vek_add_test(NAME <name> SOURCES <files...> [MOUNTS] [WINDOW]): tst_<name>, run on the
# offscreen platform with the scripted adb first on PATH (without a state folder it
# plays an adb with no device), so no test starts the workstation's real adb. WINDOW
# links the window; without it a test links the core only, as the command line does.
# MOUNTS runs it in a private mount namespace (with a user namespace of its own unless
# it runs as root), where it may mount tmpfs cards nobody else sees; where that is
# refused the test is skipped. Each test has a working folder of its own, which holds
# its settings, history and cache too (XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME):
# no signing key the user trusts refuses the folders and mirrors the tests serve. Every
# test runs in English, whatever the machine's language, as the texts it checks are.
function(vek_add_test)
    cmake_parse_arguments(ARG "MOUNTS;WINDOW" "NAME" "SOURCES" ${ARGN})
    set(target tst_${ARG_NAME})
    add_executable(${target} ${ARG_SOURCES})
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    if(ARG_WINDOW)
        target_link_libraries(${target} PRIVATE vekapp vekresources vektestsupport ${VEK_QT}::Widgets)
    else()
        target_link_libraries(${target} PRIVATE vekcore vektestsupport)
    endif()
    if(TARGET vek-fuse-card)
        add_dependencies(${target} vek-fuse-card)
    endif()
    set(workdir ${CMAKE_CURRENT_BINARY_DIR}/${target}.wd)
    file(MAKE_DIRECTORY ${workdir})
    set(command ${target})
    if(ARG_MOUNTS)
        set(command sh -c "n=$([ \"$(id -u)\" = 0 ] && echo -m || echo -rm) && (unshare $n true || (echo 'no private mount namespace here' && exit 77)) && exec unshare $n \"$@\""
            sh $<TARGET_FILE:${target}>)
    endif()
    add_test(NAME ${target} COMMAND ${command})
    set_tests_properties(${target} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANGUAGE=;LC_ALL=C.UTF-8;PATH=${PROJECT_SOURCE_DIR}/tests/support/fake-adb:$ENV{PATH};XDG_CONFIG_HOME=${workdir}/config;XDG_DATA_HOME=${workdir}/data;XDG_CACHE_HOME=${workdir}/cache"
        TIMEOUT 300 SKIP_RETURN_CODE 77 WORKING_DIRECTORY ${workdir})
endfunction()
