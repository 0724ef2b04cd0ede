-- Inserts Selvane (LV2) on a track of a new session and loads each preset
-- named on the command line by its label, printing the parameters' controls
-- after each. Arguments: DIR LABEL...
local dir = arg[1]
AudioEngine:set_backend ("None (Dummy)", "", "")
local s = create_session (dir, "presets", 48000)
assert (s, "no session")
local tracks = s:new_audio_track (2, 2, nil, 1, "Echo", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local p = ARDOUR.LuaAPI.new_plugin (s, "https://www.orvelle.example/plugins/selvane", ARDOUR.PluginType.LV2, "")
assert (not p:isnil (), "no plug-in")
assert (tracks:front ():add_processor_by_index (p, 0, nil, true) == 0, "could not insert the plug-in")
local plugin = p:to_insert ():plugin (0)
local controls = p:to_insert ():to_automatable ()
for i = 2, #arg do
  local preset = plugin:preset_by_label (arg[i])
  assert (preset.valid, "no preset labelled " .. arg[i])
  assert (plugin:load_preset (preset), "the preset " .. arg[i] .. " did not load")
  ARDOUR.LuaAPI.usleep (200000)
  print ("preset " .. arg[i])
  for param in controls:all_automatable_params ():iter () do
    local c = controls:automation_control (param, false)
    if not c:isnil () and c:name () ~= "hidden" then
      print (string.format ("control %s %.6f", c:name (), c:get_value ()))
    end
  end
end
close_session ()
