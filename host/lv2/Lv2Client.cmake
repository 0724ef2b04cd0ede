# The LV2 client: the framework's adapter from a copy made at configure time
# (host/lv2/Lv2Client.cpp includes it), mended so that hosts can read the
# parameters and so that the bundle's metadata describes the plug-in:
#  - the parameters are control input ports (their symbols the parameter
#    names), which every LV2 host shows, sets, automates and saves; JUCE's
#    adapter offered them only as patch properties, which jalv and Ardour 7
#    showed as 0 and ignored at start. patch:Set messages for the properties
#    are still accepted;
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
#    features in their places, and the preset's program property defined, so
#    that lv2_validate finds nothing.
include(${CMAKE_CURRENT_LIST_DIR}/../JuceSourcePatch.cmake)

# LV2 has no major version (the URI stands for it), and an odd minor or micro
# version marks a development release. The release 1.1.0 is minor 110, the
# number VST 2.x hosts see, micro 0 (twice the patch number).
math(EXPR SELVANE_LV2_MINOR_VERSION "${SELVANE_VERSION_MAJOR} * 100 + ${SELVANE_VERSION_MINOR} * 10")
math(EXPR SELVANE_LV2_MICRO_VERSION "${SELVANE_VERSION_PATCH} * 2")

set(lv2_client ${JUCE_MODULES_DIR}/juce_audio_plugin_client/LV2/juce_LV2_Client.cpp)
selvane_read_source(lv2_text ${lv2_client})

# Every value to the host.
selvane_mend(lv2_text
[[    struct Options
    {
        bool parameterValue, gestureBegin, gestureEnd;
    };]]
[[    // Queues every parameter's current value for the host, as if each had changed.
    void announceAll()
    {
        for (auto* param : legacyParameters)
            stateCache.setValueAndBits ((size_t) param->getParameterIndex(), param->getValue(), newClientValue);
    }

    // A value the host put on the parameter's port.
    void setValueFromPort (int index, float value)
    {
        if (auto* param = legacyParameters.getParamForIndex (index))
        {
            if (value != param->getValue())
            {
                const ScopedValueSetter<int> scope (parameterSetByHost, index);
                param->setValueNotifyingHost (value);
            }
        }
    }

    struct Options
    {
        bool parameterValue, gestureBegin, gestureEnd;
    };]] ${lv2_client})
selvane_mend(lv2_text
[[        processor.addListener (this);
    }

    ~ParameterStorage() override]]
[[        processor.addListener (this);
        announceAll();  // sent with the first run
    }

    ~ParameterStorage() override]] ${lv2_client})
selvane_mend(lv2_text
[[    X (JucePluginLV2UriProgram)
    X (JucePluginLV2UriState)]]
[[    X (JucePluginLV2UriProgram)
    X (JucePluginLV2UriState)
    X (LV2_PATCH__Get)]] ${lv2_client})
selvane_mend(lv2_text
[[            patchSetHelper.processPatchSet (event, Callback { *this });]]
[[            patchSetHelper.processPatchSet (event, Callback { *this });

            if (event->body.type == patchSetHelper.mLV2_ATOM__Object
                && reinterpret_cast<const LV2_Atom_Object*> (&event->body)->body.otype == mLV2_PATCH__Get)
                parameters.announceAll();]] ${lv2_client})
selvane_mend(lv2_text
[[        processor->setStateInformation (block.getData(), (int) block.getSize());
]]
[[        processor->setStateInformation (block.getData(), (int) block.getSize());
        parameters.announceAll();
]] ${lv2_client})

# Only the host's own change is kept from the host.
selvane_mend(lv2_text
[[                ScopedValueSetter<bool> scope (ignoreCallbacks, true);
                param->setValueNotifyingHost (scaledValue);]]
[[                const ScopedValueSetter<int> scope (parameterSetByHost, (int) it->second);
                param->setValueNotifyingHost (scaledValue);]] ${lv2_client})
