# Cross-builds for 64-bit Windows with Debian's MinGW-w64 and a static Qt built for it.
#
# Qt comes from QT_MINGW_PREFIX (a CMake or environment variable) when that is set.
# Otherwise the ready-built archive qt6-mingw-6.4.2.tar.xz is looked for in a folder
# shared/windows/ beside the checkout (or beside one of its parent folders) and
# unpacked once into a cache folder, ${XDG_CACHE_HOME:-~/.cache}/mochiten/, where
# every build folder and worktree finds it. `make windows-qt` builds that archive
# from Debian's Qt source instead.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(qt_mingw_name qt6-mingw-6.4.2)
if(NOT QT_MINGW_PREFIX AND DEFINED ENV{QT_MINGW_PREFIX})
    set(QT_MINGW_PREFIX "$ENV{QT_MINGW_PREFIX}")
endif()
if(NOT QT_MINGW_PREFIX)
    if(DEFINED ENV{XDG_CACHE_HOME} AND IS_ABSOLUTE "$ENV{XDG_CACHE_HOME}")
        set(qt_mingw_cache "$ENV{XDG_CACHE_HOME}/mochiten")
    else()
        set(qt_mingw_cache "$ENV{HOME}/.cache/mochiten")
    endif()
    set(QT_MINGW_PREFIX "${qt_mingw_cache}/${qt_mingw_name}")
    if(NOT EXISTS "${QT_MINGW_PREFIX}/lib/cmake/Qt6/Qt6Config.cmake")
        # CMAKE_CURRENT_LIST_DIR is cmake/ of the checkout.
        get_filename_component(dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
        set(archive "")
        while(NOT archive AND NOT dir STREQUAL "/")
            get_filename_component(dir "${dir}/.." ABSOLUTE)
            if(EXISTS "${dir}/shared/windows/${qt_mingw_name}.tar.xz")
                set(archive "${dir}/shared/windows/${qt_mingw_name}.tar.xz")
            endif()
        endwhile()
        if(NOT archive)
            message(FATAL_ERROR "No Qt for MinGW-w64: set QT_MINGW_PREFIX to one, put "
                "${qt_mingw_name}.tar.xz into shared/windows/ beside the checkout, "
                "or build it with `make windows-qt` (about an hour).")
        endif()
        # Unpacked beside its final place and then renamed, so that a cut-off
        # unpacking is never taken for a whole one.
        message(STATUS "Unpacking ${archive} into ${qt_mingw_cache}")
        set(partial "${qt_mingw_cache}/unpacking-${qt_mingw_name}")
        file(REMOVE_RECURSE "${partial}")
        file(MAKE_DIRECTORY "${partial}")
        file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${partial}")
        file(REMOVE_RECURSE "${QT_MINGW_PREFIX}")
        file(RENAME "${partial}/${qt_mingw_name}" "${QT_MINGW_PREFIX}")
        file(REMOVE_RECURSE "${partial}")
    endif()
endif()
# try_compile() projects read this file again; they get the prefix from the environment.
set(ENV{QT_MINGW_PREFIX} "${QT_MINGW_PREFIX}")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${QT_MINGW_PREFIX}")
set(CMAKE_PREFIX_PATH "${QT_MINGW_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# moc, uic and rcc are Debian's own (qt6-base-dev-tools), of the same Qt version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# The GCC runtime is not part of Qt: linked in, so that the programs run without DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
