#!/usr/bin/env bash
# A typical run in the real MerivexDemo on a desktop of its own (Xvfb, a D-Bus
# session, the openbox window manager), driven with xdotool: register a
# patient, calculate and save a BMI, open New Biodata over the graph, close
# the graph, select the patient, look at the About box, exit. What only a
# window manager shows is read from the windows' X properties. The database
# file is then read with Debian's sqlcipher shell, not with the application's
# own code.
# Usage: e2e_patient_run.sh MERIVEXDEMO MERIVEX-DB SCREENSHOT_FOLDER
set -euo pipefail
source "$(dirname "$0")/drive.sh"

app=$1
dbtool=$2
shots=$3
name="Siti Aminah"
birth="14/03/1980"

work=$(mktemp -d)
trap 'stop_app; stop_desktop; rm -rf "$work"' EXIT
drive_on_desktop
cp "$app" "$work/MerivexDemo"
"$dbtool" create "$work/Merivex.mdb" >/dev/null
APP_LOG=$work/app.log

mkdir -p "$shots"
rm -f "$shots"/step-*.png
echo "screenshots: $shots"
n=0
snap()
{
    n=$((n + 1))
    shot "$shots/$(printf 'step-%02d-%s.png' "$n" "$1")"
}

started=$SECONDS
step "start"
start_app "$work/MerivexDemo"
title_matches '^Merivex Demo - No User$' || drive_fail "caption is '$(main_title)'"
wait_for "the window manager to maximize the main window" wm_state_has "$MAIN_WID" MAXIMIZED_HORZ
wm_state_has "$MAIN_WID" MAXIMIZED_VERT || drive_fail "the main window is only maximized across"
snap start

step "New: the registration window opens"
click_toolbar Arahanbaru
ui_rect frmNew frmNew
new_w=$RW new_h=$RH
# Its client area in the window colour, over the workspace's white and logo.
wait_for "New Biodata" pixel_is $((CHILD_X + new_w - 4)) $((CHILD_Y + new_h - 2)) "$WINDOW_BG"
pixel_is $((CHILD_X + 2)) $((CHILD_Y + 1)) "$WINDOW_BG" &&
    pixel_not $((CHILD_X + 2)) $((CHILD_Y - 2)) "$WINDOW_BG" ||
    drive_fail "the sub-window title bar is not $MDI_TITLE pixels high"
snap new-open

step "New: name, sex, birth date"
type_ui "$CHILD_X" "$CHILD_Y" frmNew txtNama "$name"
click_ui "$CHILD_X" "$CHILD_Y" frmNew OptFemale
type_ui "$CHILD_X" "$CHILD_Y" frmNew txtTL "$birth"
snap new-filled

step "New: Enter registers the patient"
click_ui "$CHILD_X" "$CHILD_Y" frmNew cmdEnter
wait_for "the caption to name the patient" title_matches "^Merivex Demo -$name\$"
wait_for "New Biodata to close" pixel_not $((CHILD_X + new_w - 4)) $((CHILD_Y + new_h - 2)) "$WINDOW_BG"
snap new-entered

step "BMI: the window opens maximized"
click_toolbar ArahanBmi
wait_for "the maximized BMI window" title_matches '- \[Your Ideal Weight !\]$'
cyan=C0FFFF # frmBmi's background
ui_rect frmBmi Frame2
wait_for "the BMI window to be drawn" pixel_is $((WS_X + RX + 2)) $((WS_Y + RY + RH + 8)) $cyan
snap bmi-open

step "BMI: height 1.70, weight 65, Calculate"
type_ui "$WS_X" "$WS_Y" frmBmi txtHeight 1.70
type_ui "$WS_X" "$WS_Y" frmBmi txtweight 65
click_ui "$WS_X" "$WS_Y" frmBmi cmdCalculate
ui_rect frmBmi Frame2
advice_x=$((WS_X + RX)) advice_y=$((WS_Y + RY))
ui_rect frmBmi lblNasihat
wait_for "the advice of the day" drawn_in $((advice_x + RX)) $((advice_y + RY)) "$RW" "$RH"
snap bmi-calculated

step "BMI: Save opens the graph"
click_ui "$WS_X" "$WS_Y" frmBmi cmdSave
wait_for "the graph window" title_matches '- \[Your Weight Graf\]$'
snap graph

