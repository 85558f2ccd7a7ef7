# Installation and the Debian packages. `cmake --install` puts the programs, the shipped decks
# and profiles, the manual pages, the bash completion, the desktop entry and its icon in the
# usual places; `cpack -G DEB` builds two packages from the same rules:
#   lumetra2-cli  the program without a window, the data folder and its documentation;
#   lumetra2      the program with its window, its manual page and desktop entry.
# The data folder is about 100 KiB, too small for a package of its own.
include(GNUInstallDirs)

set(LUMETRA_DEB_REVISION 1 CACHE STRING "Debian revision of the packages (2.0-N)")
set(LUMETRA_PACKAGE_MAINTAINER "Lumetra developers <lumetra@example.org>"
    CACHE STRING "Maintainer field of the Debian packages")

# Only what the project ships: never the files a run leaves in data/ (logs, results, MD and
# Orbitra output, the lock, a user's saved profiles).
set(LUMETRA_SHIPPED_DATA
    "Input Files/Ag.in" "Input Files/Ar.in" "Input Files/Au.in" "Input Files/C.in"
    "Input Files/Cu.in" "Input Files/Fe.in" "Input Files/H.in" "Input Files/He.in"
    "Input Files/Hg.in" "Input Files/Kr.in" "Input Files/Li.in" "Input Files/N.in"
    "Input Files/Na.in" "Input Files/Ne.in" "Input Files/O.in" "Input Files/Xe.in"
    "MD/Argon-Helium.in" "MD/Argon.in" "MD/Helium.in" "MD/Krypton-Xenon.in" "MD/Neon-Quick.in"
    "Profiles/Build-Machine.rst" "Profiles/Reference.rst")
foreach(f ${LUMETRA_SHIPPED_DATA})
    get_filename_component(dir "${f}" DIRECTORY)
    install(FILES "${PROJECT_SOURCE_DIR}/data/${f}" COMPONENT cli
            DESTINATION "${CMAKE_INSTALL_DATADIR}/lumetra2/${dir}")
endforeach()

# Manual pages and changelogs are installed compressed (gzip -n: no name or time stamp).
function(lumetra_gzip out in)
    add_custom_command(OUTPUT ${out}
        COMMAND sh -c "gzip -9nc '${in}' > '${out}'"
        DEPENDS ${in} VERBATIM)
endfunction()
set(_pkg ${PROJECT_BINARY_DIR}/packaging)
set(LUMETRA_DEB_VERSION "${PROJECT_VERSION}-${LUMETRA_DEB_REVISION}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${_pkg}/changelog.Debian
               @ONLY)
lumetra_gzip(${_pkg}/changelog.Debian.gz ${_pkg}/changelog.Debian)
set(_gz ${_pkg}/changelog.Debian.gz)
foreach(page lumetra2-cli lumetra2)
    lumetra_gzip(${_pkg}/${page}.1.gz ${PROJECT_SOURCE_DIR}/man/${page}.1)
    list(APPEND _gz ${_pkg}/${page}.1.gz)
endforeach()
add_custom_target(lumetra_packaging_files ALL DEPENDS ${_gz})

# The compilers' version notes (.comment) are of no use in an installed program.
function(lumetra_install_program target comp)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${comp})
    if(CMAKE_OBJCOPY)
        install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${target}\")"
            COMPONENT ${comp})
    endif()
endfunction()

lumetra_install_program(lumetra2-cli cli)
install(FILES ${_pkg}/lumetra2-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumetra2-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME lumetra2-cli
        COMPONENT cli)
foreach(comp_pkg cli:lumetra2-cli gui:lumetra2)
    string(REPLACE ":" ";" cp ${comp_pkg})
    list(GET cp 0 comp)
    list(GET cp 1 pkg)
    if(comp STREQUAL "gui" AND NOT TARGET lumetra2)
        continue()
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${_pkg}/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${pkg} COMPONENT ${comp})
    # Tags that do not apply, each with its reason (lintian reads them from here).
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/${pkg}.lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${pkg} COMPONENT ${comp})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumetra2-cli
        COMPONENT cli)
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/results-format.md)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/results-format.md
                  ${PROJECT_SOURCE_DIR}/docs/results.schema.json
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumetra2-cli COMPONENT cli)
endif()

if(TARGET lumetra2)
    lumetra_install_program(lumetra2 gui)
    install(FILES ${_pkg}/lumetra2.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT gui)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumetra2.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT gui)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumetra2.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT gui)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumetra2-cli.bash-completion
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME lumetra2
            COMPONENT gui)
endif()

set(CPACK_PACKAGE_NAME lumetra2)
set(CPACK_PACKAGE_VENDOR "The Lumetra developers")
set(CPACK_PACKAGE_CONTACT "${LUMETRA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(TARGET lumetra2)
    list(APPEND CPACK_COMPONENTS_ALL gui)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${LUMETRA_DEB_REVISION})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library dependencies (the C++ runtime; Qt and OpenGL for the window) are read from the
# programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CMake 3.25's -dbgsym packages are not fit to ship (their md5sums name build-tree paths, no
# copyright file): the programs are stripped, and their debug information stays in the
# package tree's unstripped build (build/package), matched by build-id.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME lumetra2-cli)
set(CPACK_DEBIAN_CLI_DESCRIPTION
    "processor, cache and memory benchmark suite (command line)
Lumetra 2.0 measures the processor, its caches and memory with scientific and
technical workloads (molecular dynamics, an atomic structure calculation,
memory bandwidth and latency, STREAM, SGEMM/DGEMM and AES-128) and turns each
figure into a sub-score against a reference machine.
.
This package holds lumetra2-cli, which runs the suite without a window, and
the decks and comparison profiles both programs read.")
set(CPACK_DEBIAN_GUI_PACKAGE_NAME lumetra2)
set(CPACK_DEBIAN_GUI_PACKAGE_DEPENDS "lumetra2-cli (= ${LUMETRA_DEB_VERSION})")
set(CPACK_DEBIAN_GUI_DESCRIPTION
    "processor, cache and memory benchmark suite (Qt window)
Lumetra 2.0 measures the processor, its caches and memory with scientific and
technical workloads and turns each figure into a sub-score against a reference
machine.
.
This package holds lumetra2, the Qt 6 program with the console window, one
window per benchmark with its graphs and OpenGL views, and the suite window.")
# Only the programs and their data: the test and benchmark programs stay in the build tree.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/")
include(CPack)
