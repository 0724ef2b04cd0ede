#pragma once

// The ACF entry points an AAX host looks up in the library, with the few
// ACF types they use.

#include "AaxInterfaces.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

using ACFRESULT = int32_t;
using acfUInt32 = uint32_t;
using acfUInt64 = uint64_t;

constexpr ACFRESULT ACF_OK = 0;
constexpr ACFRESULT ACF_FALSE = 1;
constexpr ACFRESULT ACF_E_UNEXPECTED = (ACFRESULT) 0x8000ffff;
constexpr ACFRESULT ACF_E_POINTER = (ACFRESULT) 0x80004003;
constexpr ACFRESULT ACF_E_CLASSNOTREG = (ACFRESULT) 0x80040154;

// Version of the AAX SDK interfaces this layer implements, and its revision.
constexpr acfUInt64 aaxSdkVersion = 0x201;
constexpr acfUInt64 aaxSdkRevision = 7820991;

struct acfUID
{
    uint32_t data1;
    uint16_t data2, data3;
    uint8_t data4[8];
};

// The host's own object, kept between start-up and shut-down.
class IACFUnknown
{
public:
    virtual ~IACFUnknown() = default;
};

// The description handed to the host: a collection it owns from then on.
class IACFPluginDefinition
{
public:
    virtual ~IACFPluginDefinition() = default;
};

namespace selvane::aax
{
// A collection that keeps what the description callback tells it.
class PluginDefinition : public AAX_ICollection, public IACFPluginDefinition
{
public:
    struct Component
    {
        std::vector<std::string> fields;
        std::map<AAX_EProperty, AAX_CPropertyValue> properties;
        AAX_CProcessProc process = nullptr;
    };

    struct Effect
    {
        std::vector<std::string> names;
        uint32_t category = 0;
        std::map<std::string, void*> procPtrs;
        std::vector<Component> components;
    };

    AAX_IEffectDescriptor* NewDescriptor() override;
    AAX_Result AddEffect (const char* effectId, AAX_IEffectDescriptor* descriptor) override;
    AAX_Result SetManufacturerName (const char* name) override;
    AAX_Result AddPackageName (const char* name) override;
    AAX_Result SetPackageVersion (uint32_t version) override;

    std::map<std::string, Effect> effects;
    std::string manufacturer;
    std::vector<std::string> packageNames;
    uint32_t packageVersion = 0;

private:
    std::vector<std::unique_ptr<AAX_IEffectDescriptor>> descriptors;
};

// The host interface kept from ACFStartup until ACFShutdown.
IACFUnknown* startedHost();
} // namespace selvane::aax

extern "C"
{
ACFRESULT ACFRegisterPlugin (IACFUnknown* host, IACFPluginDefinition** definition);
ACFRESULT ACFRegisterComponent (IACFUnknown* host, acfUInt32 index, IACFPluginDefinition** definition);
ACFRESULT ACFGetClassFactory (IACFUnknown* host, const acfUID& classId, const acfUID& interfaceId, void** factory);
ACFRESULT ACFCanUnloadNow (IACFUnknown* host);
ACFRESULT ACFStartup (IACFUnknown* host);
ACFRESULT ACFShutdown (IACFUnknown* host);
ACFRESULT ACFGetSDKVersion (acfUInt64* version);
}
