# SPDX-License-Identifier: GPL-3.0-or-later
# vcq_add_test(NAME <name> SOURCES <files...> LIBS <targets...>)
# A Qt Test executable run by CTest offscreen, in its own scratch folder with
# its own XDG folders and a system bus address that leads nowhere, so no test touches the
# user's files, settings or the machine's system bus.
function(vcq_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
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
    file(MAKE_DIRECTORY ${scratch}/config ${scratch}/data)
endfunction()
