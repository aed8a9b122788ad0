#!/bin/sh
# A private CUPS scheduler for the printing tests. Everything it owns lives
# under DIR (configuration, spool, logs, socket); the system's scheduler and
# its configuration are never touched. Clients reach it with
# CUPS_SERVER=DIR/cups.sock.
#
#   cups-harness.sh start DIR [--no-queue]
#   cups-harness.sh stop DIR
#
# "start" makes two raw file-device queues, OxelnPDF (the default) and
# OxelnPDF2, unless --no-queue asks for a scheduler without any printer.
# Documents of finished jobs stay in DIR/spool (d<job>-001) so that tests
# can look at what each job printed.
set -eu

usage() { echo "usage: $0 start|stop DIR [--no-queue]" >&2; exit 2; }
[ $# -ge 2 ] || usage
action=$1
dir=$2
noqueue=${3:-}

stop_scheduler() {
    [ -f "$dir/cupsd.pid" ] || return 0
    pid=$(cat "$dir/cupsd.pid")
    rm -f "$dir/cupsd.pid"
    # Only our own cupsd: check the command line before signalling.
    if kill -0 "$pid" 2>/dev/null && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -- "-c $dir/cupsd.conf"; then
        kill -TERM "$pid"
        i=0
        while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
        if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; fi
    fi
}

case $action in
stop)
    stop_scheduler
    echo "private CUPS stopped ($dir)"
    exit 0
    ;;
start) ;;
*) usage ;;
esac

command -v cupsd >/dev/null || { echo "cupsd not found (package cups-daemon)" >&2; exit 1; }
stop_scheduler
rm -rf "$dir"
mkdir -p "$dir/log" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/ppd" "$dir/ssl" "$dir/out"
# Filters run as lp: they must reach the spool and the output folder.
chmod 0755 "$dir" "$dir/out"
chmod 0710 "$dir/spool"
chmod 1770 "$dir/spool/tmp"
chgrp lp "$dir/spool" "$dir/spool/tmp"
chown lp "$dir/out"
case $dir in /*) ;; *) echo "DIR must be absolute" >&2; exit 2 ;; esac
if [ ${#dir} -gt 90 ]; then echo "DIR too long for a local socket path: $dir" >&2; exit 2; fi

cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir
SystemGroup root
FileDevice Yes
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
User lp
Group lp
CONF

cat >"$dir/cupsd.conf" <<CONF
LogLevel ${OXELN_CUPS_LOGLEVEL:-info}
MaxLogSize 0
Listen $dir/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
PreserveJobHistory Yes
PreserveJobFiles Yes
MaxJobs 0
PageLogFormat %j %p %u "%{job-name}"
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

setsid cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"

export CUPS_SERVER="$dir/cups.sock"
i=0
until lpstat -r 2>/dev/null | grep -q "is running"; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null; then
        echo "private cupsd did not start; its logs:" >&2
        cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
        stop_scheduler
        exit 1
    fi
    sleep 0.1
done

if [ "$noqueue" != "--no-queue" ]; then
    # A PDF printer writing to a file: the filter chain runs as for a real
    # printer and counts the pages of each job.
    ppd=lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd
    for q in OxelnPDF OxelnPDF2; do
        # lpadmin warns that drivers are deprecated; that warning is harmless.
        lpadmin -p "$q" -v "file://$dir/out/$q.pdf" -m "$ppd" -o PageSize=A4 -E 2>"$dir/log/lpadmin.err" ||
            { cat "$dir/log/lpadmin.err" >&2; stop_scheduler; exit 1; }
    done
    lpadmin -d OxelnPDF
    lpstat -d -v
fi
echo "private CUPS running: CUPS_SERVER=$CUPS_SERVER"