step "New over the maximized graph: at its size, at the top-left"
click_toolbar Arahanbaru
wait_for "New Biodata" pixel_is $((CHILD_X + new_w - 4)) $((CHILD_Y + new_h - 2)) "$WINDOW_BG"
pixel_is $((CHILD_X + new_w + MDI_BORDER + 4)) $((CHILD_Y + new_h - 2)) "$WINDOW_BG" &&
    drive_fail "New Biodata is wider than its designed size"
title_matches '\[New Biodata\]' && drive_fail "New Biodata is maximized: '$(main_title)'"
snap new-over-graph

step "New: Cancel leaves the graph maximized"
click_ui "$CHILD_X" "$CHILD_Y" frmNew cmdCancel
wait_for "the maximized graph" title_matches '- \[Your Weight Graf\]$'
snap new-cancelled

step "Graph: closing it shows the BMI window again"
click_child_close_maximized
wait_for "the BMI window" title_matches '- \[Your Ideal Weight !\]$'
snap graph-closed

step "Open: the patient list"
click_toolbar ArahanBuka
ui_rect frmOpen frmOpen
open_w=$RW open_h=$RH
wait_for "Open Biodata" pixel_is $((CHILD_X + open_w - 4)) $((CHILD_Y + open_h - 2)) "$WINDOW_BG"
title_matches "^Merivex Demo -$name\$" || drive_fail "the BMI window is still open: '$(main_title)'"
snap open

step "Open: click the patient's row"
ui_rect frmOpen MSFlexGrid1
row_x=$((CHILD_X + RX + RW / 2)) row_y=$((CHILD_Y + RY + 1 + GRID_ROW + GRID_ROW / 2))
plain=$(pixel "$row_x" "$row_y")
click_at "$row_x" "$row_y"
wait_for "the row to be selected" pixel_not "$row_x" "$row_y" "$plain"
snap open-row

step "Open: Select makes the patient current"
click_ui "$CHILD_X" "$CHILD_Y" frmOpen cmdSelect
wait_for "the caption of the selected patient" title_matches "^Merivex Demo - $name\$"
snap selected

step "About: a dialog of the main window, fixed, without a task-bar entry"
open_about
about=$ABOUT_WID
wait_for "the About box to be managed" wm_allows "$about" MOVE
# A task bar lists no dialog that is transient for another window.
xprop -id "$about" _NET_WM_WINDOW_TYPE | grep -q '_NET_WM_WINDOW_TYPE_DIALOG' ||
    drive_fail "the About box is $(xprop -id "$about" _NET_WM_WINDOW_TYPE)"
[ "$(xprop -id "$about" WM_TRANSIENT_FOR | grep -o '0x[0-9a-f]*')" = "$(printf '0x%x' "$MAIN_WID")" ] ||
    drive_fail "the About box is not transient for the main window: $(xprop -id "$about" WM_TRANSIENT_FOR)"
fixed_size "$about" || drive_fail "the About box can be resized: $(xprop -id "$about" WM_NORMAL_HINTS)"
for action in RESIZE MAXIMIZE_HORZ MAXIMIZE_VERT; do
    wm_allows "$about" "$action" && drive_fail "the window manager offers $action for the About box"
done
wm_allows "$MAIN_WID" MAXIMIZE_HORZ || drive_fail "the main window cannot be maximized"
snap about
press Escape
wait_for "the About box to close" window_gone "$about"

step "Exit"
click_toolbar ArahanKeluar
wait_for "the application to end" app_gone
wait "$APP_PID" || drive_fail "MerivexDemo ended with status $?"
echo "driven in $((SECONDS - started)) s"

step "database: Biodata"
today=$(date +%d/%m/%y)
patients=$(sql "$work/Merivex.mdb" "SELECT IdPatient, Name, Sex FROM Biodata;")
[ "$patients" = "1|$name|Female" ] || drive_fail "Biodata holds '$patients', not '1|$name|Female'"

step "database: BMIHistory"
rows=$(sql "$work/Merivex.mdb" \
    "SELECT IdBMI, IdPt, Date, Height = 1.7, Weight = 65 FROM BMIHistory;")
# A run across midnight saved yesterday's date.
[ "$rows" = "1|1|$today|1|1" ] || [ "$rows" = "1|1|$(date -d yesterday +%d/%m/%y)|1|1" ] ||
    drive_fail "BMIHistory holds '$rows' ($(sql "$work/Merivex.mdb" \
        "SELECT * FROM BMIHistory;")), not '1|1|$today|1|1' (id, patient, date, height 1.7, weight 65)"
echo "e2e run passed in $((SECONDS - started)) s"
