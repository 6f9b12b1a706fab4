# shellcheck shell=bash disable=SC2154  # sourced by inside.sh, which sets the variables
# The window as a screen reader meets it, sourced by inside.sh after headless.sh: a
# session bus of the run's own, the AT-SPI bus on it, and the updater with Qt's bridge
# to that bus switched on; tests/demo/accessibility.py then walks what the bus shows
# of the window (see there). Skipped (77) where the bus cannot be had.
#
# Uses from inside.sh and headless.sh: work, repo, started, updater_environment,
# start_xvfb, serve_slowly, start_updater, show_log_and_die, say.

run_accessibility() {
    start_xvfb
    # The session bus, ended with the run's other processes.
    dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
        3>"$work/bus.address" 4>"$work/bus.pid" 2>"$work/bus.log" \
        || { cat "$work/bus.log" >&2; exit 77; }
    started+=("$(cat "$work/bus.pid")")
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
    export DBUS_SESSION_BUS_ADDRESS
    # The accessibility bus, up before the updater looks for it: Qt's bridge asks for
    # the bus once, at start, and stays off where there was none.
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
    started+=("$!")
    local tenths=100
    until dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1; do
        tenths=$((tenths - 1))
        [ "$tenths" -gt 0 ] || { cat "$work/atspi.log" >&2; exit 77; }
        sleep 0.1
    done
    serve_slowly
    updater_environment=(QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
    start_updater
    local status=0
    timeout 300 /usr/bin/python3 "$repo/tests/demo/accessibility.py" || status=$?
    [ "$status" = 0 ] || { [ "$status" = 77 ] && exit 77; show_log_and_die "the window failed its accessibility check"; }
    say "every control a screen reader reaches has a name; Update All, pressed through the bus, shows in the rows' names"
}
