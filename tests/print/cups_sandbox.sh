#!/usr/bin/env bash
# Runs a command against a private CUPS server whose only printer, a PDF
# printer, is the default. The server has its own configuration folder and its
# own socket; the system's CUPS is never touched. The PDF backend reads its
# settings from /etc/cups whatever the server's folder is, so the server runs
# in a mount namespace of its own where /etc/cups is the private folder.
# For the command:
#   CUPS_SERVER       the private server's socket
#   QUORVEX_CUPS_OUT  the folder where printed PDF files arrive
# Usage: cups_sandbox.sh COMMAND [ARGUMENT...]
# Exit status: the command's; 77 (skipped) when the server cannot be started,
# except under CI=true, where that is a failure.
# QUORVEX_KEEP_CUPS_SANDBOX=1 keeps the folder (and the PDFs) for a look.
set -u

cannot_start() {
    if [ "${CI:-}" = "true" ]; then
        echo "FAIL: private CUPS server: $*" >&2
        exit 1
    fi
    echo "SKIP: private CUPS server: $*" >&2
    exit 77
}

[ $# -ge 1 ] || { echo "usage: $0 COMMAND [ARGUMENT...]" >&2; exit 2; }
[ "$(id -u)" = 0 ] || cannot_start "needs root: the PDF backend runs only as root"
for tool in cupsd lpadmin lpstat gs unshare mount; do
    command -v "$tool" >/dev/null 2>&1 || PATH="$PATH:/usr/sbin" command -v "$tool" >/dev/null 2>&1 ||
        cannot_start "$tool is missing (Debian packages cups, cups-client, ghostscript)"
done
CUPSD=$(PATH="$PATH:/usr/sbin" command -v cupsd)
backend=/usr/lib/cups/backend/cups-pdf
[ -x "$backend" ] || cannot_start "$backend is missing (Debian package printer-driver-cups-pdf)"
ppd=""
for candidate in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd \
                 /usr/share/cups/model/CUPS-PDF_opt.ppd /usr/share/cups/model/CUPS-PDF.ppd; do
    [ -f "$candidate" ] && { ppd=$candidate; break; }
done
[ -n "$ppd" ] || cannot_start "no PPD of the PDF printer found"

root=$(mktemp -d /tmp/quorvex-cups.XXXXXX) || cannot_start "no temporary folder"
# Filters run as the user lp and must reach the spool below this folder.
chmod 755 "$root"
mkdir -p "$root"/{conf,spool,cache,state,log,tmp,out,pdf-spool,home}
chmod 1777 "$root/out" "$root/tmp"
socket="$root/cups.sock"
cupsd_pid=""

# shellcheck disable=SC2317 # called through the trap
cleanup() {
    if [ -n "$cupsd_pid" ]; then
        kill "$cupsd_pid" 2>/dev/null
        wait "$cupsd_pid" 2>/dev/null
    fi
    if [ "${QUORVEX_KEEP_CUPS_SANDBOX:-}" = "1" ]; then
        echo "kept: $root" >&2
    else
        rm -rf "$root"
    fi
}
trap cleanup EXIT

cat >"$root/conf/cupsd.conf" <<CONF
Listen $socket
LogLevel info
MaxLogSize 0
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

cat >"$root/conf/cups-files.conf" <<CONF
ServerRoot $root/conf
RequestRoot $root/spool
CacheDir $root/cache
StateDir $root/state
TempDir $root/tmp
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
Printcap $root/printcap
SystemGroup root
CONF

cat >"$root/conf/cups-pdf.conf" <<CONF
Out $root/out
AnonDirName $root/out
Spool $root/pdf-spool
Log $root/log
Grp root
UserUMask 0000
CONF

# unshare runs the shell in the same process, which then becomes cupsd, so
# cupsd_pid is the server's own; the bind mount dies with it.
# shellcheck disable=SC2016 # the inner shell expands its own arguments
unshare --mount --propagation private sh -c \
    'mount --bind "$1/conf" /etc/cups && exec "$2" -f -c "$1/conf/cupsd.conf" -s "$1/conf/cups-files.conf"' \
    sandbox "$root" "$CUPSD" 2>"$root/log/start" &
cupsd_pid=$!

export CUPS_SERVER="$socket"
unset LPDEST PRINTER
# No personal default printer from ~/.cups/lpoptions may win over the server's.
export HOME="$root/home"

# lpstat -r exits 0 whether or not the scheduler answers; only its text tells.
scheduler_running() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }
for _ in $(seq 1 100); do
    scheduler_running && break
    if ! kill -0 "$cupsd_pid" 2>/dev/null; then
        cat "$root/log/start" "$root/log/error_log" >&2 2>/dev/null
        cupsd_pid=""
        cannot_start "cupsd stopped at once (a mount namespace needs CAP_SYS_ADMIN)"
    fi
    sleep 0.1
done
scheduler_running || { cat "$root/log/error_log" >&2; cannot_start "cupsd does not answer on $socket"; }

if ! lpadmin -p quorvex-pdf -E -v cups-pdf:/ -P "$ppd" 2>"$root/log/lpadmin" ||
    ! lpadmin -d quorvex-pdf 2>>"$root/log/lpadmin"; then
    cat "$root/log/lpadmin" "$root/log/error_log" >&2
    cannot_start "cannot add the PDF printer"
fi

export QUORVEX_CUPS_OUT="$root/out"
"$@"
status=$?
if [ "$status" -ne 0 ]; then
    echo "--- cupsd error log ---" >&2
    cat "$root/log/error_log" >&2 2>/dev/null
    echo "--- cups-pdf log ---" >&2
    cat "$root"/log/cups-pdf*_log >&2 2>/dev/null
fi
exit "$status"
