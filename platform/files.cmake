# Files: the executable's location, directory search and binary reads.
add_library(zelvane_platform_files STATIC
    ${CMAKE_CURRENT_LIST_DIR}/files/utf.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files/executable_path.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files/file_find.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files/binary_file.cpp
)
target_include_directories(zelvane_platform_files PUBLIC ${PROJECT_SOURCE_DIR})
