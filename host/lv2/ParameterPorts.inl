// The parameters' control input ports. A value the host puts on a port is
// applied when it differs from what the port held at the last run, and before
// the first run a port counts as holding its default: a value given before the
// first run is applied, a port left at its default changes nothing. A state
// restore counts every port as back at its default, so the restored state
// keeps the parameters whose ports the host leaves at their defaults (as a
// session saved before the parameters were ports does), and a port the host
// set otherwise still wins.
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

    void stateWasRestored() { restored.store (true); }

    template <typename Callback>
    void forEachChange (Callback&& callback)
    {
        if (restored.exchange (false))
            std::copy (defaults.begin(), defaults.end(), lastSeen.begin());

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
    std::atomic<bool> restored { false };
};

