# Configure-time copies of third-party sources (JUCE's, FST's) with a fault
# mended, made from Debian's files each time CMake runs; nothing of them is
# kept in the repository. docs/patches.md lists every mend, why, and its test.
#
# Each mend stops the configure step when its text is not found, so a changed
# upstream file is noticed at once instead of a mend silently not applying.
# Every source read here is a dependency of the configure step: a Debian
# update of it makes the next build configure (and mend) again.

# Reads `path` into the variable `text_var` and configures again when it changes.
function(selvane_read_source text_var path)
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "${path}: not found (is its Debian package installed?)")
    endif()
    file(READ "${path}" text)
    set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
    set(${text_var} "${text}" PARENT_SCOPE)
endfunction()

# Replaces the one text `before` with `after` in the variable `text_var`;
# stops the configure step when the text is not there (another JUCE version).
function(selvane_mend text_var before after where)
    string(FIND "${${text_var}}" "${before}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${where}: the text to mend was not found (a different version?)")
    endif()
    string(REPLACE "${before}" "${after}" mended "${${text_var}}")
    set(${text_var} "${mended}" PARENT_SCOPE)
endfunction()

# Like selvane_mend for a regular expression, replacing every match.
function(selvane_mend_regex text_var pattern replacement where)
    string(REGEX MATCH "${pattern}" found "${${text_var}}")
    if(found STREQUAL "")
        message(FATAL_ERROR "${where}: the pattern to mend was not found (a different version?)")
    endif()
    string(REGEX REPLACE "${pattern}" "${replacement}" mended "${${text_var}}")
    set(${text_var} "${mended}" PARENT_SCOPE)
endfunction()

# Writes `text` to `path`, touching the file only when its content changes.
function(selvane_write_if_changed path text)
    file(WRITE ${path}.new "${text}")
    configure_file(${path}.new ${path} COPYONLY)
endfunction()
