-- Reopens the session and prints what Ardour's own controls hold for the
-- nine parameters. Command line: DIR NAME.
local dir, name = arg[1], arg[2]
AudioEngine:set_backend ("None (Dummy)", "", "")
local s = load_session (dir, name)
assert (s, "the session does not load")
ARDOUR.LuaAPI.usleep (500000)
for r in s:get_routes ():iter () do
  local i = 0
  while true do
    local p = r:nth_plugin (i)
    if p:isnil () then break end
    local controls = p:to_insert ():to_automatable ()
    for param in controls:all_automatable_params ():iter () do
      local c = controls:automation_control (param, false)
      if not c:isnil () and c:name () ~= "hidden" then
        print ("control " .. c:name () .. " " .. string.format ("%.4f", c:get_value ()))
      end
    end
    i = i + 1
  end
end
close_session ()
