// selvane-snapshot OUTPUT_DIR: renders the editor's parts (and the editor
// itself, at 1x and as a screen scaled by 2 shows it) into PNG files for
// review, without a display.

#include "BinaryData.h"
#include "editor/AltLookAndFeel.h"
#include "editor/Layout.h"
#include "editor/Oscillo.h"
#include "editor/Pictures.h"
#include "editor/VelmorAudioProcessorEditor.h"
#include "editor/WelcomeGUI.h"
#include "engine/VelmorAudioProcessor.h"

#include <cmath>
#include <cstdio>

namespace
{
juce::Rectangle<int> bounds (layout::Box box) { return { box.x, box.y, box.width, box.height }; }

bool writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    return out.openedOk() && png.writeImageToStream (image, out);
}

juce::Image background() { return pictures::get (pictures::Id::cassettePhoto); }

// Every embedded picture as a PNG, the filmstrips as a few frames side by side.
bool writePictures (const juce::File& dir)
{
    bool ok = true;
    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        const juce::String name (BinaryData::namedResourceList[i]);
        if (name.endsWith ("_ttf"))
            continue;
        int size = 0;
        const char* data = BinaryData::getNamedResource (BinaryData::namedResourceList[i], size);
        auto image = juce::ImageCache::getFromMemory (data, size);
        if (image.getHeight() == 8890)
        {
            juce::Image frames (juce::Image::ARGB, 70 * 5, 70, true);
            juce::Graphics g (frames);
            for (int k = 0; k < 5; ++k)
                g.drawImage (image, 70 * k, 0, 70, 70, 0, 70 * (k * 126 / 4), 70, 70);
            image = frames;
        }
        ok = ok && writePng (image, dir.getChildFile (name + ".png"));
    }
    return ok;
}

// The welcome page over the editor's background.
juce::Image welcomeSnapshot()
{
    juce::Image image (juce::Image::RGB, layout::editorWidth, layout::editorHeight, true);
    juce::Graphics g (image);
    g.drawImageAt (background(), 0, 0);
    AltLookAndFeel look;
    juce::LookAndFeel::setDefaultLookAndFeel (&look);
    {
        WelcomeGUI page;
        page.setVisible (true);
        page.paintEntireComponent (g, true);
    }
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    return image;
}

