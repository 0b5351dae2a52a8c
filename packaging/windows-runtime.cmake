# What a Windows machine with nothing installed needs to run the programs:
# the Qt DLLs they link, the compiler's runtime DLLs, the platform plugin, the
# style Windows widgets are drawn in, and Qt's own Chinese. The same files go
# into the build's program folder, so that programs and tests run from there
# (under Wine too) exactly as from the installed folder.
set(veltrin_qt_dlls
    $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets> $<TARGET_FILE:Qt6::SerialPort>)
if(MINGW)
    # MinGW's C++ runtime sits beside Qt's DLLs in Qt's bin folder.
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        list(APPEND veltrin_qt_dlls $<TARGET_FILE_DIR:Qt6::Core>/${dll})
    endforeach()
endif()
# Qt looks for its catalogues in translations/ beside Qt6Core.dll when the
# DLL sits beside the program (QLibraryInfo's prefix is then the program's
# folder). The .qm files are the same on every platform: a cross build takes
# Debian's (qt6-translations-l10n), as the Linux build loads.
find_file(VELTRIN_QTBASE_ZH_CN qtbase_zh_CN.qm
    HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS} /usr/share/qt6/translations
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)

install(FILES ${veltrin_qt_dlls} DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES ${VELTRIN_QTBASE_ZH_CN} DESTINATION translations)
# A stripped package strips the DLLs too: MinGW's C++ runtime alone carries
# some 20 MB of debugging information.
if(CMAKE_STRIP)
    foreach(dll IN LISTS veltrin_qt_dlls)
        install(CODE "if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                \"\${CMAKE_INSTALL_PREFIX}/$<PATH:GET_FILENAME,${dll}>\")
        endif()")
    endforeach()
endif()

# The tests also need QtTest and the offscreen platform.
set(veltrin_program_dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
if(NOT veltrin_program_dir)
    set(veltrin_program_dir ${PROJECT_BINARY_DIR})
endif()
add_custom_target(veltrin_windows_runtime ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory
        ${veltrin_program_dir}/platforms ${veltrin_program_dir}/styles ${veltrin_program_dir}/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${veltrin_qt_dlls} $<TARGET_FILE:Qt6::Test> ${veltrin_program_dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
        $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>
        ${veltrin_program_dir}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
        ${veltrin_program_dir}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VELTRIN_QTBASE_ZH_CN} ${veltrin_program_dir}/translations
    VERBATIM)
