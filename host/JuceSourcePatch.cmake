# Configure-time copies of JUCE sources with a fault mended, made from
# Debian's files each time CMake runs (nothing of JUCE is kept in the repository).

# Replaces the one text `before` with `after` in the variable `text_var`;
# stops the configure step when the text is not there (another JUCE version).
function(selvane_mend text_var before after where)
    string(FIND "${${text_var}}" "${before}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${where}: the text to mend was not found (a different JUCE version?)")
    endif()
    string(REPLACE "${before}" "${after}" mended "${${text_var}}")
    set(${text_var} "${mended}" PARENT_SCOPE)
endfunction()

# Writes `text` to `path`, touching the file only when its content changes.
function(selvane_write_if_changed path text)
    file(WRITE ${path}.new "${text}")
    configure_file(${path}.new ${path} COPYONLY)
endfunction()