selvane_mend(lv2_text [[if (! ignoreCallbacks)]] [[if (parameterIndex != parameterSetByHost)]] ${lv2_client})
selvane_mend(lv2_text [[    bool ignoreCallbacks = false;]]
[[    // The parameter whose change from the host is being applied on this thread.
    static inline thread_local int parameterSetByHost = -1;]] ${lv2_client})

# The manifest.
selvane_mend(lv2_text [["\ta lv2:Plugin ;\n"]] [["\ta lv2:Plugin , lv2:DelayPlugin ;\n"]] ${lv2_client})
selvane_mend(lv2_text
[[              "lv2:Plugin"
             #endif]]
[[              "lv2:Plugin , lv2:DelayPlugin , doap:Project"
             #endif]] ${lv2_client})
string(CONFIGURE
[[              "\tlv2:minorVersion @SELVANE_LV2_MINOR_VERSION@ ;\n"
              "\tlv2:microVersion @SELVANE_LV2_MICRO_VERSION@ ;\n"
              "\tdoap:license <@SELVANE_LICENSE_URI@> ;\n"]] version_and_licence @ONLY)
selvane_mend(lv2_text
[[              "\tlv2:minorVersion " << minorVersion << " ;\n"
              "\tlv2:microVersion " << microVersion << " ;\n"]]
"${version_and_licence}" ${lv2_client})
selvane_mend(lv2_text
[[        const auto minorVersion = getVersionOrZero (2);
        const auto microVersion = getVersionOrZero (1);
]] "" ${lv2_client})
selvane_mend(lv2_text
[[        const auto getVersionOrZero = [&] (int indexFromBack)
        {
            const auto str = versionParts[versionParts.size() - indexFromBack];
            return str.isEmpty() ? 0 : str.getIntValue();
        };
]] "" ${lv2_client})
selvane_mend(lv2_text
[[        const auto versionParts = StringArray::fromTokens (JucePlugin_VersionString, ".", "");
]] "" ${lv2_client})
selvane_mend(lv2_text [[              "\t\tfoaf:mbox <" JucePlugin_ManufacturerEmail "> ;\n"
]] "" ${lv2_client})
selvane_mend(lv2_text
[[              "@prefix xsd:   <http://www.w3.org/2001/XMLSchema#> .\n"
              "\n";

        LegacyAudioParametersWrapper legacyParameters (proc, false);]]
[[              "@prefix xsd:   <http://www.w3.org/2001/XMLSchema#> .\n"
              "\n"
              "plug:Program\n"
              "\ta rdf:Property ;\n"
              "\trdfs:label \"Program\" ;\n"
              "\trdfs:comment \"The index of the program a preset selects.\" ;\n"
              "\trdfs:range xsd:int .\n"
              "\n";

        LegacyAudioParametersWrapper legacyParameters (proc, false);]] ${lv2_client})
selvane_mend(lv2_text
[[              "\t\topts:interface ,\n"
              "\t\tui:noUserResize ,\n" // resize and noUserResize are always present in the extension data array
              "\t\tui:resize ;\n"]]
[[              "\t\topts:interface ,\n"
              "\t\tui:resize ;\n"]] ${lv2_client})
selvane_mend(lv2_text
[[              "\t\t" << resizeFeatureString << " ,\n"
              "\t\topts:interface ,\n"
              "\t\topts:options ;\n\n"]]
[[              "\t\t" << resizeFeatureString << " ,\n"
              "\t\topts:options ;\n\n"]] ${lv2_client})

# The parameters as control input ports, after the adapter's own ports.
selvane_mend(lv2_text
[[    int getPortIndexFor (PortKind p) const noexcept { return getMaxAudioPortIndex() + (int) p; }]]
[[    int getPortIndexFor (PortKind p) const noexcept { return getMaxAudioPortIndex() + (int) p; }

    // Parameter i's control port follows the adapter's last port.
    int getPortIndexForParameter (int parameterIndex) const noexcept
    {
        return getPortIndexFor (PortKind::enabledInput) + 1 + parameterIndex;
    }]] ${lv2_client})
file(READ ${CMAKE_CURRENT_LIST_DIR}/ParameterPorts.inl parameter_ports)
selvane_mend(lv2_text
[[class LV2PluginInstance : private AudioProcessorListener]]
"${parameter_ports}
class LV2PluginInstance : private AudioProcessorListener" ${lv2_client})
selvane_mend(lv2_text
[[        ports.connect ((int) port, data);]]
[[        if (! parameterPorts.connect ((int) port - ports.indices.getPortIndexForParameter (0), data))
            ports.connect ((int) port, data);]] ${lv2_client})
selvane_mend(lv2_text
[[        processor->setNonRealtime (ports.isFreeWheeling());]]
[[        parameterPorts.forEachChange ([this] (int index, float value) { parameters.setValueFromPort (index, value); });

        processor->setNonRealtime (ports.isFreeWheeling());]] ${lv2_client})
selvane_mend(lv2_text
[[        parameters.announceAll();
]]
[[        parameters.announceAll();
        parameterPorts.stateWasRestored();
]] ${lv2_client})
selvane_mend(lv2_text
[[    void editorBeingDeleted (AudioProcessorEditor* editor)
    {
        processor->editorBeingDeleted (editor);
    }]]
[[    void editorBeingDeleted (AudioProcessorEditor* editor)
    {
        processor->editorBeingDeleted (editor);
    }

    int getNumParameters() const { return (int) processor->getParameters().size(); }
    float getParameterValue (int index) const { return processor->getParameters()[index]->getValue(); }
    int getPortIndexForParameter (int index) const { return ports.indices.getPortIndexForParameter (index); }]] ${lv2_client})
selvane_mend(lv2_text
[[    std::unique_ptr<AudioProcessor> processor = createProcessorInstance();
    const LV2_URID_Map mapFeature;
    ParameterStorage parameters { *processor, mapFeature };]]
[[    std::unique_ptr<AudioProcessor> processor = createProcessorInstance();
    const LV2_URID_Map mapFeature;
    ParameterStorage parameters { *processor, mapFeature };
    ParameterPorts parameterPorts { *processor };]] ${lv2_client})
# The ports in the manifest, in place of the parameters as patch properties.
selvane_mend(lv2_text
[[        if (legacyParameters.size() != 0)
        {
            for (const auto header : { "writable", "readable" })
            {
                os << "\tpatch:" << header;

                bool isFirst = true;

                for (const auto* param : legacyParameters)
                {
                    os << (isFirst ? "" : " ,") << "\n\t\tplug:" << ParameterStorage::getIri (*param);
                    isFirst = false;
                }

                os << " ;\n";
            }
        }
]] "" ${lv2_client})
selvane_mend(lv2_text
[[              "\t\tlv2:index " << indices.getPortIndexFor (PortKind::enabledInput) << " ;\n"
              "\t\tlv2:portProperty lv2:toggled , lv2:connectionOptional , pprop:notOnGUI ;\n"
              "\t] ;\n"
              "\topts:supportedOption\n"]]
[[              "\t\tlv2:index " << indices.getPortIndexFor (PortKind::enabledInput) << " ;\n"
              "\t\tlv2:portProperty lv2:toggled , lv2:connectionOptional , pprop:notOnGUI ;\n"
              "\t]";

        for (const auto* param : legacyParameters)
            os << " , [\n"
                  "\t\ta lv2:InputPort , lv2:ControlPort ;\n"
                  "\t\tlv2:index " << indices.getPortIndexForParameter (param->getParameterIndex()) << " ;\n"
                  "\t\tlv2:symbol \"" << ParameterStorage::getIri (*param) << "\" ;\n"
                  "\t\tlv2:name \"" << param->getName (1024) << "\" ;\n"
                  "\t\tlv2:default " << param->getDefaultValue() << " ;\n"
                  "\t\tlv2:minimum 0.0 ;\n"
                  "\t\tlv2:maximum 1.0 ;\n"
                  "\t\tlv2:portProperty lv2:connectionOptional ;\n"
                  "\t]";

        os << " ;\n"
              "\topts:supportedOption\n"]] ${lv2_client})

# The editor keeps the host's ports in step with the parameters: a change made
# in the editor or by a MIDI controller is written to the parameter's port.
selvane_mend(lv2_text
[[    void portEvent (uint32_t, uint32_t, uint32_t, const void*) {}]]
[[    // The host tells the editor what its ports hold; the editor listens to the
    // processor itself, and remembers the host's values so as not to echo them.
    void portEvent (uint32_t portIndex, uint32_t bufferSize, uint32_t format, const void* buffer)
    {
        const auto index = (int) portIndex - plugin->getPortIndexForParameter (0);
        if (format == 0 && bufferSize == sizeof (float) && isPositiveAndBelow (index, (int) hostPortValues.size()))
            hostPortValues[(size_t) index] = *static_cast<const float*> (buffer);
    }

    // A value that changed inside the plug-in since the last look (the editor,
    // a MIDI controller) and that the host does not hold yet goes to its port.
    // What the plug-in held when the editor opened is left alone: the host's
    // ports are the host's, and it may have set them a moment ago.
    void writeChangedParameterPorts()
    {
        for (int index = 0; index < (int) pluginValues.size(); ++index)
        {
            const float value = plugin->getParameterValue (index);
            if (value == pluginValues[(size_t) index])
                continue;
            pluginValues[(size_t) index] = value;
            if (value != hostPortValues[(size_t) index])
            {
                hostPortValues[(size_t) index] = value;
                write ((uint32_t) plugin->getPortIndexForParameter (index), sizeof (float), 0, &value);
            }
        }
    }]] ${lv2_client})
selvane_mend(lv2_text
[[        messageThread->processPendingEvents();]]
[[        messageThread->processPendingEvents();
        writeChangedParameterPorts();]] ${lv2_client})
selvane_mend(lv2_text
[[    std::unique_ptr<AudioProcessorEditor> editor;]]
[[    std::unique_ptr<AudioProcessorEditor> editor;
    std::vector<float> hostPortValues = std::vector<float> ((size_t) plugin->getNumParameters(),
                                                            std::numeric_limits<float>::quiet_NaN());
    std::vector<float> pluginValues = [this] {
        std::vector<float> values;
        for (int index = 0; index < plugin->getNumParameters(); ++index)
            values.push_back (plugin->getParameterValue (index));
        return values;
    }();]] ${lv2_client})

# The factory bank as the bundle's presets, in place of JUCE's one program
# preset (which changed nothing): each sets the nine parameters' ports to the
# values the processor reads from the preset's document.
selvane_mend(lv2_text
[[        for (auto i = 0, end = proc.getNumPrograms(); i < end; ++i)
        {
            os << "<" << getPresetUri (i) << ">\n"
                  "\ta pset:Preset ;\n"
                  "\tlv2:appliesTo <" JucePlugin_LV2URI "> ;\n"
                  "\trdfs:label \"" << proc.getProgramName (i) << "\" ;\n"
                  "\tstate:state [ <" << JucePluginLV2UriProgram << "> \"" << i << "\"^^xsd:int ; ] .\n"
                  "\n";
        }]]
[[        selvane::writeFactoryPresets (os, proc);]] ${lv2_client})

selvane_write_if_changed(${SELVANE_GENERATED_DIR}/juce_lv2_client/juce_LV2_Client.cpp "${lv2_text}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_FILE} ${CMAKE_CURRENT_LIST_DIR}/ParameterPorts.inl ${lv2_client})

