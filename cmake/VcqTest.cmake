# SPDX-License-Identifier: GPL-3.0-or-later
# vcq_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [TIMEOUT <s>] [LABELS <l...>])
# A Qt Test executable run by CTest offscreen, in its own scratch folder with
# its own XDG folders and a system bus address that leads nowhere, so no test touches the
# user's files, settings or the machine's system bus.
#
# A test that needs more than the build itself carries a CTest label, so that
# a build without those things (the Debian package build) can leave it out
# with `ctest --label-exclude '^(display|servers|tools|package)$'`:
#   display  an X server of its own (Xvfb, openbox, xdotool)
#   servers  servers or daemons it starts (Radicale, Xandikos, dbus-daemon, gnome-keyring)
#   tools    programs the build does not need (validators, man, other address books)
#   package  builds the Debian package (a whole second build; `make asan` skips it)
# A test without a label must pass offscreen with only the build dependencies.
function(vcq_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test vcq_test_common ${T_LIBS})
    set(scratch ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}.home)
    add_test(NAME ${T_NAME}
             COMMAND ${CMAKE_COMMAND} -E env
                     QT_QPA_PLATFORM=offscreen
                     XDG_CONFIG_HOME=${scratch}/config
                     XDG_DATA_HOME=${scratch}/data
                     HOME=${scratch}
                     DBUS_SYSTEM_BUS_ADDRESS=unix:path=${scratch}/no-system-bus
                     $<TARGET_FILE:${T_NAME}>
             WORKING_DIRECTORY ${scratch})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
    file(MAKE_DIRECTORY ${scratch}/config ${scratch}/data)
endfunction()
