// The parameters' control input ports. A port's value applies when the host
// changes it, that is when the port holds something other than it held when
// last looked at; a change made inside the plug-in (editor, MIDI controller,
// MIDI learn) stays until the host writes the port again.
//
// Before the first run a port counts as holding its default: a value given
// before the first run applies, a port left at its default changes nothing.
// A state restore looks at every port as it stands then, so the restored state
// decides and only what the host writes afterwards applies; a port the host
// has not connected yet counts as at its default (a session saved when the
// parameters were not ports leaves them there, and plays as saved).
class ParameterPorts
{
public:
    explicit ParameterPorts (AudioProcessor& processor)
    {
        for (auto* param : processor.getParameters())
            defaults.push_back (param->getDefaultValue());
        lastSeen = defaults;
        ports.resize (defaults.size(), nullptr);
    }

    // False if the index is not a parameter's.
    bool connect (int parameterIndex, void* data)
    {
        if (! isPositiveAndBelow (parameterIndex, (int) ports.size()))
            return false;
        ports[(size_t) parameterIndex] = static_cast<const float*> (data);
        return true;
    }

    // Called by the state restore, which never runs while run() does (the
    // plug-in does not claim a thread-safe restore).
    void stateWasRestored()
    {
        for (size_t i = 0; i < ports.size(); ++i)
            lastSeen[i] = ports[i] != nullptr ? *ports[i] : defaults[i];
    }

    template <typename Callback>
    void forEachChange (Callback&& callback)
    {
        for (size_t i = 0; i < ports.size(); ++i)
        {
            if (ports[i] == nullptr || *ports[i] == lastSeen[i])
                continue;
            lastSeen[i] = *ports[i];
            callback ((int) i, lastSeen[i]);
        }
    }

private:
    std::vector<const float*> ports;
    std::vector<float> defaults, lastSeen;
};
