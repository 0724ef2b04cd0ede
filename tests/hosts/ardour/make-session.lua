-- Makes a session with one stereo track holding Selvane in the format asked
-- for, sets "DelayTime", and saves it. Arguments on the
-- command line: DIR NAME PLUGIN KIND ("LV2", "VST3", "LXVST") VALUE.
local dir, name, plugin, kind, value = arg[1], arg[2], arg[3], arg[4], tonumber (arg[5])
AudioEngine:set_backend ("None (Dummy)", "", "")
local s = create_session (dir, name, 48000)
assert (s, "no session")
local tracks = s:new_audio_track (2, 2, nil, 1, "Echo", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local track = tracks:front ()
local p = ARDOUR.LuaAPI.new_plugin (s, plugin, ARDOUR.PluginType[kind], "")
assert (not p:isnil (), "no plug-in " .. plugin)
assert (track:add_processor_by_index (p, 0, nil, true) == 0, "could not insert the plug-in")
local controls = p:to_insert ():to_automatable ()
local found = false
for param in controls:all_automatable_params ():iter () do
  local c = controls:automation_control (param, false)
  -- "DelayTime" is a port; sessions from before it was one have it as the property ending ":DelayTime".
  if not c:isnil () and (c:name () == "DelayTime" or c:name ():sub (-10) == ":DelayTime") then
    c:set_value (value, PBD.GroupControlDisposition.NoGroup)
    found = true
  end
end
assert (found, "no DelayTime parameter")
ARDOUR.LuaAPI.usleep (500000)
s:save_state ("", false, false, false, false, false)
print ("saved")
close_session ()
