    // Included into the component class of the patched copy of JUCE's VST3
    // adapter (host/patches/juce_VST3_Wrapper.cpp.patch): the scratch buffers
    // processAudio copies the host's channels into hold the block size announced
    // in setupProcessing. A longer block is processed in slices of that size,
    // with the block's MIDI given to the first slice; a block whose buses could
    // not be sliced is answered with silence. No allocation: the slices' channel
    // lists live on the stack.
    template <typename FloatType>
    void processAudioInSlices (Vst::ProcessData& data)
    {
        const auto sliceLength = jmax ((Steinberg::int32) 1, processSetup.maxSamplesPerBlock);
        if (data.numSamples <= sliceLength)
        {
            processAudio<FloatType> (data);
            return;
        }

        constexpr int maxBuses = 4, maxChannels = 8;
        std::array<Vst::AudioBusBuffers, maxBuses> inputs, outputs;
        std::array<std::array<FloatType*, maxChannels>, maxBuses> inputChannels {}, outputChannels {};

        auto canSlice = [] (const Vst::AudioBusBuffers* buses, Steinberg::int32 count)
        {
            if (count < 0 || count > maxBuses)
                return false;
            for (Steinberg::int32 b = 0; b < count; ++b)
                if (buses[b].numChannels < 0 || buses[b].numChannels > maxChannels)
                    return false;
            return true;
        };

        if (! canSlice (data.inputs, data.inputs != nullptr ? data.numInputs : 0)
            || ! canSlice (data.outputs, data.outputs != nullptr ? data.numOutputs : 0))
        {
            for (Steinberg::int32 b = 0; data.outputs != nullptr && b < data.numOutputs; ++b)
                if (auto** channels = getAudioBusPointer (detail::Tag<FloatType>{}, data.outputs[b]))
                    for (Steinberg::int32 c = 0; c < data.outputs[b].numChannels; ++c)
                        if (channels[c] != nullptr)
                            FloatVectorOperations::clear (channels[c], (size_t) data.numSamples);
            return;
        }

        // The host's buses with every channel pointer moved on to `start`.
        auto offsetBuses = [] (Vst::AudioBusBuffers* from, Steinberg::int32 count, Steinberg::int32 start,
                               std::array<Vst::AudioBusBuffers, maxBuses>& to,
                               std::array<std::array<FloatType*, maxChannels>, maxBuses>& channels)
        {
            for (Steinberg::int32 b = 0; from != nullptr && b < count; ++b)
            {
                to[(size_t) b] = from[b];
                auto** source = getAudioBusPointer (detail::Tag<FloatType>{}, from[b]);
                if (source == nullptr)
                    continue;
                for (Steinberg::int32 c = 0; c < from[b].numChannels; ++c)
                    channels[(size_t) b][(size_t) c] = source[c] != nullptr ? source[c] + start : nullptr;
                getAudioBusPointer (detail::Tag<FloatType>{}, to[(size_t) b]) = channels[(size_t) b].data();
            }
            return from != nullptr ? to.data() : nullptr;
        };

        auto slice = data;
        selvane::forEachSlice (data.numSamples, sliceLength, [&] (Steinberg::int32 start, Steinberg::int32 length)
        {
            slice.numSamples = length;
            slice.inputs = offsetBuses (data.inputs, data.numInputs, start, inputs, inputChannels);
            slice.outputs = offsetBuses (data.outputs, data.numOutputs, start, outputs, outputChannels);
            processAudio<FloatType> (slice);
            midiBuffer.clear();
        });
    }

