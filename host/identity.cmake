# Who the plug-in is, as every format, the AAX description and the Windows
# version resource tell hosts. Read by CMake; the C++ code sees the same
# values through the generated PluginIdentity.h.
set(SELVANE_NAME "Selvane")
set(SELVANE_DESCRIPTION "OV - Selvane")
set(SELVANE_MANUFACTURER "Orvelle")
set(SELVANE_MANUFACTURER_CODE "OrVe")
set(SELVANE_PLUGIN_CODE "OvSe")
set(SELVANE_VERSION_MAJOR 1)
set(SELVANE_VERSION_MINOR 1)
set(SELVANE_VERSION_PATCH 0)
set(SELVANE_AAX_IDENTIFIER "com.Orvelle.Selvane")
set(SELVANE_WEBSITE "https://www.orvelle.example")
set(SELVANE_LV2_URI "https://www.orvelle.example/plugins/selvane")
set(SELVANE_LICENSE_URI "https://www.orvelle.example/licence")
# The Debian package: its name, its revision of the release, who answers for it.
set(SELVANE_PACKAGE "selvane")
set(SELVANE_PACKAGE_REVISION 1)
set(SELVANE_MAINTAINER "Orvelle <support@orvelle.example>")

set(SELVANE_VERSION "${SELVANE_VERSION_MAJOR}.${SELVANE_VERSION_MINOR}.${SELVANE_VERSION_PATCH}")
set(SELVANE_VERSION_SHORT "${SELVANE_VERSION_MAJOR}.${SELVANE_VERSION_MINOR}")
math(EXPR SELVANE_VERSION_CODE
     "(${SELVANE_VERSION_MAJOR} << 16) | (${SELVANE_VERSION_MINOR} << 8) | ${SELVANE_VERSION_PATCH}"
     OUTPUT_FORMAT HEXADECIMAL)
