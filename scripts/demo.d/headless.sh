# shellcheck shell=bash disable=SC2154  # sourced by inside.sh, which sets the variables
# The demo without a display, sourced by inside.sh: the updater runs on a virtual X
# display and is worked with real keyboard input (XTEST, via xdotool) and no mouse at
# all, as a technician who cannot or will not use one works it, while screenshots
# record what it shows. The virtual display has no window manager: where one would
# hand the keyboard to a window that opens, xdotool windowfocus does.
#
# Uses from inside.sh: work, out, scale, firmware, started, start_updater, updater_pid,
# adb_card, storage_camera, say, die.

# Where the device list sits in the main window: fixed by the window's form. Rows are
# found by their text, one line centred on each row, in a strip right of the pictures.
# The screen's scale factor multiplies every size in the form, the window's own too.
form_width=431 form_height=414
text_strip_x=$((115 * scale)) text_strip_y=$((92 * scale))
text_strip_width=$((285 * scale)) text_strip_height=$((287 * scale))
# The bench's window, enlarged so that ten rows fit.
bench_width=$((560 * scale)) bench_height=$((1160 * scale))

start_xvfb() {
    local cookie
    cookie=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
    export XAUTHORITY="$work/xauthority"
    touch "$XAUTHORITY"
    # The server takes every cookie in its file, whatever display it is recorded for.
    xauth -q -f "$XAUTHORITY" add :0 . "$cookie"
    # In a session of its own, as the server: Ctrl-C is for this script, which then
    # ends everything in order.
    setsid Xvfb -displayfd 3 -screen 0 "$((800 * scale))x$((1220 * scale))x24" -noreset \
        -nolisten tcp -auth "$XAUTHORITY" 3>"$work/xvfb.display" 2>"$work/xvfb.log" &
    started+=("$!")
    for _ in $(seq 100); do
        [ -s "$work/xvfb.display" ] && break
        sleep 0.1
    done
    [ -s "$work/xvfb.display" ] || { cat "$work/xvfb.log" >&2; die "Xvfb did not start"; }
    DISPLAY=":$(tr -d ' \n' <"$work/xvfb.display")"
    export DISPLAY
    xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$cookie"
    # A desktop set to 200 % says so to X11 programs as Xft.dpi 192, in the resource
    # database that xrdb would load (-noreset keeps it when the last client leaves).
    # Without it Qt 5 would take the factor from Xvfb's made-up physical DPI.
    xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$((96 * scale))"
}

show_log_and_die() {
    printf '%s\n' "--- updater output:" >&2
    tail -n 40 "$work/updater.log" >&2 || true
    die "$1"
}

# visible_window REGEX: the id of a shown window whose title matches, if any.
visible_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1
}

# await_window REGEX SECONDS: waits for a shown window whose title matches; prints its id.
await_window() {
    local regex=$1 tenths=$(($2 * 10)) id
    while [ "$tenths" -gt 0 ]; do
        id=$(visible_window "$regex")
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$updater_pid" 2>/dev/null || show_log_and_die "the updater ended unexpectedly"
        sleep 0.1
        tenths=$((tenths - 1))
    done
    return 1
}

# list_rows WINDOW: the vertical centres (window coordinates) of the rows that the
# device list shows, one per line: the bands of the text strip that hold ink, a row's
# two lines (its text, and where the camera is and how it stands) taken as one.
list_rows() {
    import -window "$1" "$work/probe.png" 2>/dev/null || return 0
    convert "$work/probe.png" \
        -crop "${text_strip_width}x${text_strip_height}+${text_strip_x}+${text_strip_y}" +repage \
        -colorspace Gray -scale "1x${text_strip_height}!" -depth 8 txt:- |
        awk -F'[(),: ]+' -v top="$text_strip_y" -v gap=$((16 * scale)) '
            function row() { if (end - start >= 4) print int(top + (start + end) / 2); start = -1 }
            BEGIN { start = -1 }
            NR == 1 { next }
            $3 < 250 { if (start < 0) start = $2; end = $2; next }
            start >= 0 && $2 - end > gap { row() }
            END { if (start >= 0) row() }'
}

