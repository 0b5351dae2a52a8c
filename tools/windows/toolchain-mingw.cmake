# CMake toolchain file: Windows x86_64 with Debian's MinGW-w64 GCC (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_SYSTEM_VERSION 10.0)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   /usr/bin/${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER  /usr/bin/${_mingw}-windres)
set(CMAKE_AR           /usr/bin/${_mingw}-ar      CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${_mingw}-ranlib  CACHE FILEPATH "")
set(CMAKE_NM           /usr/bin/${_mingw}-nm      CACHE FILEPATH "")
set(CMAKE_OBJCOPY      /usr/bin/${_mingw}-objcopy CACHE FILEPATH "")
set(CMAKE_OBJDUMP      /usr/bin/${_mingw}-objdump CACHE FILEPATH "")
set(CMAKE_STRIP        /usr/bin/${_mingw}-strip   CACHE FILEPATH "")
set(CMAKE_DLLTOOL      /usr/bin/${_mingw}-dlltool CACHE FILEPATH "")

# Target libraries/headers/packages come only from the MinGW sysroot and the
# cross-built Qt prefix; programs (moc, rcc, uic ...) come from the host.
# The cross-built Qt: cross-build.sh passes the one it found, build-qt-mingw.sh the one it
# builds (whose qt-cmake later brings its own prefix). CMake's own checks, which run in projects
# of their own (try_compile), are given it too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QT_MINGW_PREFIX)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_mingw})
if(QT_MINGW_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${QT_MINGW_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${QT_MINGW_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host Qt (same version, 6.4.2) that provides moc/rcc/uic for the cross build.
if(NOT DEFINED QT_HOST_PATH)
  set(QT_HOST_PATH /usr CACHE PATH "Host Qt prefix")
endif()
if(NOT DEFINED QT_HOST_PATH_CMAKE_DIR)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Host Qt CMake dir")
endif()

# The host rcc (Debian's) compresses with zstd; this QtCore has no zstd, so resources compressed
# that way need qResourceFeatureZstd(), which the Windows Qt6Core.dll lacks (a link error).
set(CMAKE_AUTORCC_OPTIONS --no-zstd)
