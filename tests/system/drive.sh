# Helpers for driving the real MerivexDemo on a desktop as a person would:
# clicks at the controls' positions, typed keys, waits on what the screen
# shows, screenshots. Sourced (bash) by tests/system/e2e_patient_run.sh and
# tools/screenshots.sh.
#
# Positions come from the main window's real X geometry plus the designer
# files under forms/ (geometry there is in pixels). Child windows of the
# workspace are not X windows: a normal one sits at the workspace's top-left
# inside the sub-window frame below, a maximized one fills the workspace.
# Modal message boxes and the About box are X windows of their own.

DRIVE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
DRIVE_FORMS=$DRIVE_ROOT/forms

# The workspace's sub-window frame (Fusion, the style Qt uses without a
# desktop session; pinned so that the frame does not depend on the host).
export QT_STYLE_OVERRIDE=Fusion
MDI_BORDER=4
MDI_TITLE=24
# Row height of the grid control, from its source.
GRID_ROW=$(sed -n 's/^constexpr int RowHeight = \([0-9]*\);.*/\1/p' "$DRIVE_ROOT/classic/flexgrid.cpp")

DRIVE_STEP=start
DRIVE_TIMEOUT=${DRIVE_TIMEOUT:-15}

drive_fail()
{
    echo "FAILED at step '$DRIVE_STEP': $*" >&2
    exit 1
}

step()
{
    DRIVE_STEP=$1
    echo "step: $1"
}

# Re-runs the calling script inside a fresh Xvfb unless it is in one already.
drive_in_xvfb()
{
    if [ -z "${DRIVE_IN_XVFB:-}" ]; then
        exec env DRIVE_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
    fi
}

# Starts a desktop of the script's own, as a user's session has one: an Xvfb
# on a display no other test holds, a private D-Bus session, the openbox window
# manager and, with DRIVE_ACCESSIBILITY=1, the accessibility bus that screen
# readers listen on. stop_desktop (call it from the EXIT trap) ends all of it.
# DRIVE_WM_LOG names a file for the window manager's messages.
drive_on_desktop()
{
    local displayfd
    # A signal ends the script through its EXIT trap, which stops the desktop.
    trap 'exit 1' TERM INT HUP
    displayfd=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$displayfd" 2>/dev/null &
    DESKTOP_PIDS=($!)
    wait_for "Xvfb to choose a display" test -s "$displayfd"
    export DISPLAY=:$(cat "$displayfd")
    rm -f "$displayfd"
    wait_for "Xvfb to answer on $DISPLAY" x_answers
    # Sockets of the session (the accessibility bus's among them) stay apart
    # from any other test's.
    DESKTOP_RUNTIME=$(mktemp -d)
    export XDG_RUNTIME_DIR=$DESKTOP_RUNTIME
    eval "$(dbus-launch --sh-syntax 2>/dev/null)"
    DESKTOP_PIDS+=("$DBUS_SESSION_BUS_PID")
    if [ -n "${DRIVE_ACCESSIBILITY:-}" ]; then
        /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
        DESKTOP_PIDS+=($!)
        export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    fi
    openbox --config-file /etc/xdg/openbox/rc.xml >"${DRIVE_WM_LOG:-/dev/null}" 2>&1 &
    DESKTOP_PIDS+=($!)
    wait_for "openbox to manage the screen" wm_running
}

x_answers() { xprop -root _NET_SUPPORTED >/dev/null 2>&1; }
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# wm_state_has WID STATE: the window manager has put the window in that
# _NET_WM_STATE (MAXIMIZED_VERT, SKIP_TASKBAR, ...).
wm_state_has() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q "_NET_WM_STATE_$2"; }

# wm_allows WID ACTION: the window manager offers that action (MOVE, RESIZE,
# MAXIMIZE_HORZ, ...) for the window.
wm_allows() { xprop -id "$1" _NET_WM_ALLOWED_ACTIONS 2>/dev/null | grep -q "_NET_WM_ACTION_$2\b"; }

