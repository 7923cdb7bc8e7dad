# Builds the demo database from its script: into a new file first, so that a failing script
# leaves no half-made database behind.
if(NOT SQLITE3)
    message(FATAL_ERROR "The sqlite3 command-line tool is missing (scripts/setup installs it)")
endif()
file(REMOVE "${DATABASE}.new")
execute_process(COMMAND "${SQLITE3}" -bail "${DATABASE}.new" ".read ${SCRIPT}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE "${DATABASE}.new")
    message(FATAL_ERROR "${SCRIPT} failed")
endif()
file(RENAME "${DATABASE}.new" "${DATABASE}")
