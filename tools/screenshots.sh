#!/usr/bin/env bash
# Makes the user guide's pictures of every window in docs/pictures/ by driving
# the built application under Xvfb with xdotool, on a database of its own in a
# temporary folder. Builds nothing.
# Usage: tools/screenshots.sh [MERIVEXDEMO [MERIVEX-DB]]   (default: build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/system/drive.sh"
drive_in_xvfb "$@"

app=$(realpath "${1:-$root/build/MerivexDemo}")
dbtool=$(realpath "${2:-$root/build/merivex-db}")
out=$root/docs/pictures
[ -x "$app" ] && [ -x "$dbtool" ] || drive_fail "build MerivexDemo and merivex-db first"

work=$(mktemp -d)
trap 'stop_app; rm -rf "$work"' EXIT
cp "$app" "$work/MerivexDemo"
"$dbtool" create "$work/Merivex.mdb" >/dev/null
db=$work/Merivex.mdb
mkdir -p "$out"

# picture NAME W H X Y: a part of the settled screen, kept small (a palette
# of 256 colours loses nothing visible in these windows).
picture()
{
    shot "$work/$1.png" "$2" "$3" "$4" "$5"
    convert "$work/$1.png" -strip +dither -colors 256 -define png:compression-level=9 \
        "PNG8:$out/$1.png"
    echo "$out/$1.png"
}

ui_rect frmNew frmNew
new_w=$RW new_h=$RH
ui_rect frmOpen frmOpen
open_w=$RW open_h=$RH
ui_rect frmGraph frmGraph
graph_w=$RW graph_h=$RH
ui_rect frmBmi frmBmi
bmi_w=$RW bmi_h=$RH

# A normal child window's frame at the workspace's top-left.
frame_picture()
{
    picture "$1" $(($2 + 2 * MDI_BORDER)) $(($3 + MDI_TITLE + MDI_BORDER)) "$WS_X" "$WS_Y"
}

new_patient()
{
    step "New: $1"
    click_toolbar Arahanbaru
    wait_for "New Biodata" pixel_is $((CHILD_X + new_w - 4)) $((CHILD_Y + new_h - 2)) "$WINDOW_BG"
    type_ui "$CHILD_X" "$CHILD_Y" frmNew txtNama "$1"
    click_ui "$CHILD_X" "$CHILD_Y" frmNew "$2"
    type_ui "$CHILD_X" "$CHILD_Y" frmNew txtTL "$3"
    [ -z "${4:-}" ] || frame_picture "$4" "$new_w" "$new_h"
    click_ui "$CHILD_X" "$CHILD_Y" frmNew cmdEnter
    wait_for "the caption to name $1" title_matches "^Merivex Demo -$1\$"
}

# open_patient ROW [PICTURE]: selects the patient in that row of the list.
open_patient()
{
    step "Open: row $1"
    click_toolbar ArahanBuka
    wait_for "Open Biodata" pixel_is $((CHILD_X + open_w - 4)) $((CHILD_Y + open_h - 2)) "$WINDOW_BG"
    ui_rect frmOpen MSFlexGrid1
    local x=$((CHILD_X + RX + RW / 2)) y=$((CHILD_Y + RY + 1 + GRID_ROW * $1 + GRID_ROW / 2))
    local plain
    plain=$(pixel "$x" "$y")
    click_at "$x" "$y"
    wait_for "the row to be selected" pixel_not "$x" "$y" "$plain"
    [ -z "${2:-}" ] || frame_picture "$2" "$open_w" "$open_h"
    click_ui "$CHILD_X" "$CHILD_Y" frmOpen cmdSelect
    wait_for "the selected patient's caption" title_matches '^Merivex Demo - '
}

exit_app()
{
    step "Exit"
    click_toolbar ArahanKeluar
    wait_for "the application to end" app_gone
    wait "$APP_PID" || drive_fail "MerivexDemo ended with status $?"
}

