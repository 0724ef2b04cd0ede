# Applies one patch to a copy of a file as the configure step does:
#   cmake -DSOURCE=... -DPATCH=... -DOUTPUT=... -P apply.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../host/PatchedCopy.cmake)
selvane_patched_copy(${SOURCE} ${PATCH} ${OUTPUT})
