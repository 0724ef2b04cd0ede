# JUCE for the MinGW cross build, from Debian's juce-modules-source.
#
# Debian's JUCE package describes a 64-bit Linux install: its version file
# refuses a 32-bit project, so its CMake helpers are included directly, and
# the modules the plug-in uses are added from a copy made here, at configure
# time, with faults mended for 32-bit MinGW and for a machine where DXGI
# refuses (see below). Nothing of JUCE is kept in the repository; the copy is
# made again whenever Debian's JUCE changes (docs/patches.md lists the mends).

set(SELVANE_JUCE_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake/JUCE-7.0.5
    CACHE PATH "Debian's JUCE CMake helpers")
set(SELVANE_JUCE_SOURCE_MODULES /usr/share/juce/modules CACHE PATH "Debian's JUCE modules")
set(SELVANE_WINDOWS_DEPS_PREFIX "" CACHE PATH "Where scripts/windows-deps.sh installed libpng and libjpeg")

foreach(required JUCEModuleSupport.cmake JUCEUtils.cmake)
    if(NOT EXISTS ${SELVANE_JUCE_CMAKE_DIR}/${required})
        message(FATAL_ERROR "JUCE's ${required} not found in ${SELVANE_JUCE_CMAKE_DIR} (package juce-modules-source)")
    endif()
endforeach()

set(selvane_juce_modules
    juce_core juce_events juce_data_structures juce_graphics juce_gui_basics juce_gui_extra
    juce_audio_basics juce_audio_devices juce_audio_formats juce_audio_processors juce_audio_utils
    juce_audio_plugin_client)

# The copy is stamped with what it was made from: the package's file list
# (rewritten by every install or update of it) and each module's header. A
# different stamp, or a copy left half made, and it is made again.
include(${CMAKE_CURRENT_LIST_DIR}/../PatchedCopy.cmake)
set(SELVANE_JUCE_PACKAGE_LIST /var/lib/dpkg/info/juce-modules-source-data.list)
set(juce_source_stamp "")
if(EXISTS ${SELVANE_JUCE_PACKAGE_LIST})
    file(MD5 ${SELVANE_JUCE_PACKAGE_LIST} list_hash)
    string(APPEND juce_source_stamp "package ${list_hash}\n")
    set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SELVANE_JUCE_PACKAGE_LIST})
endif()
foreach(module IN LISTS selvane_juce_modules)
    file(MD5 ${SELVANE_JUCE_SOURCE_MODULES}/${module}/${module}.h header_hash)
    file(TIMESTAMP ${SELVANE_JUCE_SOURCE_MODULES}/${module}/${module}.h header_time UTC)
    string(APPEND juce_source_stamp "${module} ${header_hash} ${header_time}\n")
endforeach()

set(SELVANE_JUCE_MODULES ${CMAKE_BINARY_DIR}/juce-modules)
set(juce_copy_stamp ${SELVANE_JUCE_MODULES}/copied-from.txt)
set(previous_stamp "")
if(EXISTS ${juce_copy_stamp})
    file(READ ${juce_copy_stamp} previous_stamp)
endif()
if(NOT previous_stamp STREQUAL juce_source_stamp)
    message(STATUS "Copying Debian's JUCE modules for the Windows build")
    file(REMOVE_RECURSE ${SELVANE_JUCE_MODULES})
    foreach(module IN LISTS selvane_juce_modules)
        file(COPY ${SELVANE_JUCE_SOURCE_MODULES}/${module} DESTINATION ${SELVANE_JUCE_MODULES})
    endforeach()
    file(WRITE ${juce_copy_stamp} "${juce_source_stamp}")
endif()

# 32-bit MinGW has no __uuidof, so JUCE names each COM interface's UUID by
# specialising a class template declared in namespace juce. The accessibility
# interfaces are declared inside juce::ComTypes, where that specialisation is
# ill-formed, and the build stops; and the accessibility code passes
# IID_PPV_ARGS, which hands that __uuidof an expression instead of a type.
# In the copy, a COM class declares its UUID as a function beside it, found by
# argument-dependent lookup from wherever the class lives (the getters JUCE
# declares for system interfaces stay as they were), and IID_PPV_ARGS names
# the expression's type. Every other interface (IUnknown, ID2D1Factory,
# IDWriteFactory, ...) takes the UUID MinGW's headers declare for it: JUCE's
# fallback was a null UUID, so the Direct2D and DirectWrite factories were never
# made and opening the editor crashed the 32-bit library on a null pointer.
# (juce_win32_ComSmartPtr.h.patch)
#
# JUCE's display-refresh dispatcher asks DXGI for the display adapters and
# used the factory without checking that it was made: where DXGI refuses, it
# read through a null pointer. Without a factory there are no adapters
# (juce_win32_Windowing.cpp.patch).
foreach(patched juce_core/native/juce_win32_ComSmartPtr.h juce_gui_basics/native/juce_win32_Windowing.cpp)
    get_filename_component(patched_name ${patched} NAME)
    selvane_patched_copy(${SELVANE_JUCE_SOURCE_MODULES}/${patched}
        ${CMAKE_CURRENT_LIST_DIR}/patches/${patched_name}.patch ${SELVANE_JUCE_MODULES}/${patched})
endforeach()

include(${SELVANE_JUCE_CMAKE_DIR}/JUCEModuleSupport.cmake)
include(${SELVANE_JUCE_CMAKE_DIR}/JUCEUtils.cmake)

# juceaide runs on the build machine (binary data, resource scripts).
if(NOT TARGET juce::juceaide)
    add_executable(juce::juceaide IMPORTED)
    set_target_properties(juce::juceaide PROPERTIES IMPORTED_LOCATION /usr/lib/x86_64-linux-gnu/juce/juceaide)
endif()
set(JUCE_MODULES_DIR ${SELVANE_JUCE_MODULES} CACHE INTERNAL "The path to JUCE modules")

foreach(module IN LISTS selvane_juce_modules)
    juce_add_module(${SELVANE_JUCE_MODULES}/${module} ALIAS_NAMESPACE juce)
endforeach()

# Debian's JUCE decodes pictures and inflates data with the system libraries;
# here they are the static MinGW builds of Debian's own sources.
find_path(SELVANE_PNG_INCLUDE png.h REQUIRED)
find_path(SELVANE_JPEG_INCLUDE jpeglib.h REQUIRED)
find_library(SELVANE_PNG_LIBRARY NAMES libpng16.a REQUIRED)
find_library(SELVANE_JPEG_LIBRARY NAMES libjpeg.a REQUIRED)
find_library(SELVANE_Z_LIBRARY NAMES libz.a REQUIRED)
add_library(selvane_windows_image_libs INTERFACE)
target_include_directories(selvane_windows_image_libs INTERFACE ${SELVANE_PNG_INCLUDE} ${SELVANE_JPEG_INCLUDE})
target_link_libraries(selvane_windows_image_libs INTERFACE ${SELVANE_PNG_LIBRARY} ${SELVANE_JPEG_LIBRARY} ${SELVANE_Z_LIBRARY})
target_link_libraries(juce_graphics INTERFACE selvane_windows_image_libs)
target_link_libraries(juce_core INTERFACE ${SELVANE_Z_LIBRARY})
