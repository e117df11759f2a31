# Sourced by the scripts that drive windows: start_virtual_display WxH starts
# a virtual X server of our own (it reports the display it took), exports
# DISPLAY for it and QT_QPA_PLATFORM=xcb (a real X11 window, whatever
# platform the caller chose for its own tests), and leaves its process in
# XVFB_PID for the caller's clean-up.
start_virtual_display() {
  exec 3< <(Xvfb -displayfd 1 -screen 0 "$1x24" -nolisten tcp 2>/dev/null)
  XVFB_PID=$!
  local number
  read -r -t 10 number <&3
  export DISPLAY=":$number"
  export QT_QPA_PLATFORM=xcb
}
