# Sourced by the test and bench commands: a private desktop for the player to run on.
# Starts an X server with a window manager and a tray host, and a real PulseAudio server
# with a null sink, all in a private runtime folder; everything stops when the shell exits.

start_private_session() {
  QARN_RUN=$(mktemp -d /tmp/qarn-session.XXXXXX)
  chmod 700 "$QARN_RUN"
  export XDG_RUNTIME_DIR="$QARN_RUN"
  QARN_PIDS=()
  trap stop_private_session EXIT

  local disp=90
  while [ -e "/tmp/.X11-unix/X$disp" ] || [ -e "/tmp/.X$disp-lock" ]; do disp=$((disp + 1)); done
  Xvfb ":$disp" -screen 0 1280x1024x24 -nolisten tcp >"$QARN_RUN/xvfb.log" 2>&1 &
  QARN_PIDS+=($!)
  export DISPLAY=":$disp"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >"$QARN_RUN/openbox.log" 2>&1 &
  QARN_PIDS+=($!)
  trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
    >"$QARN_RUN/trayer.log" 2>&1 &
  QARN_PIDS+=($!)

  # The socket is named so that a player given its own runtime folder still reaches it.
  pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=test" --load=module-native-protocol-unix \
    >"$QARN_RUN/pulse.log" 2>&1 &
  QARN_PIDS+=($!)
  export PULSE_SERVER="unix:$QARN_RUN/pulse/native"
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-sink test >/dev/null 2>&1 || true
}

stop_private_session() {
  for p in "${QARN_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$QARN_RUN"
}
