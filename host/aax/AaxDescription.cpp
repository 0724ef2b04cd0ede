// The AAX description callback: what an AAX host is told about Selvane.

#include "AaxEffect.h"
#include "AaxInterfaces.h"

#include "PluginIdentity.h"

#include <cstddef>

using namespace selvane;

namespace
{
using aax::AlgorithmContext;
using aax::fieldIndex;

constexpr uint32_t channelMaskAll16 = 0xffff;

uint32_t stemFormatFor (int channels)
{
    return channels == 1 ? AAX_eStemFormat_Mono : AAX_eStemFormat_Stereo;
}

AAX_Result describeComponent (AAX_IComponentDescriptor& component, int configurationIndex,
                              const identity::ChannelConfiguration& configuration)
{
    component.AddAudioIn (fieldIndex (offsetof (AlgorithmContext, inputChannels)));
    component.AddAudioOut (fieldIndex (offsetof (AlgorithmContext, outputChannels)));
    component.AddAudioBufferLength (fieldIndex (offsetof (AlgorithmContext, bufferLength)));
    component.AddDataInPort (fieldIndex (offsetof (AlgorithmContext, bypass)), sizeof (int32_t));
    component.AddMIDINode (fieldIndex (offsetof (AlgorithmContext, midiInput)), AAX_eMIDINodeType_LocalInput,
                           identity::name, channelMaskAll16);
    component.AddPrivateData (fieldIndex (offsetof (AlgorithmContext, privateData)), sizeof (aax::EffectParameters*));

    auto* properties = component.NewPropertyMap();
    if (properties == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    const auto index = (AAX_CPropertyValue) configurationIndex;
    properties->AddProperty (AAX_eProperty_ManufacturerID, (AAX_CPropertyValue) identity::fourCharCode (identity::manufacturerCode));
    properties->AddProperty (AAX_eProperty_ProductID, (AAX_CPropertyValue) identity::fourCharCode (identity::pluginCode));
    properties->AddProperty (AAX_eProperty_CanBypass, true);
    properties->AddProperty (AAX_eProperty_InputStemFormat, (AAX_CPropertyValue) stemFormatFor (configuration.inputs));
    properties->AddProperty (AAX_eProperty_OutputStemFormat, (AAX_CPropertyValue) stemFormatFor (configuration.outputs));
    properties->AddProperty (AAX_eProperty_PlugInID_Native, (AAX_CPropertyValue) identity::fourCharCode ("jcaa") + index);
    properties->AddProperty (AAX_eProperty_PlugInID_AudioSuite, (AAX_CPropertyValue) identity::fourCharCode ("jyaa") + index);
    properties->AddProperty (AAX_eProperty_Constraint_MultiMonoSupport, true);

    return component.AddProcessProc_Native (aax::processProcedureFor (configurationIndex), properties);
}
} // namespace

AAX_Result GetEffectDescriptions (AAX_ICollection* collection)
{
    const juce::ScopedJuceInitialiser_GUI guiSupport;

    auto* descriptor = collection != nullptr ? collection->NewDescriptor() : nullptr;
    if (descriptor == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    descriptor->AddName (identity::description);
    descriptor->AddName (identity::name);
    descriptor->AddCategory (AAX_ePlugInCategory_Delay);
    descriptor->AddProcPtr (reinterpret_cast<void*> (aax::createEffectGUI), kAAX_ProcPtrID_Create_EffectGUI);
    descriptor->AddProcPtr (reinterpret_cast<void*> (aax::createEffectParameters), kAAX_ProcPtrID_Create_EffectParameters);

    int index = 0;
    for (const auto& configuration : identity::channelConfigurations)
    {
        if (configuration.inputs <= 8 && configuration.outputs <= 8)
        {
            auto* component = descriptor->NewComponentDescriptor();
            if (component == nullptr)
                return AAX_ERROR_NULL_OBJECT;
            if (const auto result = describeComponent (*component, index, configuration); result != AAX_SUCCESS)
                return result;
            descriptor->AddComponent (component);
        }
        ++index;
    }

    collection->AddEffect (identity::aaxIdentifier, descriptor);
    collection->SetManufacturerName (identity::manufacturer);
    collection->AddPackageName (identity::description);
    collection->AddPackageName (identity::name);
    collection->SetPackageVersion (identity::versionCode);
    return AAX_SUCCESS;
}
