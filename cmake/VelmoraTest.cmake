# velmora_test(<name> LABELS <label>... SOURCES <file>... LIBS <target>... [QT])
#
# One ctest test per executable; the labels say what the test needs (core, gui, sqlite, postgres,
# freetds). QT tests get a main that creates an offscreen QApplication. FIXTURES names the
# ctest fixtures a test needs: postgres_server (tests/support/PostgresServer.h), tds_server
# (tests/support/TdsServer.h).
function(velmora_test name)
    cmake_parse_arguments(T "QT" "" "LABELS;SOURCES;LIBS;FIXTURES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    if(T_QT)
        target_link_libraries(${name} PRIVATE velmora_qt_test_main ${T_LIBS})
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main ${T_LIBS})
    endif()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock velmora_test_support)
    add_test(NAME ${name} COMMAND ${name})
    # Where the fixtures' servers are (tests/support/PostgresServer.h, TdsServer.h).
    set(fixtures "VELMORA_PG_FIXTURE_DIR=${VELMORA_PG_FIXTURE_DIR}")
    list(APPEND fixtures "VELMORA_TDS_FIXTURE_DIR=${VELMORA_TDS_FIXTURE_DIR}")
    list(APPEND fixtures "VELMORA_TDS_SERVER=${VELMORA_TDS_SERVER}")
    set_tests_properties(${name} PROPERTIES
        LABELS "${T_LABELS}"
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELMORA_SOURCE_DIR=${PROJECT_SOURCE_DIR};${fixtures}")
    if(T_FIXTURES)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
endfunction()
