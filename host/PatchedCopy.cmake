# Configure-time copies of third-party sources (JUCE's, FST's) with a fault
# mended, made from Debian's files each time CMake runs; nothing of them is
# kept in the repository. Each mend is a unified diff of one file, kept beside
# the code it serves (host/patches/, host/lv2/patches/, host/windows/patches/);
# docs/patches.md lists them, why, and their tests.
#
# host/patch-copy.py applies a diff only where every hunk names exactly one
# place in the file as Debian ships it, at the line the hunk gives, and no
# hunk matches what another put in; otherwise the configure step stops and
# names the patch and the file. A changed upstream file is noticed at once,
# instead of a mend applying in the wrong place, twice, or not at all.
find_program(SELVANE_PYTHON3 python3 REQUIRED)
find_program(SELVANE_PATCH patch REQUIRED)
set(SELVANE_PATCH_COPY ${CMAKE_CURRENT_LIST_DIR}/patch-copy.py)

# Writes `output`: `source` with `patch` applied (rewritten only when it
# changes). Both are configure dependencies: a Debian update of the source,
# or an edit of the patch, makes the next build configure and patch again.
function(selvane_patched_copy source patch output)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env SELVANE_PATCH=${SELVANE_PATCH}
            ${SELVANE_PYTHON3} ${SELVANE_PATCH_COPY} ${source} ${patch} ${output}
        RESULT_VARIABLE result ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        string(STRIP "${error}" error)
        message(FATAL_ERROR "${error}")
    endif()
    if(NOT CMAKE_SCRIPT_MODE_FILE)  # (the tests call it from a script)
        set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source} ${patch})
    endif()
endfunction()
