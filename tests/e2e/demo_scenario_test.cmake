# Runs zelvane-demo headless with one scenario and fails unless it exits 0 and printed what shows
# that the scenario really ran. Arguments (-D): DEMO, the program; SCENARIO, full or
# close-during-transfer; PICTURES, for full, a folder for the pictures (emptied first);
# READER_GONE, when set: the output goes to a reader that takes its first line and exits, and the
# program must still see every outcome (its exit code tells) instead of dying of SIGPIPE.
cmake_minimum_required(VERSION 3.25)

if(READER_GONE)
    execute_process(COMMAND "${DEMO}" --headless --scenario ${SCENARIO}
        COMMAND head -n 1
        RESULTS_VARIABLE exit_codes OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    message("${output}")
    list(GET exit_codes 0 exit_code)
    if(NOT exit_code STREQUAL "0")
        message(FATAL_ERROR "zelvane-demo, its reader gone, ended with '${exit_code}', not 0:\n${errors}")
    endif()
    return()
endif()

set(arguments --headless --scenario ${SCENARIO})
if(SCENARIO STREQUAL "full")
    file(REMOVE_RECURSE "${PICTURES}")
    list(APPEND arguments --screenshots "${PICTURES}")
    set(required_lines
        "text: Wait Connect.."
        "text: Success!!"
        "text: Connection Error!!"
        "text: Cannot find the DB file!!"
        "scenario full passed: every expected outcome was seen")
else()
    set(required_lines
        "scenario close-during-transfer passed"
        "the main window closed during the transfer")
endif()

execute_process(COMMAND "${DEMO}" ${arguments}
    RESULT_VARIABLE exit_code OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}")
if(errors)
    message("standard error:\n${errors}")
endif()

list(JOIN arguments " " shown_arguments)
if(NOT exit_code STREQUAL "0")
    message(FATAL_ERROR "zelvane-demo ${shown_arguments} ended with '${exit_code}', not 0")
endif()
foreach(line IN LISTS required_lines)
    string(FIND "${output}" "${line}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "zelvane-demo printed no line with '${line}'")
    endif()
endforeach()

# Every picture it reports must be a PNG file.
string(REGEX MATCHALL "screenshot: [^\n]+" reported "${output}")
if(SCENARIO STREQUAL "full" AND NOT reported)
    message(FATAL_ERROR "zelvane-demo reported no picture")
endif()
foreach(entry IN LISTS reported)
    string(REPLACE "screenshot: " "" path "${entry}")
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "reported picture missing: ${path}")
    endif()
    file(READ "${path}" signature LIMIT 8 HEX)
    if(NOT signature STREQUAL "89504e470d0a1a0a")
        message(FATAL_ERROR "reported picture is not a PNG file: ${path}")
    endif()
endforeach()