# await_rows WINDOW COUNT WHAT: fills `rows` with the centres of the rows the list shows,
# once it shows COUNT of them; ends the demo, naming WHAT, when it does not within 30 s
# or a message box comes instead.
await_rows() {
    local window=$1 count=$2 what=$3 tenths=300
    while [ "$tenths" -gt 0 ]; do
        mapfile -t rows < <(list_rows "$window")
        [ "${#rows[@]}" -ge "$count" ] && return 0
        [ -n "$(visible_window ' - ')" ] && show_log_and_die "unexpected message: $(xdotool getwindowname "$(visible_window ' - ')")"
        sleep 0.1
        tenths=$((tenths - 1))
    done
    show_log_and_die "the window listed ${#rows[@]} of $what within 30 s"
}

# screenshot FILE WINDOW...: the part of the screen that the windows cover.
screenshot() {
    local file=$1 left=100000 top=100000 right=0 bottom=0 id geometry X Y WIDTH HEIGHT
    shift
    for id in "$@"; do
        geometry=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null) || die "window $id went away"
        eval "$geometry"
        [ "$X" -lt "$left" ] && left=$X
        [ "$Y" -lt "$top" ] && top=$Y
        [ $((X + WIDTH)) -gt "$right" ] && right=$((X + WIDTH))
        [ $((Y + HEIGHT)) -gt "$bottom" ] && bottom=$((Y + HEIGHT))
    done
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$file"
}

# caption FILE TEXT: writes TEXT in a bar under the picture. The virtual display has no
# window manager, so a message box shows no title bar; its title goes here instead.
caption() {
    local font
    font=$(fc-match -f '%{file}' sans 2>/dev/null || true)
    convert "$1" \( -size "$(identify -format %w "$1")x26" xc:'#3b3b3b' -fill white \
        ${font:+-font "$font"} -pointsize 13 -gravity west -annotate +10+0 "$2" \) \
        -append "$1" 2>/dev/null || true
}

same_file() { cmp -s "$1" "$2"; }

# await_gone REGEX SECONDS WHAT: waits until no shown window's title matches.
await_gone() {
    local tenths=$(($2 * 10))
    while [ -n "$(visible_window "$1")" ] && [ "$tenths" -gt 0 ]; do
        sleep 0.1
        tenths=$((tenths - 1))
    done
    [ "$tenths" -gt 0 ] || die "$3"
}

# The message box that Enter on a row brings up: its title, after it is closed.
box_title=""
update_row_by_keys() { # WINDOW KEYS SCREENSHOT: KEYS move to the row, Enter updates it
    local window=$1 keys=$2 shot=$3 box progress
    # shellcheck disable=SC2086  # the keys are words of their own
    xdotool windowfocus --sync "$window" key --delay 80 $keys Return
    # The first download comes slowly: the progress window shows for a while.
    if [ ! -e "$out/progress-single.png" ] && progress=$(await_window '^Updating camera firmware$' 5); then
        sleep 0.8
        screenshot "$out/progress-single.png" "$window" "$progress"
    fi
    box=$(await_window ' - ' 30) || show_log_and_die "no message box within 30 s of $keys Return on the list"
    box_title=$(xdotool getwindowname "$box")
    sleep 0.5   # mapped is not yet painted
    screenshot "$shot" "$window" "$box"
    caption "$shot" "Message box \"$box_title\""
    # Ok is the box's only button: Escape closes it as well as Return would.
    xdotool windowfocus --sync "$box" key Escape
    await_gone "^${box_title}\$" 10 "the box \"$box_title\" did not close on Escape"
}

# menu_to_history WINDOW KEY: the list's context menu by KEY (Menu, shift+F10), its
# History item by its underlined letter; Escape closes the history again.
menu_to_history() {
    local history
    xdotool windowfocus --sync "$1" key "$2"
    sleep 0.5   # the menu opens from the event loop
    xdotool key h
    history=$(await_window '^Update history$' 10) || show_log_and_die "$2 and h on the list opened no history"
    xdotool windowfocus --sync "$history" key Escape
    await_gone '^Update history$' 10 "the history did not close on Escape"
}

