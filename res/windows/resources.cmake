# How the Windows program's resources are generated, shared by the Windows build (which compiles
# them) and the Linux build (whose tests check them).

set(ZELVANE_RES_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(ZELVANE_RES_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
# The generators are programs, not data: they live with the other tools.
set(ZELVANE_RES_TOOLS_DIR ${ZELVANE_RES_ROOT}/tools/resources)

# The program icon, zelvane.ico in `out_dir`, from the PNG images of res/icons/; sets
# `<out_var>` to its path. Needs python3 (standard library only).
function(zelvane_generate_icon out_dir out_var)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set(icons ${ZELVANE_RES_ROOT}/res/icons)
    set(sources ${icons}/zelvane-48.png ${icons}/zelvane-32.png ${icons}/zelvane-16.png)
    add_custom_command(OUTPUT ${out_dir}/zelvane.ico
        COMMAND Python3::Interpreter ${ZELVANE_RES_TOOLS_DIR}/make_ico.py
                ${out_dir}/zelvane.ico ${sources}
        DEPENDS ${ZELVANE_RES_TOOLS_DIR}/make_ico.py ${sources}
        COMMENT "Generating the Windows program icon"
        VERBATIM)
    set(${out_var} ${out_dir}/zelvane.ico PARENT_SCOPE)
endfunction()

# zelvane.manifest in `out_dir` for the processor architecture `arch` (x86 or amd64).
function(zelvane_generate_manifest out_dir arch)
    set(ZELVANE_MANIFEST_ARCH ${arch})
    configure_file(${ZELVANE_RES_WINDOWS_DIR}/zelvane.manifest.in ${out_dir}/zelvane.manifest
        @ONLY NEWLINE_STYLE CRLF)
endfunction()

# The sources of the tool that writes the dialog templates and the string table as resource
# script, from the descriptions the Linux build uses.
set(ZELVANE_DIALOG_SCRIPT_SOURCES
    ${ZELVANE_RES_TOOLS_DIR}/dialog_script.cpp
    ${ZELVANE_RES_ROOT}/app/resources.cpp)
set(ZELVANE_DIALOG_SCRIPT_HEADERS
    ${ZELVANE_RES_TOOLS_DIR}/dialog_script.h
    ${ZELVANE_RES_ROOT}/app/resource.h
    ${ZELVANE_RES_ROOT}/platform/window/dialog_template.h
    ${ZELVANE_RES_ROOT}/platform/window/win_types.h)
