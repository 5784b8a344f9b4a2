#!/bin/sh
# Prints both copies of a declaration through a print service of its own: a CUPS scheduler
# started here, with a virtual PDF printer as the default printer, then finds the two printed
# pages. Leaves nothing running and nothing behind. Exit 77 (skipped) when the service cannot
# be set up on this machine.
# Usage: cups_print_test.sh PATH/TO/cups_print_helper
set -u
. "$(dirname "$0")/../support/processes.sh"

helper=$1
code=6872536860  # the control code of 2024/05 for the agent 20123456786
skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    for log in "$tmp"/log/*; do
        [ -s "$log" ] && { echo "--- $log"; tail -n 40 "$log"; }
    done
    exit 1
}

# The PDF printer's backend only runs under a scheduler started by root.
[ "$(id -u)" = 0 ] || skip "the print service test needs root"
for tool in cupsd lpadmin lpinfo lpoptions lpstat pdftotext timeout; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -x /usr/lib/cups/backend/cups-pdf ] || skip "printer-driver-cups-pdf is not installed"
[ -d /etc/cups ] && [ -w /etc/cups ] || skip "/etc/cups is not writable"
[ -x "$helper" ] || { echo "FAIL: no helper $helper"; exit 1; }

tmp=$(mktemp -d /tmp/tarvenio-cups.XXXXXX) || exit 1
queue=tarvenio-test-$$
# The backend reads a queue's settings only from /etc/cups; this file is the one thing
# written outside the temporary folder, and it goes with it.
pdfconf=/etc/cups/cups-pdf-$queue.conf
watchdog_pid=
cleanup() {
    stop_process "$watchdog_pid"
    rm -f "$pdfconf"
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Filters run as the scheduler's user, which must reach the spool below this folder.
chmod 755 "$tmp"
mkdir -p "$tmp/etc/ppd" "$tmp/spool/tmp" "$tmp/cache" "$tmp/state" "$tmp/log" "$tmp/out" "$tmp/client" "$tmp/home"

cat >"$tmp/etc/cups-files.conf" <<EOF
ServerRoot $tmp/etc
RequestRoot $tmp/spool
TempDir $tmp/spool/tmp
CacheDir $tmp/cache
StateDir $tmp/state
ErrorLog $tmp/log/error_log
AccessLog $tmp/log/access_log
PageLog $tmp/log/page_log
SystemGroup root
FileDevice No
EOF
cat >"$tmp/etc/cupsd.conf" <<EOF
LogLevel info
Listen $tmp/cups.sock
Printcap $tmp/printcap
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
EOF
cat >"$pdfconf" <<EOF
Out $tmp/out
AnonDirName $tmp/out
Spool $tmp/cups-pdf-spool
Log $tmp/log
LogType 3
Grp root
Label 2
UserUMask 0022
EOF

# Every client below talks to this scheduler only, with its own settings and home.
CUPS_SERVER=$tmp/cups.sock
CUPS_SERVERROOT=$tmp/client
HOME=$tmp/home
export CUPS_SERVER CUPS_SERVERROOT HOME

# The scheduler stops by itself after four minutes should this script be killed.
timeout -k 5 240 cupsd -f -c "$tmp/etc/cupsd.conf" -s "$tmp/etc/cups-files.conf" >"$tmp/log/cupsd.out" 2>&1 &
watchdog_pid=$!
running() { lpstat -r 2>/dev/null | grep -q "is running"; }
if ! started "$watchdog_pid" running; then
    cat "$tmp/log/cupsd.out" "$tmp/log/error_log" 2>/dev/null | tail -n 20
    skip "the print service did not start"
fi

model=$(timeout 30 lpinfo -m 2>/dev/null | awk '/CUPS-PDF_opt/ { print $1; exit }')
[ -n "$model" ] || fail "no model for the PDF printer"
# Poppler's cairo renderer makes the PostScript for the printer: the default one (Ghostscript)
# loses which character each glyph is, and pdftotext could not read the printed pages.
timeout 30 lpadmin -p "$queue" -v "cups-pdf:/$queue" -m "$model" -o pdftops-renderer-default=pdftocairo -E ||
    fail "lpadmin could not add $queue"
timeout 30 lpadmin -d "$queue" || fail "lpadmin could not make $queue the default"
timeout 30 lpoptions -d "$queue" >/dev/null || fail "lpoptions could not make $queue the default"

QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$tmp/config timeout 120 "$helper" "$queue" "$code" ||
    fail "the declaration was not sent to the printer"

# Both jobs printed, within a minute.
i=0
while :; do
    pending=$(lpstat -o "$queue" 2>/dev/null | wc -l)
    printed=$(find "$tmp/out" -name '*.pdf' | wc -l)
    [ "$pending" -eq 0 ] && [ "$printed" -ge 2 ] && break
    i=$((i + 1))
    [ $i -gt 600 ] && fail "after a minute: $pending jobs pending, $printed pages printed"
    sleep 0.1
done
[ "$printed" -eq 2 ] || fail "$printed files printed, expected 2"

# The backend names each file after its title and job number; the office copy is job 1.
for n in 1 2; do
    name=$(cd "$tmp/out" && ls | grep -E "(^|-)job_$n[-.]")
    [ -n "$name" ] || fail "no file printed for job $n"
    pdf=$tmp/out/$name
    text=$(pdftotext -layout "$pdf" -) || fail "pdftotext could not read $pdf"
    case $n in
    1) label="Para la D.R.P." other="Para el Agente" ;;
    2) label="Para el Agente" other="Para la D.R.P." ;;
    esac
    for expected in "$label" "$code" "Declaración Jurada" "FACTURA A" "MARCA1" "Se acepta con reserva"; do
        printf '%s' "$text" | grep -qF "$expected" || fail "copy $n ($name) lacks '$expected'"
    done
    printf '%s' "$text" | grep -qF "$other" && fail "copy $n ($name) shows '$other'"
    echo "copy $n: $name: $label"
done
echo "PASS: both copies printed through the print service"
