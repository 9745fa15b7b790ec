#!/usr/bin/env bash
# A typical run with the keyboard alone while Debian's Orca screen reader
# listens, on a desktop of its own; asserts on what Orca says, read from the
# SPEECH OUTPUT lines of its debug log. Orca speaks through speech-dispatcher
# and espeak-ng into a null sound device.
# Usage: orca_run.sh MERIVEXDEMO MERIVEX-DB [FOLDER for orca.log]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/drive.sh"

work=$(mktemp -d)
log=${3:-$work}/orca.log
mkdir -p "$(dirname "$log")"
export APP_LOG=$(dirname "$log")/app.log
ORCA_PID= SPEECHD_PID=
stop_orca()
{
    local pid
    # Orca may hang in its own shutdown: it gets 2 s, then is killed.
    for pid in $ORCA_PID $SPEECHD_PID; do
        kill_tree "$pid"
        timeout 2 tail --pid="$pid" -f /dev/null || kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap 'stop_app; stop_orca; stop_desktop; rm -rf "$work"' EXIT

# Orca refuses to start beside another Orca of the same user (every test runs
# as the same user); one started by someone else is waited for, never ended.
other_orca() { pgrep -u "$(id -u)" -x orca >/dev/null; }
DRIVE_TIMEOUT=60 wait_for "another user's Orca to end" eval '! other_orca'

# A home of its own: Orca's and speech-dispatcher's settings, the sound
# device, the caches.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
    XDG_CACHE_HOME=$work/home/.cache
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$work/orca-prefs"
printf '%s\n' 'pcm.!default { type file slave.pcm "null" file "/dev/null" format "raw" }' >"$HOME/.asoundrc"
cp -r /etc/speech-dispatcher "$work/speechd"
printf 'DefaultModule espeak-ng\nAudioOutputMethod "alsa"\n' >>"$work/speechd/speechd.conf"

DRIVE_ACCESSIBILITY=1 drive_on_desktop
speech-dispatcher --run-single --timeout 0 --config-dir "$work/speechd" \
    --communication-method unix_socket --socket-path default >"$work/speechd.log" 2>&1 &
SPEECHD_PID=$!
wait_for "speech-dispatcher's socket" test -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock"

cp "$1" "$work/MerivexDemo"
"$2" create "$work/Merivex.mdb" >/dev/null

: >"$log"
/usr/bin/python3 "$here/orca_lines.py" -u "$work/orca-prefs" --debug-file="$log" >"$work/orca.out" 2>&1 &
ORCA_PID=$!

# heard: the utterances so far, one a line.
# Orca 43 ends a line with the voice: '...'{...}; Orca 48 with a blank first.
heard() { sed -n "s/.*SPEECH OUTPUT: '\(.*\)' \?\({.*\)\?$/\1/p" "$log"; }
MARK=0
# said PATTERN: Orca has said something matching the extended regex since
# the last mark.
said() { heard | tail -n +$((MARK + 1)) | grep -Eq -- "$1"; }
# hear PATTERN...: waits for each, then marks what has been heard.
hear()
{
    local p
    for p in "$@"; do
        wait_for "Orca to say /$p/ (it said: $(heard | tail -n +$((MARK + 1)) | tr '\n' '|'))" said "$p"
    done
}
mark() { MARK=$(heard | wc -l); }
key() { mark; press "$@"; }
# Orca reads a text box that gets the focus only when it has caught up with
# the typing before: a text box's caret events come ahead of its focus event,
# and Orca that handles them late moves on silently. A person waits for the
# echo; this waits for Orca to have taken the caret to the end of the text.
log_lines() { wc -l <"$log"; }
caret_at_end() { tail -n +"$1" "$log" | grep -Eq "Dequeued object:text-caret-moved .*\\($2, ?0, ?0\\)"; }
typed()
{
    local from
    from=$(($(log_lines) + 1))
    mark
    typing "$1"
    wait_for "Orca to follow the caret to the end of '$1'" caret_at_end "$from" "${#1}"
}

wait_for "Orca to start" grep -q "About to launch Orca" "$log"
NAME="Ana Lee"

step "start"
start_app "$work/MerivexDemo"
hear '^Merivex Demo - No User frame'

# ORCA_ALT_TAPS=N, by hand: the short end of a person's Alt tap, held 40 ms,
# must open the menu bar N times from the toolbar and N times just after a
# child window closed.
for ((tap = 1; tap <= ${ORCA_ALT_TAPS:-0}; tap++)); do
    step "Alt tap $tap of $ORCA_ALT_TAPS from the toolbar, then after New closes"
    DRIVE_HOLD=0.04 key alt
    hear '^File'
    key Down
    hear '^New'
    key Return
    hear '^New Biodata'
    key ctrl+w
    hear ' (push )?button'
    DRIVE_HOLD=0.04 key alt
    hear '^File'
    key Escape
    hear ' (push )?button'
done

step "File menu, New: the window's caption, then its focused control"
key alt
hear '^File'
key Down
hear '^New'
key Return
hear '^New Biodata' '^Cancel (push )?button'

step "the name, Female, the birth date"
key shift+Tab
hear '^Nama text'
typed "$NAME"
key Tab
hear '^Cancel (push )?button'
key Tab
hear '^Sex' '^(Sex )?Male'
key Right
hear '^Female'
key space
hear '^selected'
key Tab
hear '^BirthDate text'
typed 14/03/1980

step "Enter: the new caption, the focus on a control of the main window"
key Tab
hear '^Enter (push )?button'
key space
hear "Merivex Demo -$NAME" ' (push )?button'

step "Merivex menu, BMI"
key alt
hear '^File'
key Right
hear '^Merivex'
key Down
hear '^BMI'
key Return
hear '^Your Ideal Weight !' '^Your Weight text'

step "Calculate: the BMI and the advice"
typed 65
key Tab
hear '^Your Height text'
typed 1.70
key Tab
hear '^Calculate (push )?button'
key space
hear "Your Body Mass Indes is 22\. +Hai $NAME You are in good weight scale +I hope you can continue"

step "Save: saved, then the graph"
key Tab
hear '^Save (push )?button'
key space
hear 'Measurement saved' '^Body Weight Index chart' \
    '^1 measurement: [0-9]{2}/[0-9]{2}, BMI 22\.5\. Reference lines: Ideal Weight at 25, UnderWeight at 20\.'
key Tab
hear '^Body Weight Index chart' '^1 measurement'

step "Ctrl+W: the window that comes forward"
key ctrl+w
hear '^Your Ideal Weight !' '^Your Weight text'

# save_again WEIGHT BMI: from the weight box, a new weight saved; the graph
# opens with the focus on its chart.
save_again()
{
    key shift+Tab
    hear 'table'
    key Tab
    hear '^Your Weight text'
    typed "$1"
    key Tab
    hear '^Your Height text'
    key Tab
    hear '^Calculate (push )?button'
    key space
    hear "Your Body Mass Indes is $2\."
    key Tab
    hear '^Save (push )?button'
    key space
    hear 'Measurement saved' '^Body Weight Index chart'
}

step "two more measurements, then the chart's points walked with the trend"
save_again 66 23
key ctrl+w
hear '^Your Weight text'
save_again 67 23
key t
hear 'Trend shown\. Trend BMI 22\.6'
date='[0-9]{2}/[0-9]{2}/[0-9]{2}'
key Home
hear "$date, BMI 22\.5, trend 22\.5"
key Right
hear "$date, BMI 22\.8, trend 22\.5"
key Right
hear "$date, BMI 23\.2, trend 22\.6"
key ctrl+w
hear '^Your Ideal Weight !' '^Your Weight text'

step "the history row's menu by Shift+F10: the question read out, Yes deletes"
key Tab
hear '^Your Height text'
key Tab
hear '^Calculate (push )?button'
key Tab
hear 'table'
key shift+F10
hear '^Delete this measurement'
key Return
hear '^alert MerivexDemo' '^No (push )?button'
# The question is one utterance over several lines of the log.
question_read() { grep -A5 -F "SPEECH OUTPUT: 'Delete this measurement?" "$log" | grep -q 'BMI: 22\.49'; }
wait_for "Orca to read the question with the row's BMI" question_read
key y
hear 'Measurement deleted'
key ctrl+w
hear ' (push )?button'

step "Open Biodata: into the grid, the arrows, out again"
key alt
hear '^File'
key Down
hear '^New'
key Down
hear '^Open'
key Return
hear '^Open Biodata' '^Select (push )?button'
key Tab
hear '^Cancel (push )?button'
key Tab
hear '^Select Your Biodata' 'table with 2 rows' "^$NAME"
key Down
key Up
hear "^$NAME"
key Tab
hear 'combo box'
key shift+Tab
# Orca 43 names the grid again; Orca 48 reads the cell it lands on.
hear "^(Select Your Biodata|$NAME)"
key shift+Tab
hear '^Cancel (push )?button'
key shift+Tab
hear '^Select (push )?button'
key space
hear "Merivex Demo - $NAME" ' (push )?button'

step "Help menu, About"
key alt
hear '^File'
key Left
hear '^Help'
key Down
hear '^About'
key Return
hear '^About Merivex dialog' '^OK (push )?button'
key Return
hear "^Merivex Demo - $NAME( frame)?\.?$" ' (push )?button'

step "File menu, Exit"
key alt
hear '^File'
key Down
hear '^New'
key Up
hear '^Exit'
key Return
wait_for "the application to end" app_gone
wait "$APP_PID" || drive_fail "MerivexDemo ended with status $?"
echo "Orca said:"
heard | sed 's/^/  /'
