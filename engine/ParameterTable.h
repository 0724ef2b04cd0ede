#pragma once

#include <array>
#include <optional>

// The nine automatable parameters: their order, names, defaults and the
// saved-state tags, plus the rules that turn a normalised value (0..1) into
// what the engine uses. Processor, editor, saved state, MIDI code and tests
// all read this one table.
namespace selvane
{
enum ParameterIndex
{
    kDelayTime = 0,
    kDelayFeedback,
    kMode,
    kBalance,
    kPingPong,
    kHighCut,
    kLowCut,
    kDryWet,
    kGain,
    numParameters
};

// How the editor's control for a parameter is scaled: its value runs from
// minimum to maximum in steps of `step` (0: continuous) and stands for the
// normalised value linearly (see controlFromNormalised).
struct ControlRange
{
    float minimum, maximum;
    double step;
};

struct ParameterInfo
{
    const char* name;                        // what hosts show, and its ID in their projects
    float defaultValue;                      // initial value and host default
    const char* stateTag;                    // element of the saved document
    const char* midiMapTag;                  // element holding its controller number
    const char* controlName;                 // the editor's control, by component name
    ControlRange control;                    // "DelayTime" follows the mode: delayTimeControlRange
    std::optional<double> doubleClickValue;  // the control's value a double-click returns to
    const char* unit;                        // after the number in its read-out
    const char* optionsLabel;                // its name on the options page's MIDI assignments
};

// The two filter parameters are saved, and their controls named, after the
// filters they drive: "HighCut" sets the loop's low-pass, "LowCut" its
// high-pass (docs/compatibility.md).
constexpr std::array<ParameterInfo, numParameters> parameterTable { {
    { "DelayTime",     0.0f,  "DelayTime",     "midiMapDelayTime",     "sliderDelayTime",     { 0.0f, 1.0f, 0.0 },     {},    "",    "Time" },
    { "DelayFeedback", 0.5f,  "DelayFeedback", "midiMapDelayFeedback", "sliderDelayFeedback", { 0.0f, 110.0f, 1.0 },   {},    " %",  "Feedback" },
    { "Mode",          0.33f, "Mode",          "midiMapMode",          "sliderMode",          { 0.0f, 1.0f, 0.01 },    {},    "",    "Mode" },
    { "Balance",       0.5f,  "Balance",       "midiMapBalance",       "sliderBalance",       { 0.0f, 100.0f, 1.0 },   50.0,  " %",  "Input Balance" },
    { "PingPong",      0.0f,  "PingPong",      "midiMapPingPong",      "sliderPingPong",      { 0.0f, 100.0f, 1.0 },   50.0,  " %",  "L/R Cross" },
    { "HighCut",       0.0f,  "LowPass",       "midiMapLowPass",       "sliderLowPass",       { 0.0f, 1.0f, 0.0 },     0.0,   " Hz", "High Cut" },
    { "LowCut",        0.0f,  "HighPass",      "midiMapHighPass",      "sliderHighPass",      { 0.0f, 1.0f, 0.0 },     0.0,   " Hz", "Low Cut" },
    { "DryWet",        0.5f,  "DryWet",        "midiMapDryWet",        "sliderDryWet",        { 0.0f, 100.0f, 1.0 },   50.0,  " %",  "Output" },
    { "Gain",          0.9f,  "Gain",          "midiMapGain",          "sliderGain",          { -90.0f, 10.0f, 1.0 },  0.0,   " dB", "Gain" },
} };

constexpr bool isParameterIndex (int index) noexcept { return index >= 0 && index < numParameters; }

//==============================================================================
// Delay modes chosen by "Mode".
enum DelayMode
{
    modeShort = 0,
    modeMedium = 1,
    modeLong = 2,
    modeSync = 3
};

struct ModeRange
{
    float minSeconds, maxSeconds;
};

// The "Mode" values the editor's four mode buttons send, by mode.
constexpr std::array<float, 4> modeButtonValues { 0.0f, 0.33f, 0.66f, 1.0f };

// Ranges of the three fixed modes; sync mode keeps whichever range was last in force.
constexpr std::array<ModeRange, 3> fixedModeRanges { { { 0.005f, 0.1f }, { 0.1f, 1.0f }, { 1.0f, 3.0f } } };

// "Mode": the nearest integer to 3x (halves away from zero), or nothing when
// that is not one of the four modes, which leaves the mode as it was.
std::optional<int> delayModeFor (float x) noexcept;

// "DelayTime" in a fixed mode: seconds within the mode's range, and those in
// samples, in single precision (saved sessions sound as they did:
// docs/compatibility.md).
float fixedModeSeconds (float x, ModeRange range) noexcept;
float fixedModeDelaySamples (float x, ModeRange range, float sampleRate) noexcept;

// "DelayTime" in sync mode: the note index, nearest to 24x and kept within the table.
int syncNoteIndexFor (float x) noexcept;

// The delay in samples of one tempo note at a tempo and time-signature denominator.
float tempoNoteDelaySamples (int noteIndex, double bpm, double denominator, float sampleRate) noexcept;

// "DelayFeedback": loop gain 1.1x, not clamped within any range a host
// could mean (only held to +-1e6 so the loop stays finite).
float loopGainFor (float x) noexcept;

// "Balance": the target as set, held to +-1e6 for the same reason.
float balanceTargetFor (float x) noexcept;

// "HighCut": corner of the loop's low-pass, 20 kHz at 0 falling to 500 Hz at 1.
float highCutFrequencyFor (float x) noexcept;

// "LowCut": corner of the loop's high-pass, 20 Hz at 0 rising to 500 Hz at 1.
float lowCutFrequencyFor (float x) noexcept;

// One-pole coefficient e^(-2 pi f / rate), with f / rate kept within 0..1.
float onePoleCoefficientFor (float cornerHz, float sampleRate) noexcept;

// "Gain": 100x - 90 dB as a linear factor; silence at or below -100 dB;
// never more than the largest finite float.
float outputGainFor (float x) noexcept;

//==============================================================================
// The editor's controls. A control's value and the parameter's normalised
// value are the same point of the control's range.
double normalisedFromControl (double controlValue, ControlRange range) noexcept;
float controlFromNormalised (float x, ControlRange range) noexcept;

// "DelayTime"'s control: the note index (0..24) in sync mode, otherwise the
// seconds of the range in force, to the millisecond.
ControlRange delayTimeControlRange (int mode, ModeRange rangeInForce) noexcept;

// The control's range for a parameter in the given mode and range.
ControlRange controlRangeFor (int index, int mode, ModeRange rangeInForce) noexcept;

// "Gain" driven by a MIDI controller follows a square-root law so the middle
// of the controller's travel sits near -19 dB rather than -40 dB.
float gainParameterForController (int controllerValue) noexcept;
} // namespace selvane
