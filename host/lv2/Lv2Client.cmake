# The LV2 client: the framework's adapter from a copy made at configure time
# (host/lv2/Lv2Client.cpp includes it), patched (patches/juce_LV2_Client.cpp.patch)
# so that hosts can read the parameters and so that the bundle's metadata
# describes the plug-in:
#  - the parameters are control input ports (their symbols the parameter
#    names), which every LV2 host shows, sets, automates and saves; JUCE's
#    adapter offered them only as patch properties, which jalv and Ardour 7
#    showed as 0 and ignored at start. patch:Set messages for the properties
#    are still accepted. A port's value applies when the host changes it
#    (ParameterPorts.inl);
#  - the editor, while open, writes a value changed inside the plug-in (the
#    editor itself, a MIDI controller) to its port, so the host shows it;
#  - every parameter's value is also sent as a patch:Set message on the first
#    run, whenever the host asks (patch:Get) and after a state restore;
#  - a host's change to one parameter is not echoed back to it, but what the
#    processor announces in response reaches the host (a "Mode" change
#    re-sends "DelayTime"); JUCE's adapter silenced every notification made
#    during the host's call;
#  - the manifest: class delay plug-in, a licence, the maker without an empty
#    mailbox, the version in LV2's own terms, the UI's extension data and
#    features in their places, the preset's program property defined, and the
#    factory bank as the bundle's presets, so that lv2_validate finds nothing.
include(${CMAKE_CURRENT_LIST_DIR}/../PatchedCopy.cmake)
selvane_patched_copy(${JUCE_MODULES_DIR}/juce_audio_plugin_client/LV2/juce_LV2_Client.cpp
    ${CMAKE_CURRENT_LIST_DIR}/patches/juce_LV2_Client.cpp.patch
    ${SELVANE_GENERATED_DIR}/juce_lv2_client/juce_LV2_Client.cpp)
