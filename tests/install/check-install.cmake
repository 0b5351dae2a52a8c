# Runs the install rules of the build in BUILD_DIR into the scratch folder
# PREFIX and checks what arrives: the three programs, a menu entry that
# desktop-file-validate accepts and that starts the installed program, and
# the icon at every size its folder names.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}): ${errors}")
endif()

foreach(program veltrin veltrin-cli veltrin-hostsim)
    if(NOT EXISTS "${PREFIX}/bin/${program}" OR IS_DIRECTORY "${PREFIX}/bin/${program}")
        message(FATAL_ERROR "bin/${program} was not installed")
    endif()
endforeach()

set(entry "${PREFIX}/share/applications/veltrin.desktop")
execute_process(COMMAND desktop-file-validate "${entry}" RESULT_VARIABLE result OUTPUT_VARIABLE report
    ERROR_VARIABLE report)
if(NOT result EQUAL 0 OR NOT report STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate ${entry} (${result}): ${report}")
endif()
file(STRINGS "${entry}" lines)
foreach(expected "Exec=veltrin" "Icon=veltrin" "Name=Veltrin" "Categories=Utility;")
    if(NOT expected IN_LIST lines)
        message(FATAL_ERROR "${entry} lacks the line ${expected}")
    endif()
endforeach()
list(FILTER lines INCLUDE REGEX "^(Name|Comment)\\[zh_CN\\]=")
list(LENGTH lines chinese)
if(NOT chinese EQUAL 2)
    message(FATAL_ERROR "${entry} lacks its Chinese name or comment")
endif()

# A PNG file starts with its 8-byte signature and the IHDR chunk: length,
# type, then width and height as 32-bit big-endian numbers.
foreach(size 32 48 64 128 256)
    set(icon "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/veltrin.png")
    if(NOT EXISTS "${icon}")
        message(FATAL_ERROR "${icon} was not installed")
    endif()
    file(READ "${icon}" header LIMIT 24 HEX)
    string(SUBSTRING "${header}" 0 16 signature)
    string(SUBSTRING "${header}" 32 8 width)
    string(SUBSTRING "${header}" 40 8 height)
    math(EXPR width "0x${width}")
    math(EXPR height "0x${height}")
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size OR NOT height EQUAL size)
        message(FATAL_ERROR "${icon} is not a ${size} x ${size} PNG picture (${width} x ${height})")
    endif()
endforeach()
