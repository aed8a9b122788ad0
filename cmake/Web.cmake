# The browser edition (web/), built with Debian's emscripten when it is
# installed: build/web/oxeln.html. It has a CMake project of its own, run
# through emcmake, since it needs another compiler.
find_program(OXELN_EMCMAKE emcmake)
if(NOT OXELN_EMCMAKE)
    message(STATUS "Browser edition left out: emscripten (emcmake) not found")
    return()
endif()
include(ExternalProject)

# Debian's emscripten cache is read-only: a writable one in the build tree
# that links its prebuilt system libraries (the cache is frozen, nothing is
# ever built into it).
set(OXELN_EM_CACHE ${CMAKE_BINARY_DIR}/web-core/em-cache)
set(OXELN_EM_SYSTEM_CACHE /usr/share/emscripten/cache)
file(MAKE_DIRECTORY ${OXELN_EM_CACHE})
if(EXISTS ${OXELN_EM_SYSTEM_CACHE}/sysroot AND NOT EXISTS ${OXELN_EM_CACHE}/sysroot)
    file(CREATE_LINK ${OXELN_EM_SYSTEM_CACHE}/sysroot ${OXELN_EM_CACHE}/sysroot SYMBOLIC)
    file(COPY ${OXELN_EM_SYSTEM_CACHE}/sysroot_install.stamp DESTINATION ${OXELN_EM_CACHE})
endif()
# Debian's emscripten runs its JavaScript tools with node and finds their
# packages (acorn) in /usr/share/nodejs, which a node from elsewhere does
# not search by itself.
set(OXELN_EM_ENV ${CMAKE_COMMAND} -E env EM_CACHE=${OXELN_EM_CACHE} NODE_PATH=/usr/share/nodejs)

set(OXELN_WEB_PAGE ${CMAKE_BINARY_DIR}/web/oxeln.html)
ExternalProject_Add(oxeln_web
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/web
    BINARY_DIR ${CMAKE_BINARY_DIR}/web-core
    CONFIGURE_COMMAND ${OXELN_EM_ENV} ${OXELN_EMCMAKE} ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR>
        -G ${CMAKE_GENERATOR} -DCMAKE_BUILD_TYPE=MinSizeRel -DOXELN_WEB_OUT=${CMAKE_BINARY_DIR}/web
    BUILD_COMMAND ${OXELN_EM_ENV} ${CMAKE_COMMAND} --build <BINARY_DIR>
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${OXELN_WEB_PAGE}
    USES_TERMINAL_BUILD ON)
