# The source revision a program was built from, stamped at every build (not only at configure
# time): `git describe --always --dirty --tags`, so a rebuild after a commit or with uncommitted
# changes shows it. A tree without git keeps LUMETRA_REVISION_OVERRIDE, else "unknown".
#
# As a script (cmake -P): writes OUT, a header defining LUMETRA_REVISION, only when its content
# changes, so an unchanged revision recompiles nothing.
if(CMAKE_SCRIPT_MODE_FILE)
    set(rev "")
    if(NOT OVERRIDE STREQUAL "")
        set(rev "${OVERRIDE}")
    else()
        execute_process(COMMAND git -C "${SOURCE_DIR}" describe --always --dirty --tags
            OUTPUT_VARIABLE rev OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE result ERROR_QUIET)
        if(NOT result EQUAL 0)
            set(rev "")
        endif()
    endif()
    if(rev STREQUAL "")
        set(rev "unknown")
    endif()
    file(CONFIGURE OUTPUT "${OUT}" CONTENT
"// Generated at build time by cmake/Revision.cmake.
#define LUMETRA_REVISION \"${rev}\"
")
    return()
endif()

set(LUMETRA_REVISION_OVERRIDE "" CACHE STRING
    "Source revision to stamp when the tree has no git history (for example a release tarball)")

# lumetra_stamp_revision(<target>): <target> may include "lumetra_revision.h".
function(lumetra_stamp_revision target)
    set(dir ${PROJECT_BINARY_DIR}/generated/revision)
    set(header ${dir}/lumetra_revision.h)
    if(NOT TARGET lumetra_revision)
        add_custom_target(lumetra_revision
            COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUT=${header}
                    -DOVERRIDE=${LUMETRA_REVISION_OVERRIDE} -P ${PROJECT_SOURCE_DIR}/cmake/Revision.cmake
            BYPRODUCTS ${header}
            COMMENT "Stamping the source revision" VERBATIM)
    endif()
    add_dependencies(${target} lumetra_revision)
    target_include_directories(${target} PRIVATE ${dir})
endfunction()