# First run: the empty main window, four registrations, the patient list.
step "main window"
start_app "$work/MerivexDemo"
picture main-window "$MAIN_W" "$MAIN_H" "$MAIN_X" "$MAIN_Y"
maximize_main
new_patient "Siti Aminah" OptFemale 14/03/1980 new-biodata
new_patient "Budi Santoso" OptMale 02/11/1975
new_patient "Chen Wei Ling" OptFemale 21/07/1990
new_patient "Raj Kumar" OptMale 09/05/1968
open_patient 1 open-biodata
exit_app

# Earlier measurements of Siti Aminah (patient 1), one every two months.
step "history"
history=""
weights=(78.5 77 75.5 74 72.5)
for i in 0 1 2 3 4; do
    date=$(date -d "-$((300 - 60 * i)) days" +%d/%m/%y)
    history+="INSERT INTO BMIHistory (IdBMI, IdPt, Date, Weight, Height) VALUES ($((i + 1)), 1, '$date', ${weights[i]}, 1.7);"
done
# Budi Santoso (patient 2) weighs in weekly for the trend's picture.
weights=(84.0 83.8 83.1 83.0 82.4 82.2 81.5 81.4 80.8 80.5)
for i in "${!weights[@]}"; do
    date=$(date -d "-$((63 - 7 * i)) days" +%d/%m/%y)
    history+="INSERT INTO BMIHistory (IdBMI, IdPt, Date, Weight, Height) VALUES ($((i + 6)), 2, '$date', ${weights[i]}, 1.75);"
done
sql "$db" "$history"

# Second run: a calculation with that history, today's save, the graph.
step "BMI window"
start_app "$work/MerivexDemo"
maximize_main
open_patient 1
click_toolbar ArahanBmi
wait_for "the maximized BMI window" title_matches '- \[Your Ideal Weight !\]$'
cyan=C0FFFF # frmBmi's background
wait_for "the BMI window to be drawn" pixel_is $((WS_X + 2)) $((WS_Y + bmi_h - 4)) $cyan
type_ui "$WS_X" "$WS_Y" frmBmi txtweight 71
type_ui "$WS_X" "$WS_Y" frmBmi txtHeight 1.70
click_ui "$WS_X" "$WS_Y" frmBmi cmdCalculate
ui_rect frmBmi Frame2
wait_for "the advice of the day" drawn_in $((WS_X + RX + 8)) $((WS_Y + RY + 16)) $((RW - 16)) $((RH - 24))
# A maximized child adds its buttons to the menu bar, which may grow a little:
# the window starts at its first cyan row.
top=$((WS_Y - 4))
until pixel_is $((WS_X + 2)) "$top" $cyan; do
    top=$((top + 1))
    ((top < WS_Y + 8)) || drive_fail "no top edge of the BMI window"
done
picture bmi-window "$bmi_w" "$bmi_h" "$WS_X" "$top"
click_ui "$WS_X" "$WS_Y" frmBmi cmdSave
wait_for "the graph window" title_matches '- \[Your Weight Graf\]$'
click_child_close_maximized
wait_for "the BMI window" title_matches '- \[Your Ideal Weight !\]$'

# The graph at its own size: opened with no maximized window in the workspace.
step "graph window"
open_patient 1
click_toolbar ArahanGraf
wait_for "the graph window" pixel_is $((CHILD_X + graph_w - 4)) $((CHILD_Y + graph_h - 3)) "$WINDOW_BG"
frame_picture graph-window "$graph_w" "$graph_h"

# Another patient's graph with the trend (T) and the last point marked (End).
step "graph window with the trend"
press ctrl+w
wait_for "the BMI window" title_matches '- \[Your Ideal Weight !\]$'
open_patient 2
click_toolbar ArahanGraf
wait_for "the graph window" pixel_is $((CHILD_X + graph_w - 4)) $((CHILD_Y + graph_h - 3)) "$WINDOW_BG"
settle
press t End
frame_picture graph-trend "$graph_w" "$graph_h"

# About from the Help menu: open the first menu, walk right to Help, take its
# only command.
step "About box"
open_about
eval "$(xdotool getwindowgeometry --shell "$ABOUT_WID")"
picture about-box "$WIDTH" "$HEIGHT" "$X" "$Y"
exit_app
