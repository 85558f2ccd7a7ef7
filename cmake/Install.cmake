# Installation and the Debian package: programs, the data folder (decks and profiles), manual
# pages, the desktop entry and its icon in the usual places; `cpack -G DEB` builds the package.
include(GNUInstallDirs)

install(TARGETS lumetra2-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The programs read this folder read-only and copy it into a per-user working directory.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lumetra2
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${PROJECT_SOURCE_DIR}/man/lumetra2-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET lumetra2)
    install(TARGETS lumetra2 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/man/lumetra2.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumetra2.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumetra2.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_PACKAGE_NAME lumetra2)
set(CPACK_PACKAGE_VENDOR "The Lumetra developers")
set(CPACK_PACKAGE_CONTACT "The Lumetra developers <lumetra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Benchmark suite: molecular dynamics, Orbitra, memory, STREAM, BLAS and cipher")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library dependencies (Qt, OpenGL, the C++ runtime) are read from the programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Lumetra 2.0 measures the processor, its caches and memory with scientific and technical
workloads and turns each figure into a sub-score against a reference machine. lumetra2 is the
Qt program with its window, lumetra2-cli the same suite without one.")
# Only the programs and their data: the test and benchmark programs stay in the build tree.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/")
include(CPack)