# fixed_size WID: the window's size hints allow one size only.
fixed_size()
{
    local hints min max
    hints=$(xprop -id "$1" WM_NORMAL_HINTS)
    min=$(sed -n 's/.*minimum size: *//p' <<<"$hints")
    max=$(sed -n 's/.*maximum size: *//p' <<<"$hints")
    [ -n "$min" ] && [ "$min" = "$max" ]
}

window_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# kill_tree PID: the process and everything it started, children first.
kill_tree()
{
    local child
    for child in $(pgrep -P "$1"); do
        kill_tree "$child"
    done
    kill "$1" 2>/dev/null || true
}

stop_desktop()
{
    local i
    for ((i = ${#DESKTOP_PIDS[@]} - 1; i >= 0; i--)); do
        kill_tree "${DESKTOP_PIDS[i]}"
        wait "${DESKTOP_PIDS[i]}" 2>/dev/null || true
    done
    DESKTOP_PIDS=()
    [ -z "${DESKTOP_RUNTIME:-}" ] || rm -rf "$DESKTOP_RUNTIME"
}

# ui_numbers FORM WIDGET PROPERTY: the numbers of one property of a widget in
# forms/FORM.ui, e.g. "88 48 217 19" for a geometry.
ui_numbers()
{
    awk -v widget="name=\"$2\"" -v prop="name=\"$3\"" '
        /<widget / && index($0, widget) { inside = 1; next }
        inside && /<widget / { exit }
        inside && index($0, prop) { gsub(/<[^>]*>/, " "); $1 = $1; print; exit }
    ' "$DRIVE_FORMS/$1.ui"
}

# ui_rect FORM WIDGET: sets RX RY RW RH from the widget's designer geometry.
ui_rect()
{
    read -r RX RY RW RH < <(ui_numbers "$1" "$2" geometry)
    [ -n "${RH:-}" ] || drive_fail "no geometry for $2 in forms/$1.ui"
}

# press KEY...: each key (xdotool's names, shift+Tab and the like) as a
# person presses it, held for a moment, then released. A press and release in
# the same instant can be lost: a screen reader that watches the keyboard
# takes such an Alt for a key of its own.
DRIVE_HOLD=${DRIVE_HOLD:-0.06}
press()
{
    local key
    for key in "$@"; do
        xdotool keydown "$key"
        sleep "$DRIVE_HOLD"
        xdotool keyup "$key"
    done
}

# typing TEXT: types into the focused control, each key held about 40 ms.
typing() { xdotool type --delay 80 -- "$1"; }

# Polls a command every 0.1 s until it succeeds.
wait_for()
{
    local what=$1
    shift
    local deadline=$((SECONDS + DRIVE_TIMEOUT))
    until "$@"; do
        ((SECONDS < deadline)) || drive_fail "timed out after ${DRIVE_TIMEOUT} s waiting for $what"
        sleep 0.1
    done
}

# pixel X Y: the screen's colour there as RRGGBB.
pixel()
{
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tr a-f A-F
}
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
pixel_not() { [ "$(pixel "$1" "$2")" != "$3" ]; }

# colours_in X Y W H: how many different colours the screen shows there.
colours_in()
{
    import -window root -crop "${3}x${4}+${1}+${2}" +repage -format %k info:- 2>/dev/null
}
drawn_in() { (($(colours_in "$@") > 1)); }

main_title() { xdotool getwindowname "$MAIN_WID" 2>/dev/null; }
title_matches() { [[ "$(main_title)" =~ $1 ]]; }
# Running and not yet a zombie (the driver reaps it only at the end).
app_running() { [ "$(awk '{ print $3 }' "/proc/$APP_PID/stat" 2>/dev/null)" != "" ] &&
    [ "$(awk '{ print $3 }' "/proc/$APP_PID/stat" 2>/dev/null)" != Z ]; }
app_gone() { ! app_running; }

click_at()
{
    xdotool mousemove --sync "$1" "$2" click 1
}

# click_ui OX OY FORM WIDGET [DX DY]: clicks a control of a window whose client
# area starts at OX,OY: at its centre, or DX,DY into it.
click_ui()
{
    ui_rect "$3" "$4"
    local dx=${5:-$((RW / 2))} dy=${6:-$((RH / 2))}
    click_at $(($1 + RX + dx)) $(($2 + RY + dy))
}

# type_ui OX OY FORM WIDGET TEXT: clicks into a text box (keys reach a widget
# only after a click there without a window manager) and types.
type_ui()
{
    click_ui "$1" "$2" "$3" "$4"
    typing "$5"
}

# Starts APP (in a folder holding its Merivex.mdb) and waits for the main
# window. Sets APP_PID, MAIN_WID, MAIN_X MAIN_Y MAIN_W MAIN_H, MENU_H (menu
# bar), WS_X WS_Y (workspace, below the toolbar strip), WINDOW_BG (the system
# window colour, read off the toolbar strip) and CHILD_X CHILD_Y (client area
# of a normal child window at the workspace's top-left).
start_app()
{
    "$1" >"${APP_LOG:-/dev/null}" 2>&1 &
    APP_PID=$!
    MAIN_WID=$(timeout "$DRIVE_TIMEOUT" xdotool search --sync --name '^Merivex Demo' | head -n 1) || true
    [ -n "$MAIN_WID" ] || drive_fail "no main window titled 'Merivex Demo...' within ${DRIVE_TIMEOUT} s"
    read_main_geometry
    local strip_h
    read -r _ strip_h < <(ui_numbers frmMain Picture1 minimumSize)
    TOOLBAR_H=$strip_h
    wait_for "the main window to be drawn" workspace_drawn
    # The white workspace starts below the menu bar and the toolbar strip.
    MENU_H=$(($(first_white_row) - TOOLBAR_H))
    WINDOW_BG=$(pixel $((MAIN_X + MAIN_W - 3)) $((MAIN_Y + MENU_H + 3)))
    place_workspace
}

# first_white_row: how far down the main window's right edge turns white.
first_white_row()
{
    import -window root -crop "1x$((MAIN_H / 2))+$((MAIN_X + MAIN_W - 3))+$MAIN_Y" -depth 8 txt:- \
        2>/dev/null | awk -F'[,:]' '!found && /#FFFFFF/ { print $2; found = 1 }'
}
workspace_drawn() { [ -n "$(first_white_row)" ]; }

# The client area's place on the screen (a window manager's frame around it
# is not counted).
read_main_geometry()
{
    local info
    info=$(xwininfo -id "$MAIN_WID")
    MAIN_X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    MAIN_Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    MAIN_W=$(sed -n 's/.*Width: *//p' <<<"$info")
    MAIN_H=$(sed -n 's/.*Height: *//p' <<<"$info")
}

place_workspace()
{
    WS_X=$MAIN_X
    WS_Y=$((MAIN_Y + MENU_H + TOOLBAR_H))
    CHILD_X=$((WS_X + MDI_BORDER))
    CHILD_Y=$((WS_Y + MDI_TITLE))
}

# The main window opens maximized, which only a window manager can grant: it
# is given the whole screen here instead, as a maximize would.
maximize_main()
{
    local screen_w screen_h
    read -r screen_w screen_h < <(xdotool getdisplaygeometry)
    xdotool windowmove --sync "$MAIN_WID" 0 0
    xdotool windowsize --sync "$MAIN_WID" "$screen_w" "$screen_h"
    read_main_geometry
    place_workspace
    # The toolbar strip spans the new width once the window has laid out anew.
    wait_for "the main window to fill the screen" \
        pixel_is $((MAIN_X + MAIN_W - 3)) $((MAIN_Y + MENU_H + 3)) "$WINDOW_BG"
}

# A maximized child's close box is the last one at the right of the menu bar.
click_child_close_maximized()
{
    click_at $((MAIN_X + MAIN_W - MENU_H / 2 - 1)) $((MAIN_Y + MENU_H / 2))
}

# Clicks the toolbar button WIDGET (Arahanbaru, ArahanBuka, ...).
click_toolbar()
{
    click_ui "$MAIN_X" $((MAIN_Y + MENU_H)) frmMain "$1"
}

# Waits until the screen stops changing (two equal grabs in a row).
settle()
{
    local previous="" current deadline=$((SECONDS + DRIVE_TIMEOUT))
    while :; do
        current=$(xwd -root -silent | md5sum)
        [ "$current" = "$previous" ] && return 0
        ((SECONDS < deadline)) || drive_fail "the screen kept changing for ${DRIVE_TIMEOUT} s"
        previous=$current
        sleep 0.1
    done
}

# shot FILE [W H X Y]: the settled screen, or a part of it, as a PNG.
shot()
{
    settle
    if [ $# -gt 1 ]; then
        import -window root -crop "${2}x${3}+${4}+${5}" +repage -strip "$1"
    else
        import -window root -strip "$1"
    fi
}

# open_about: About from the Help menu, two menus right of File (a menu
# opened by a click, walked by the keyboard); sets ABOUT_WID.
open_about()
{
    click_at $((MAIN_X + 15)) $((MAIN_Y + MENU_H / 2))
    settle
    press Right
    settle
    press Right
    settle
    press Return
    ABOUT_WID=$(timeout "$DRIVE_TIMEOUT" xdotool search --sync --name '^About Merivex$' | head -n 1) ||
        true
    [ -n "$ABOUT_WID" ] || drive_fail "no About box"
}

# Stops the application if it is still running (for traps).
stop_app()
{
    if [ -n "${APP_PID:-}" ] && app_running; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
}

# sql DB STATEMENTS: runs statements on the database file with Debian's
# sqlcipher shell and the application's password; rows come out as a|b|c.
sql()
{
    # SQLCipher 4 answers the key with a row, SQLCipher 3 with none.
    printf "PRAGMA key='vexo';\nPRAGMA cipher_compatibility = 3;\n.print -- keyed --\n.mode list\n.separator |\n%s\n" \
        "$2" | sqlcipher "$1" | sed '0,/^-- keyed --$/d'
}

# register_patient NAME BIRTH: New, a female patient, Enter; waits for the
# caption to name her.
register_patient()
{
    step "New: register $1"
    click_toolbar Arahanbaru
    ui_rect frmNew frmNew
    local w=$RW h=$RH
    wait_for "New Biodata" pixel_is $((CHILD_X + w - 4)) $((CHILD_Y + h - 2)) "$WINDOW_BG"
    type_ui "$CHILD_X" "$CHILD_Y" frmNew txtNama "$1"
    click_ui "$CHILD_X" "$CHILD_Y" frmNew OptFemale
    type_ui "$CHILD_X" "$CHILD_Y" frmNew txtTL "$2"
    click_ui "$CHILD_X" "$CHILD_Y" frmNew cmdEnter
    wait_for "the caption to name the patient" title_matches "^Merivex Demo -$1\$"
}

# calculate_bmi HEIGHT WEIGHT: BMI, the two entries, Calculate; waits for the
# advice of the day.
calculate_bmi()
{
    step "BMI: height $1, weight $2, Calculate"
    click_toolbar ArahanBmi
    wait_for "the maximized BMI window" title_matches '- \[Your Ideal Weight !\]$'
    ui_rect frmBmi Frame2
    local x=$((WS_X + RX)) y=$((WS_Y + RY))
    wait_for "the BMI window to be drawn" pixel_is $((x + 2)) $((y + RH + 8)) C0FFFF
    type_ui "$WS_X" "$WS_Y" frmBmi txtHeight "$1"
    type_ui "$WS_X" "$WS_Y" frmBmi txtweight "$2"
    click_ui "$WS_X" "$WS_Y" frmBmi cmdCalculate
    ui_rect frmBmi lblNasihat
    wait_for "the advice of the day" drawn_in $((x + RX)) $((y + RY)) "$RW" "$RH"
}

# save_bmi: Save in the BMI window; waits for the graph it opens.
save_bmi()
{
    step "BMI: Save opens the graph"
    click_ui "$WS_X" "$WS_Y" frmBmi cmdSave
    wait_for "the graph window" title_matches '- \[Your Weight Graf\]$'
}
