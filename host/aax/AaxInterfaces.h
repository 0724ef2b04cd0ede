#pragma once

// The part of the AAX description interfaces Selvane uses, written here from
// what the description callback needs: the vendor SDK is not available to
// this build. Names follow the SDK's; the numbering of our own enumerations
// is ours, except where hosts depend on a documented value (the delay
// category, the stem-format encoding, the error codes named below).

#include <cstdint>

using AAX_Result = int32_t;
using AAX_CTypeID = uint32_t;
using AAX_CPropertyValue = int32_t;
using AAX_CFieldIndex = int32_t;
using AAX_CProcPtrID = const char*;

constexpr AAX_Result AAX_SUCCESS = 0;
constexpr AAX_Result AAX_ERROR_NULL_OBJECT = -20004;

// Plug-in categories (a bit field); delay and echo effects are 0x10.
constexpr uint32_t AAX_ePlugInCategory_Delay = 16;

// A stem format packs an index and a channel count: (index << 16) | channels.
constexpr uint32_t aaxStemFormat (uint32_t index, uint32_t channels) { return (index << 16) | channels; }
constexpr uint32_t AAX_eStemFormat_Mono = aaxStemFormat (0, 1);
constexpr uint32_t AAX_eStemFormat_Stereo = aaxStemFormat (1, 2);

enum AAX_EProperty : int32_t
{
    AAX_eProperty_ManufacturerID = 1,
    AAX_eProperty_ProductID,
    AAX_eProperty_PlugInID_Native,
    AAX_eProperty_PlugInID_AudioSuite,
    AAX_eProperty_InputStemFormat,
    AAX_eProperty_OutputStemFormat,
    AAX_eProperty_CanBypass,
    AAX_eProperty_Constraint_MultiMonoSupport
};

enum AAX_EMIDINodeType : int32_t
{
    AAX_eMIDINodeType_LocalInput = 0
};

constexpr AAX_CProcPtrID kAAX_ProcPtrID_Create_EffectParameters = "AAX_ProcPtrID_Create_EffectParameters";
constexpr AAX_CProcPtrID kAAX_ProcPtrID_Create_EffectGUI = "AAX_ProcPtrID_Create_EffectGUI";

// The native processing procedure: called with a range of instance contexts.
using AAX_CProcessProc = void (*) (void* const instancesBegin[], const void* instancesEnd);

class AAX_IPropertyMap
{
public:
    virtual ~AAX_IPropertyMap() = default;
    virtual AAX_Result AddProperty (AAX_EProperty property, AAX_CPropertyValue value) = 0;
};

class AAX_IComponentDescriptor
{
public:
    virtual ~AAX_IComponentDescriptor() = default;
    virtual AAX_Result AddAudioIn (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioOut (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioBufferLength (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize) = 0;
    virtual AAX_Result AddMIDINode (AAX_CFieldIndex field, AAX_EMIDINodeType type, const char* name, uint32_t channelMask) = 0;
    virtual AAX_Result AddPrivateData (AAX_CFieldIndex field, int32_t dataSize) = 0;
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;  // owned by this descriptor
    virtual AAX_Result AddProcessProc_Native (AAX_CProcessProc proc, AAX_IPropertyMap* properties) = 0;
};

class AAX_IEffectDescriptor
{
public:
    virtual ~AAX_IEffectDescriptor() = default;
    virtual AAX_IComponentDescriptor* NewComponentDescriptor() = 0;  // owned by this descriptor
    virtual AAX_Result AddComponent (AAX_IComponentDescriptor* component) = 0;
    virtual AAX_Result AddName (const char* name) = 0;
    virtual AAX_Result AddCategory (uint32_t category) = 0;
    virtual AAX_Result AddProcPtr (void* procPtr, AAX_CProcPtrID procId) = 0;
};

class AAX_ICollection
{
public:
    virtual ~AAX_ICollection() = default;
    virtual AAX_IEffectDescriptor* NewDescriptor() = 0;  // owned by the collection; may be null
    virtual AAX_Result AddEffect (const char* effectId, AAX_IEffectDescriptor* descriptor) = 0;
    virtual AAX_Result SetManufacturerName (const char* name) = 0;
    virtual AAX_Result AddPackageName (const char* name) = 0;
    virtual AAX_Result SetPackageVersion (uint32_t version) = 0;
};

// The description callback every AAX plug-in supplies.
AAX_Result GetEffectDescriptions (AAX_ICollection* collection);