// The controls' drawing: both reels, linear sliders and the waveform strip.
juce::Image controlsSnapshot()
{
    juce::Image image (juce::Image::RGB, layout::editorWidth, layout::editorHeight, true);
    juce::Graphics g (image);
    g.drawImageAt (background(), 0, 0);

    AltLookAndFeel defaultLook;
    AltLookAndFeelDelayTime timeLook;
    AltLookAndFeelDelayFeedback feedbackLook;
    juce::LookAndFeel::setDefaultLookAndFeel (&defaultLook);

    juce::Component root;
    root.setSize (layout::editorWidth, layout::editorHeight);
    juce::Slider time (juce::Slider::RotaryVerticalDrag, juce::Slider::NoTextBox), feedback (juce::Slider::RotaryVerticalDrag, juce::Slider::NoTextBox);
    time.setLookAndFeel (&timeLook);
    feedback.setLookAndFeel (&feedbackLook);
    time.setBounds (bounds (layout::delayTimeKnob));
    feedback.setBounds (bounds (layout::feedbackKnob));
    time.setValue (0.3, juce::dontSendNotification);
    feedback.setValue (0.7, juce::dontSendNotification);

    const juce::uint32 colours[] = { 0xfffff200, 0xfffff200, 0xffff00a1, 0xffff00a1, 0xff00ff7c };
    const layout::Box rows[] = { layout::balanceSlider, layout::pingPongSlider, layout::lowCutSlider, layout::highCutSlider,
                                 layout::dryWetSlider };
    juce::OwnedArray<juce::Slider> linear;
    for (int i = 0; i < 5; ++i)
    {
        auto* s = linear.add (new juce::Slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox));
        s->setColour (juce::Slider::trackColourId, juce::Colour (colours[i]));
        s->setColour (juce::Slider::backgroundColourId, juce::Colour (0x00ffffff));
        s->setBounds (bounds (rows[i]));
        s->setRange (0.0, 1.0);
        s->setValue (0.2 + 0.15 * i, juce::dontSendNotification);
        root.addAndMakeVisible (s);
    }

    Oscillo::ScopeBuffers scope;
    for (int i = 0; i < 512; ++i)
    {
        scope[0][(size_t) i].store (0.7f * std::sin ((float) i * 0.07f) * std::exp (-(float) i / 400.0f));
        scope[1][(size_t) i].store (0.45f * std::sin ((float) i * 0.11f + 1.0f));
    }
    Oscillo oscillo (&scope, 512);
    oscillo.setBounds (bounds (layout::oscilloscope));

    root.addAndMakeVisible (time);
    root.addAndMakeVisible (feedback);
    root.addAndMakeVisible (oscillo);
    root.paintEntireComponent (g, true);

    time.setLookAndFeel (nullptr);
    feedback.setLookAndFeel (nullptr);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    return image;
}
// The whole editor on a processor that has just played the demo's kind of
// material: settings moved off their defaults and a waveform in the strip;
// drawn at `scale` device pixels per editor pixel, as on a scaled screen.
juce::Image editorSnapshot (int background, bool withOptions, int scale = 1)
{
    VelmorAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);
    const std::pair<int, float> settings[] = { { selvane::kDelayTime, 0.35f }, { selvane::kDelayFeedback, 0.62f },
                                               { selvane::kPingPong, 0.7f },  { selvane::kHighCut, 0.35f },
                                               { selvane::kLowCut, 0.15f },   { selvane::kDryWet, 0.45f },
                                               { selvane::kBalance, 0.5f },   { selvane::kGain, 0.9f } };
    for (auto [index, value] : settings)
        processor.setParameter (index, value);
    processor.idxGUI = background;
    processor.midiMap[selvane::kDelayTime] = 74;

    juce::AudioBuffer<float> block (2, 512);
    for (int i = 0; i < 512; ++i)
    {
        block.setSample (0, i, 0.6f * std::sin ((float) i * 0.09f) * std::exp (-(float) i / 300.0f));
        block.setSample (1, i, 0.35f * std::sin ((float) i * 0.05f + 0.7f));
    }
    juce::MidiBuffer midi;
    processor.processBlock (block, midi);

    juce::Image image (juce::Image::RGB, layout::editorWidth * scale, layout::editorHeight * scale, true);
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
        dynamic_cast<juce::Timer*> (editor.get())->timerCallback();
        if (withOptions)
            for (auto* child : editor->getChildren())
                if (child->getName().isEmpty() && dynamic_cast<OptionGUI*> (child) != nullptr)
                {
                    child->setVisible (true);
                    dynamic_cast<OptionGUI*> (child)->timerCallback();
                }
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale ((float) scale));
        editor->paintEntireComponent (g, true);
        processor.editorBeingDeleted (editor.get());
    }
    return image;
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: selvane-snapshot OUTPUT_DIR\n");
        return 2;
    }
    const juce::ScopedJuceInitialiser_GUI juce;
    const auto dir = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    if (! dir.createDirectory())
    {
        std::fprintf (stderr, "selvane-snapshot: cannot create %s\n", dir.getFullPathName().toRawUTF8());
        return 1;
    }
    const bool ok = writePictures (dir) && writePng (welcomeSnapshot(), dir.getChildFile ("welcome.png"))
                 && writePng (controlsSnapshot(), dir.getChildFile ("controls.png"))
                 && writePng (editorSnapshot (0, false), dir.getChildFile ("editor.png"))
                 && writePng (editorSnapshot (1, false), dir.getChildFile ("editor-outline.png"))
                 && writePng (editorSnapshot (0, true), dir.getChildFile ("editor-options.png"))
                 && writePng (editorSnapshot (0, false, 2), dir.getChildFile ("editor-2x.png"))
                 && writePng (editorSnapshot (1, false, 2), dir.getChildFile ("editor-outline-2x.png"))
                 && writePng (editorSnapshot (0, true, 2), dir.getChildFile ("editor-options-2x.png"));
    if (! ok)
    {
        std::fprintf (stderr, "selvane-snapshot: writing the snapshots failed\n");
        return 1;
    }
    std::printf ("wrote snapshots to %s\n", dir.getFullPathName().toRawUTF8());
    return 0;
}
