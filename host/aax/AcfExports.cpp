#include "AcfExports.h"

#include "AaxEffect.h"

#include <stdexcept>

namespace selvane::aax
{
namespace
{
IACFUnknown* hostInterface = nullptr;

class ComponentDescriptor : public AAX_IComponentDescriptor
{
public:
    explicit ComponentDescriptor (PluginDefinition::Component& recordIn) : record (recordIn) {}

    AAX_Result AddAudioIn (AAX_CFieldIndex) override { return add ("audio in"); }
    AAX_Result AddAudioOut (AAX_CFieldIndex) override { return add ("audio out"); }
    AAX_Result AddAudioBufferLength (AAX_CFieldIndex) override { return add ("buffer length"); }
    AAX_Result AddDataInPort (AAX_CFieldIndex, uint32_t) override { return add ("data in"); }
    AAX_Result AddMIDINode (AAX_CFieldIndex, AAX_EMIDINodeType, const char* name, uint32_t) override
    {
        return add (std::string ("midi in ") + name);
    }
    AAX_Result AddPrivateData (AAX_CFieldIndex, int32_t) override { return add ("private data"); }

    AAX_IPropertyMap* NewPropertyMap() override
    {
        propertyMap = std::make_unique<PropertyMap> (record);
        return propertyMap.get();
    }

    AAX_Result AddProcessProc_Native (AAX_CProcessProc proc, AAX_IPropertyMap*) override
    {
        record.process = proc;
        return AAX_SUCCESS;
    }

private:
    struct PropertyMap : AAX_IPropertyMap
    {
        explicit PropertyMap (PluginDefinition::Component& c) : component (c) {}
        AAX_Result AddProperty (AAX_EProperty property, AAX_CPropertyValue value) override
        {
            component.properties[property] = value;
            return AAX_SUCCESS;
        }
        PluginDefinition::Component& component;
    };

    AAX_Result add (std::string field)
    {
        record.fields.push_back (std::move (field));
        return AAX_SUCCESS;
    }

    PluginDefinition::Component& record;
    std::unique_ptr<PropertyMap> propertyMap;
};

class EffectDescriptor : public AAX_IEffectDescriptor
{
public:
    AAX_IComponentDescriptor* NewComponentDescriptor() override
    {
        pending.push_back (std::make_unique<PluginDefinition::Component>());
        components.push_back (std::make_unique<ComponentDescriptor> (*pending.back()));
        return components.back().get();
    }

    AAX_Result AddComponent (AAX_IComponentDescriptor* component) override
    {
        for (size_t i = 0; i < components.size(); ++i)
            if (components[i].get() == component)
            {
                effect.components.push_back (*pending[i]);
                return AAX_SUCCESS;
            }
        return AAX_ERROR_NULL_OBJECT;
    }

    AAX_Result AddName (const char* name) override
    {
        effect.names.emplace_back (name);
        return AAX_SUCCESS;
    }

    AAX_Result AddCategory (uint32_t category) override
    {
        effect.category |= category;
        return AAX_SUCCESS;
    }

    AAX_Result AddProcPtr (void* procPtr, AAX_CProcPtrID procId) override
    {
        effect.procPtrs[procId] = procPtr;
        return AAX_SUCCESS;
    }

    PluginDefinition::Effect effect;

private:
    std::vector<std::unique_ptr<PluginDefinition::Component>> pending;
    std::vector<std::unique_ptr<ComponentDescriptor>> components;
};

// Every ACF export answers "unexpected" if anything throws.
template <typename Body>
ACFRESULT guarded (Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (...)
    {
        return ACF_E_UNEXPECTED;
    }
}
} // namespace

IACFUnknown* startedHost() { return hostInterface; }

AAX_IEffectDescriptor* PluginDefinition::NewDescriptor()
{
    descriptors.push_back (std::make_unique<EffectDescriptor>());
    return descriptors.back().get();
}

AAX_Result PluginDefinition::AddEffect (const char* effectId, AAX_IEffectDescriptor* descriptor)
{
    auto* effect = dynamic_cast<EffectDescriptor*> (descriptor);
    if (effectId == nullptr || effect == nullptr)
        return AAX_ERROR_NULL_OBJECT;
    effects[effectId] = effect->effect;
    return AAX_SUCCESS;
}

AAX_Result PluginDefinition::SetManufacturerName (const char* name)
{
    manufacturer = name;
    return AAX_SUCCESS;
}

AAX_Result PluginDefinition::AddPackageName (const char* name)
{
    packageNames.emplace_back (name);
    return AAX_SUCCESS;
}

AAX_Result PluginDefinition::SetPackageVersion (uint32_t version)
{
    packageVersion = version;
    return AAX_SUCCESS;
}
} // namespace selvane::aax

using selvane::aax::guarded;

extern "C"
{
ACFRESULT ACFRegisterPlugin (IACFUnknown*, IACFPluginDefinition** definition)
{
    return guarded ([definition] {
        if (definition == nullptr)
            return ACF_E_POINTER;
        auto collection = std::make_unique<selvane::aax::PluginDefinition>();
        if (GetEffectDescriptions (collection.get()) != AAX_SUCCESS)
            return ACF_E_UNEXPECTED;
        *definition = collection.release();
        return ACF_OK;
    });
}

// Selvane registers no components or class factories beyond its plug-in.
ACFRESULT ACFRegisterComponent (IACFUnknown*, acfUInt32, IACFPluginDefinition** definition)
{
    return guarded ([definition] {
        if (definition != nullptr)
            *definition = nullptr;
        return ACF_OK;
    });
}

ACFRESULT ACFGetClassFactory (IACFUnknown*, const acfUID&, const acfUID&, void** factory)
{
    return guarded ([factory] {
        if (factory != nullptr)
            *factory = nullptr;
        return ACF_E_CLASSNOTREG;
    });
}

ACFRESULT ACFCanUnloadNow (IACFUnknown*)
{
    return guarded ([] { return selvane::aax::liveObjects.load() == 0 ? ACF_OK : ACF_FALSE; });
}

ACFRESULT ACFStartup (IACFUnknown* host)
{
    return guarded ([host] {
        selvane::aax::hostInterface = host;
        return ACF_OK;
    });
}

ACFRESULT ACFShutdown (IACFUnknown*)
{
    return guarded ([] {
        selvane::aax::hostInterface = nullptr;
        return ACF_OK;
    });
}

ACFRESULT ACFGetSDKVersion (acfUInt64* version)
{
    return guarded ([version] {
        if (version == nullptr)
            return ACF_E_POINTER;
        *version = (aaxSdkVersion << 32) | aaxSdkRevision;
        return ACF_OK;
    });
}
}
