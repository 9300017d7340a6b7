# Writes the program's version resource from resources/mochiten.rc.in with the same
# configure_file() the CMake build uses, for builds that run no CMake configure step:
#   cmake -DSOURCE_DIR=<repository> -DVERSION=<a.b.c.d> -DOUTPUT=<file.rc> -P configure_rc.cmake
# VERSION is the one the top-level project() declares; the caller reads it from there.
if(NOT VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "VERSION must have four numbers, like 2.1.0.3; got '${VERSION}'")
endif()
set(PROJECT_VERSION ${VERSION})
set(PROJECT_VERSION_MAJOR ${CMAKE_MATCH_1})
set(PROJECT_VERSION_MINOR ${CMAKE_MATCH_2})
set(PROJECT_VERSION_PATCH ${CMAKE_MATCH_3})
set(PROJECT_VERSION_TWEAK ${CMAKE_MATCH_4})
set(CMAKE_CURRENT_SOURCE_DIR ${SOURCE_DIR}) # the template's icon path is relative to it
configure_file(${SOURCE_DIR}/resources/mochiten.rc.in ${OUTPUT} @ONLY)
