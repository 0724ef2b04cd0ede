# Runs one mend on a small text: cmake -DMODE=plain|regex -DBEFORE=... -P mend.cmake
# Exits with an error when the mend's text is not found.
include(${CMAKE_CURRENT_LIST_DIR}/../../host/JuceSourcePatch.cmake)
set(text "static thread_local bool inCallback = false;\n#include \"../utility/juce_Hooks.h\"\n")
if(MODE STREQUAL "regex")
    selvane_mend_regex(text "${BEFORE}" "<\\1>" sample.cpp)
else()
    selvane_mend(text "${BEFORE}" "mended" sample.cpp)
endif()
message("${text}")