run_headless() {
    start_xvfb
    serve_slowly
    start_updater
    local window
    window=$(await_window '^(Check Firmware|No Internet Connection)$' 30) \
        || show_log_and_die "the updater's window did not appear within 30 s"
    if [ "$(xdotool getwindowname "$window")" = "No Internet Connection" ]; then
        show_log_and_die "the updater could not fetch the catalogue from the demo server"
    fi
    local WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
    [ "${WIDTH}x$HEIGHT" = "$((form_width * scale))x$((form_height * scale))" ] \
        || die "at scale $scale the window is ${WIDTH}x$HEIGHT, not the form's ${form_width}x$form_height times $scale"

    # Three cameras: two cards, one over adb.
    local rows=()
    await_rows "$window" 3 "the 3 simulated cameras"
    sleep 0.5   # let the paint that showed the last row finish
    screenshot "$out/window.png" "$window"
    say "the window lists the three cameras: $out/window.png"

    # Each row by the arrow keys and Enter; the row order is the order of detection,
    # so each outcome is checked by the title it comes with.
    local keys seen=""
    for keys in Home Down Down; do
        update_row_by_keys "$window" "$keys" "$work/box.png"
        case "$seen" in *"[$box_title]"*) die "two rows gave the same answer: $box_title" ;; esac
        seen="${seen}[$box_title]"
        case "$box_title" in
        "TZ2200 - Update Successful")
            same_file "$firmware/TZ2200-5.920.BIN" "$work/cards/TZ2200/DCIM/TZ22LOAD/TZ22UPDT.BIN" \
                || die "TZ2200: the box says success but the card does not hold the catalogue's image"
            mv "$work/box.png" "$out/update-successful.png"
            say "TZ2200 (card): updated, TZ22UPDT.BIN is on the card: $out/update-successful.png"
            ;;
        "VEK - No Update Required")
            [ -z "$(ls -A "$work/cards/VEK-PELKA/DCIM/VEKLOAD")" ] \
                || die "VEK: up to date, yet something was written to its update folder"
            mv "$work/box.png" "$out/no-update-required.png"
            say "VEK PELKA (card): up to date, nothing written: $out/no-update-required.png"
            ;;
        "TZ7600 - Update Successful")
            same_file "$firmware/TZ7600-1.310.BIN" "$adb_card/DCIM/TZ76LOAD/TZ76UPDT.BIN" \
                || die "TZ7600: the box says success but adb did not push the catalogue's image"
            [ -z "$(ls -A "$work/run")" ] || die "TZ7600: the staging file was left in the working directory"
            mv "$work/box.png" "$out/adb-update-successful.png"
            say "TZ7600 (adb): updated, TZ76UPDT.BIN pushed to the camera: $out/adb-update-successful.png"
            ;;
        *)
            show_log_and_die "unexpected message box: $box_title"
            ;;
        esac
    done
    say "all three simulated cameras were listed and behaved as expected, by arrow keys, Enter and Escape"
    menu_to_history "$window" Menu
    menu_to_history "$window" shift+F10
    say "the Menu key and Shift+F10 open the list's menu, Escape closes the history"
    bench "$window"
}

