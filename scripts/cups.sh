#!/usr/bin/env bash
# Private CUPS server for tests and the demo.
#   scripts/cups.sh start BUILD_DIR   start cupsd and create the cups-pdf queues
#   scripts/cups.sh stop BUILD_DIR    stop it
#   scripts/cups.sh pause BUILD_DIR   stop only the daemon: queues, their
#                                     settings and the PDFs stay
#   scripts/cups.sh resume BUILD_DIR  start the daemon again on them
#   scripts/cups.sh stall BUILD_DIR S  hold the daemon still for S seconds: it
#                                     takes connections but answers nothing
# Everything lives under BUILD_DIR/cups: configuration, socket, spool, logs and
# the PDFs (BUILD_DIR/cups/pdf/<queue>/); the queue JH_REJECT rejects every
# job. The machine's own cupsd and queues are not touched. cups-pdf reads a
# per-queue file /etc/cups/cups-pdf-<queue>.conf (its only configuration
# location); those files are ours, named after our queues, and only redirect
# their output folder.
set -euo pipefail
cmd=${1:?start|stop|pause|resume|stall}
build=$(realpath -m "${2:?build dir}")
root=$build/cups
sock=$root/cups.sock
QUEUES=${JH_QUEUES:-"JH_PDF_A JH_PDF_B JH_PDF_C"}

# Stops the daemon and waits until it has gone, so that its socket no longer
# answers.
pause() {
    local pid
    if [ -f "$root/run/cupsd.pid" ]; then
        pid=$(cat "$root/run/cupsd.pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        rm -f "$root/run/cupsd.pid"
    fi
}

stop() {
    pause
    pkill -f "cupsd -f -c $root/conf/cupsd.conf" 2>/dev/null || true
    rm -f /etc/cups/cups-pdf-jh"$(printf '%s' "$build" | md5sum | cut -c1-8)"*.conf
}

# Holds the daemon still (SIGSTOP) for $1 seconds, then lets it go on.
stall() {
    local pid
    pid=$(cat "$root/run/cupsd.pid")
    kill -STOP "$pid"
    sleep "${1:?seconds}"
    kill -CONT "$pid"
}

# Starts the daemon on the configuration in place and waits for its socket.
resume() {
    rm -f "$sock"
    cupsd -f -c "$root/conf/cupsd.conf" -s "$root/conf/cups-files.conf" </dev/null >>"$root/log/cupsd.out" 2>&1 &
    echo $! > "$root/run/cupsd.pid"
    for _ in $(seq 1 100); do [ -S "$sock" ] && break; sleep 0.1; done
    [ -S "$sock" ] || { echo "cupsd did not start; see $root/log/error_log" >&2; exit 1; }
}

start() {
    stop
    mkdir -p "$root"/{conf/ppd,spool/tmp,cache,state,log,run,pdf}
    chmod 0755 "$root" "$root"/{conf,spool,cache,state,log,run}
    chmod 1777 "$root/spool/tmp"
    chgrp lp "$root/spool" "$root/cache" 2>/dev/null || true
    chmod 0770 "$root/spool"
    cat > "$root/conf/cupsd.conf" <<CONF
LogLevel warn
Listen $sock
Browsing No
DefaultAuthType None
WebInterface No
JobRetryLimit 0
PreserveJobHistory No
MaxJobs 0
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
    cat > "$root/conf/cups-files.conf" <<CONF
ServerRoot $root/conf
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
Sandboxing Relaxed
FileDevice Yes
CONF
    : > "$root/log/cupsd.out"
    resume
    local ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    for q in $QUEUES; do
        # The device URI names the cups-pdf configuration; it carries a hash
        # of the build folder so that two build folders never share one.
        local lq=jh$(printf '%s' "$build" | md5sum | cut -c1-8)${q,,}
        # Documents of an earlier run would be counted as this run's.
        mkdir -p "$root/pdf/$q"
        rm -f "$root/pdf/$q"/*.pdf
        chmod 0777 "$root/pdf/$q"
        cat > "/etc/cups/cups-pdf-$lq.conf" <<CONF
Out $root/pdf/$q
AnonDirName $root/pdf/$q
Label 0
TitlePref 1
Grp root
UserUMask 0000
CONF
        CUPS_SERVER=$sock lpadmin -p "$q" -E -v "cups-pdf:/$lq" -P "$ppd"
    done
    # A queue that takes no job: every document sent to it fails to end.
    CUPS_SERVER=$sock lpadmin -p JH_REJECT -E -v file:///dev/null -P "$ppd"
    CUPS_SERVER=$sock cupsreject JH_REJECT
    CUPS_SERVER=$sock lpstat -p
}

case $cmd in
    start) start ;;
    stop) stop ;;
    pause) pause ;;
    resume) resume ;;
    stall) stall "${3:-}" ;;
    *) echo "usage: $0 start|stop|pause|resume BUILD_DIR, or stall BUILD_DIR SECONDS" >&2; exit 2 ;;
esac
