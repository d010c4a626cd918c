# Windows and drawing: the toolkit-neutral framework layer (window objects, device contexts),
# and the Qt 6 backend chosen for this build.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets)

add_library(zelvane_platform_window_core STATIC
    window/gdi.cpp
    window/dc.cpp
    window/gdi_objects.cpp
    window/paint_dc.cpp
    window/native_window.cpp
    window/wnd.cpp
)
target_include_directories(zelvane_platform_window_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zelvane_platform_window_core PUBLIC zelvane_platform_files Threads::Threads)

add_library(zelvane_platform_window STATIC
    qt/qt_context.cpp
    qt/qt_window.cpp
    qt/sys_color.cpp
    qt/qt_icons.cpp
    qt/qt_dialog_widget.cpp
    qt/qt_dialog.cpp
)
target_link_libraries(zelvane_platform_window
    PUBLIC zelvane_platform_window_core Qt6::Core Qt6::Gui Qt6::Widgets)