# serve_slowly: every image comes in small pieces from now on, so that the progress
# window stays long enough to be seen.
serve_slowly() {
    local image routes="{" separator=""
    for image in "$firmware"/*; do
        routes="$routes$separator\"${image#"$work/www"}\": {\"body\": \"$image\", \"chunk\": 16384, \"interval_ms\": 60}"
        separator=", "
    done
    printf '%s}\n' "$routes" >"$work/server-state/routes.json.new"
    mv "$work/server-state/routes.json.new" "$work/server-state/routes.json"
}

# bench WINDOW: a new tray of ten cameras, mostly of one model, updated by one press
# of Update All with nobody at the keyboard until its summary; the rows tell the outcome.
bench() {
    local window=$1 rows=() tenths=300 progress
    umount "$work/cards/TZ2200" "$work/cards/VEK-PELKA"
    rm -rf "${adb_card%/card}"
    storage_camera TZ4100 TZ41 5.900
    storage_camera TZ2200-B TZ22 5.910
    storage_camera TZ2200-C TZ22 5.900
    storage_camera TZ5500 TZ55 4.010
    storage_camera TZ2200-D TZ22 5.917
    storage_camera TZ7000 TZ7K 2.290
    storage_camera VEK-ORVA VEK 2.100 ORVA
    storage_camera TZ2200-E TZ22 5.910
    storage_camera VEK-TALM VEK 2.098 TALM   # up to date
    card_layout "$VEK_FAKE_ADB_STATE/devices/R58M90ABCDE/card" TZ76 1.300
    xdotool windowsize --sync "$window" "$bench_width" "$bench_height"
    text_strip_height=$((bench_height - 127 * scale))
    await_rows "$window" 10 "the bench's 10 cameras"
    sleep 0.5
    screenshot "$out/bench-listed.png" "$window"

    xdotool windowfocus --sync "$window" key ctrl+u
    progress=$(await_window '^Updating camera firmware$' 30) || show_log_and_die "no progress window after Ctrl+U"
    sleep 0.8   # several lines under way
    screenshot "$out/progress-update-all.png" "$progress"
    say "Update All (Ctrl+U) runs the ten cameras side by side: $out/progress-update-all.png"
    # The progress window took no keyboard from the list; F6 goes there, and back.
    [ "$(xdotool getwindowfocus)" = "$window" ] || die "the progress window took the keyboard from the list"
    xdotool key F6
    sleep 0.5
    [ "$(xdotool getwindowfocus)" = "$progress" ] || die "F6 in the main window did not go to the progress window"
    xdotool key F6
    sleep 0.5
    [ "$(xdotool getwindowfocus)" = "$window" ] || die "F6 in the progress window did not go back"

    # The technician comes back to one summary of the ten, not a box each.
    local summary
    summary=$(await_window '^Update summary$' 120) || show_log_and_die "no summary came after Update All"
    sleep 0.5   # mapped is not yet painted
    screenshot "$out/update-summary.png" "$window" "$summary"
    [ -z "$(visible_window ' - ')" ] || die "Update All showed a box besides its summary"
    xdotool windowfocus --sync "$summary" key Escape
    await_gone '^Update summary$' 10 "the summary did not close on Escape"
    sleep 0.5
    screenshot "$out/bench-updated.png" "$window"
    local camera
    for camera in TZ2200-B TZ2200-C TZ2200-D TZ2200-E; do
        same_file "$firmware/TZ2200-5.920.BIN" "$work/cards/$camera/DCIM/TZ22LOAD/TZ22UPDT.BIN" \
            || die "$camera: Update All said success, but the card does not hold the catalogue's image"
    done
    say "ten cameras updated by one press of Update All; the rows tell how each went: $out/bench-updated.png"
}

# updater_windows: the ids of the updater's shown windows, whatever their titles say.
updater_windows() {
    xdotool search --onlyvisible --pid "$updater_pid" 2>/dev/null || true
}

# run_translated: the window in $language, with its three cameras, then Update All by
# its key and the summary it ends on: window-LL.png and update-summary-LL.png. The
# titles are translated, so windows are told apart by their order, not their names.
run_translated() {
    start_xvfb
    serve_slowly
    start_updater
    local window="" progress="" summary="" rows=() tenths=300 id
    while [ -z "$window" ] && [ "$tenths" -gt 0 ]; do
        window=$(updater_windows | head -n 1)
        sleep 0.1
        tenths=$((tenths - 1))
    done
    [ -n "$window" ] || show_log_and_die "the updater's window did not appear within 30 s"
    await_rows "$window" 3 "the 3 simulated cameras"
    sleep 0.5
    screenshot "$out/window-$language.png" "$window"
    xdotool windowfocus --sync "$window" key ctrl+u
    tenths=1200
    while [ -z "$summary" ] && [ "$tenths" -gt 0 ]; do
        for id in $(updater_windows); do
            [ "$id" = "$window" ] && continue
            [ -z "$progress" ] && progress=$id
            [ "$id" != "$progress" ] && summary=$id
        done
        sleep 0.1
        tenths=$((tenths - 1))
    done
    [ -n "$summary" ] || show_log_and_die "no summary came after Update All"
    sleep 0.5
    screenshot "$out/update-summary-$language.png" "$window" "$summary"
    say "the window in $language: $out/window-$language.png, $out/update-summary-$language.png"
}
