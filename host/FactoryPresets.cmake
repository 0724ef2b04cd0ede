# The factory bank: every presets/*.xml, in file-name order, becomes an entry
# of generated/FactoryPresets.h (name, symbol, one-line description, the state
# document), which the LV2 manifest, the renderer and the preset-file writer
# read. A preset file is the plug-in's own state document holding the nine
# parameters, after a first line "<!-- Name | Description -->".

file(GLOB selvane_preset_files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/presets/*.xml)
list(SORT selvane_preset_files)
set(selvane_preset_entries "")
set(SELVANE_PRESET_SYMBOLS "")
foreach(preset_file IN LISTS selvane_preset_files)
    file(READ ${preset_file} preset_text)
    string(REGEX MATCH "^<!-- ([^|\n]+) \\| ([^\n]+) -->\n(<Root>.*</Root>)[ \n]*$" preset_match "${preset_text}")
    if(NOT preset_match)
        message(FATAL_ERROR "${preset_file}: expected a first line \"<!-- Name | Description -->\" and then one <Root> document")
    endif()
    set(preset_name "${CMAKE_MATCH_1}")
    set(preset_description "${CMAKE_MATCH_2}")
    set(preset_document "${CMAKE_MATCH_3}")
    foreach(field preset_name preset_description)
        string(REPLACE "\\" "\\\\" ${field} "${${field}}")
        string(REPLACE "\"" "\\\"" ${field} "${${field}}")
    endforeach()
    get_filename_component(preset_symbol ${preset_file} NAME_WE)
    string(REGEX REPLACE "^[0-9]+-" "" preset_symbol "${preset_symbol}")
    if(NOT preset_symbol MATCHES "^[a-z0-9-]+$")
        message(FATAL_ERROR "${preset_file}: name the file NN-words-in-lower-case.xml")
    endif()
    list(APPEND SELVANE_PRESET_SYMBOLS ${preset_symbol})
    string(APPEND selvane_preset_entries
        "    { \"${preset_name}\", \"${preset_symbol}\",\n      \"${preset_description}\",\n      R\"selvane(${preset_document})selvane\" },\n")
endforeach()
list(LENGTH selvane_preset_files selvane_preset_count)
if(selvane_preset_count EQUAL 0)
    message(FATAL_ERROR "no presets found in ${CMAKE_CURRENT_SOURCE_DIR}/presets")
endif()

set(selvane_presets_header "#pragma once

// Generated from presets/*.xml by host/FactoryPresets.cmake: do not edit.

namespace selvane
{
struct FactoryPreset
{
    const char* name;         // as preset menus show it
    const char* symbol;       // for file names and URIs
    const char* description;  // one line
    const char* document;     // the state document holding the nine parameters
};

constexpr FactoryPreset factoryPresets[] = {
${selvane_preset_entries}};

constexpr int numFactoryPresets = (int) (sizeof (factoryPresets) / sizeof (factoryPresets[0]));
} // namespace selvane
")
# Written only when it changes, so that configuring again rebuilds nothing.
file(WRITE ${SELVANE_GENERATED_DIR}/FactoryPresets.h.new "${selvane_presets_header}")
configure_file(${SELVANE_GENERATED_DIR}/FactoryPresets.h.new ${SELVANE_GENERATED_DIR}/FactoryPresets.h COPYONLY)
