# Files: the executable's location, directory search, binary reads and the report's output.
add_library(zelvane_platform_files STATIC
    ${CMAKE_CURRENT_LIST_DIR}/files/utf.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files/executable_path.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files/file_find.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files/upcase_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files/binary_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files/fd_output.cpp
)
target_include_directories(zelvane_platform_files PUBLIC ${PROJECT_SOURCE_DIR})
