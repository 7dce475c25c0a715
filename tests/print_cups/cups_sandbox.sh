#!/bin/bash
# A private CUPS scheduler for the printing tests: runs as root without systemd, listens on a Unix
# socket only, and holds two test queues. Every parent of DIR must be reachable by user lp,
# because CUPS runs its filters as lp.
# Needs: cups-daemon cups-client cups-filters (pdftopdf) [printer-driver-cups-pdf ghostscript for "vnpdf"]
#        [cups-ipp-utils for ipptool job checks]
#   cups-sandbox.sh start DIR          start cupsd, create queues; then: export CUPS_SERVER=DIR/run/cups.sock
#   cups-sandbox.sh print DIR QUEUE FILE [lp args...]   print, wait, print the output file path(s)
#   cups-sandbox.sh job DIR JOBID      job attributes as the scheduler recorded them
#   cups-sandbox.sh wait_job DIR JOBID [TIMEOUT]   last_job DIR QUEUE   (for jobs a Qt program submitted)
#   cups-sandbox.sh stop DIR           stop cupsd, remove DIR and the cups-pdf config
# Queues: vnfile  PDF pass-through (pdftopdf only) -> DIR/out/vnfile.pdf (overwritten per job)
#                 PPD: A4 A5 B5(JIS) ISOB5 Letter, InputSlot Upper/Lower, Duplex; default queue
#         vnpdf   cups-pdf virtual printer (pdftocairo -> gs) -> DIR/out/cups-pdf/<title>*.pdf
set -euo pipefail
cmd=$1; D=$(realpath -m "$2"); shift 2
export CUPS_SERVER="$D/run/cups.sock"
TAG=sbx$(printf %s "$D" | md5sum | cut -c1-8)        # cups-pdf reads /etc/cups/cups-pdf-$TAG.conf (path is compiled in)
SOCK=$(printf %s "$CUPS_SERVER" | sed 's,/,%2F,g')   # for ipptool: ipp://%2Fpath%2Fcups.sock/...

write_ppd() {  # $1 = file, $2 = extra line
  cat > "$1" <<EOF
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "VNTEST.PPD"
*Manufacturer: "Test"
*Product: "(VN Test Printer)"
*ModelName: "VN Test Printer"
*ShortNickName: "VN Test Printer"
*NickName: "VN Test Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "10"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*DefaultResolution: 600dpi
*cupsManualCopies: True
$2
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageSize A5/A5: "<</PageSize[420 595]/ImagingBBox null>>setpagedevice"
*PageSize B5/JIS B5: "<</PageSize[516 729]/ImagingBBox null>>setpagedevice"
*PageSize ISOB5/ISO B5: "<</PageSize[499 709]/ImagingBBox null>>setpagedevice"
*PageSize Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageRegion A5/A5: "<</PageSize[420 595]/ImagingBBox null>>setpagedevice"
*PageRegion B5/JIS B5: "<</PageSize[516 729]/ImagingBBox null>>setpagedevice"
*PageRegion ISOB5/ISO B5: "<</PageSize[499 709]/ImagingBBox null>>setpagedevice"
*PageRegion Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "12 12 583 830"
*ImageableArea A5/A5: "12 12 408 583"
*ImageableArea B5/JIS B5: "12 12 504 717"
*ImageableArea ISOB5/ISO B5: "12 12 487 697"
*ImageableArea Letter/US Letter: "12 12 600 780"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension A5/A5: "420 595"
*PaperDimension B5/JIS B5: "516 729"
*PaperDimension ISOB5/ISO B5: "499 709"
*PaperDimension Letter/US Letter: "612 792"
*OpenUI *InputSlot/Paper Source: PickOne
*OrderDependency: 20 AnySetup *InputSlot
*DefaultInputSlot: Upper
*InputSlot Upper/Upper Tray: "<</MediaPosition 0>>setpagedevice"
*InputSlot Lower/Lower Tray: "<</MediaPosition 1>>setpagedevice"
*CloseUI: *InputSlot
*OpenUI *Duplex/2-Sided Printing: PickOne
*OrderDependency: 30 AnySetup *Duplex
*DefaultDuplex: None
*Duplex None/Off: "<</Duplex false>>setpagedevice"
*Duplex DuplexNoTumble/Long Edge: "<</Duplex true/Tumble false>>setpagedevice"
*Duplex DuplexTumble/Short Edge: "<</Duplex true/Tumble true>>setpagedevice"
*CloseUI: *Duplex
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
EOF
}

start() {
  mkdir -p "$D"
  runuser -u lp -- test -x "$D" || { echo "$D is not reachable by user lp (filters run as lp): chmod o+x its parents" >&2; return 1; }
  mkdir -p "$D"/{etc/ppd,spool/tmp,cache,state,log,run,out/cups-pdf,src}
  chmod 755 "$D" "$D"/{etc,run,out,out/cups-pdf}
  cat > "$D/etc/cups-files.conf" <<EOF
ServerRoot $D/etc
RequestRoot $D/spool
TempDir $D/spool/tmp
CacheDir $D/cache
StateDir $D/state
AccessLog $D/log/access_log
ErrorLog $D/log/error_log
PageLog $D/log/page_log
Printcap $D/run/printcap
User lp
Group lp
SystemGroup root lpadmin
FileDevice Yes
EOF
  cat > "$D/etc/cupsd.conf" <<EOF
LogLevel info
Listen $D/run/cups.sock
Browsing No
WebInterface No
ErrorPolicy abort-job
PreserveJobHistory Yes
PreserveJobFiles No
MaxLogSize 0
PageLogFormat "%p %j %{job-name} media=%{media} sides=%{sides} copies=%{copies} Collate=%{Collate} InputSlot=%{InputSlot} media-source=%{media-source} page=%P"
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  /usr/sbin/cupsd -f -c "$D/etc/cupsd.conf" -s "$D/etc/cups-files.conf" >"$D/log/cupsd.out" 2>&1 &
  echo $! > "$D/run/cupsd.pid"
  for i in $(seq 100); do lpstat -r >/dev/null 2>&1 && break; sleep 0.05; done
  lpstat -r >/dev/null 2>&1 || { echo "cupsd did not start"; cat "$D/log/cupsd.out" "$D/log/error_log"; return 1; }

  write_ppd "$D/src/vnpass.ppd" '*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"'
  lpadmin -p vnfile -E -v "file://$D/out/vnfile.pdf" -P "$D/src/vnpass.ppd" 2>/dev/null

  if [ -x /usr/lib/cups/backend/cups-pdf ]; then
    printf 'Out %s\nAnonDirName %s\nSpool %s\nLog %s\nGrp lp\nUserUMask 0022\n' \
      "$D/out/cups-pdf" "$D/out/cups-pdf" "$D/spool/cups-pdf" "$D/log" > "/etc/cups/cups-pdf-$TAG.conf"
    lpadmin -p vnpdf -E -v "cups-pdf:/$TAG" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
            -o pdftops-renderer-default=pdftocairo 2>/dev/null
  fi
  lpadmin -d vnfile
  lpstat -a | grep -q '^vnfile accepting' || { echo "queue not ready"; return 1; }
  echo "export CUPS_SERVER=$CUPS_SERVER"
}

job_state() {  # $1 job id -> IPP keyword: pending, pending-held, processing, processing-stopped, canceled, aborted, completed
  ipptool -tv "ipp://$SOCK/jobs/$1" get-job-attributes.test 2>/dev/null |
    sed -n 's/^ *job-state (enum) = //p'
}

last_job() {  # $1 queue: id of the newest job (e.g. the one a Qt program just submitted)
  lpstat -W all -o "$1" | awk '{print $1}' | sed 's/.*-//' | sort -n | tail -1
}

wait_job() {  # $1 job id, $2 timeout s: 0 when completed, 1 when it ended otherwise or timed out
  local end=$(( $(date +%s) + ${2:-30} )) st
  while :; do
    st=$(job_state "$1")
    case "$st" in
      completed) return 0 ;;
      processing-stopped|canceled|aborted) echo "job $1 $st; see $D/log/error_log" >&2; return 1 ;;
    esac
    [ "$(date +%s)" -ge "$end" ] && { echo "job $1 still '$st' after ${2:-30}s" >&2; return 1; }
    sleep 0.02
  done
}

job() {  # $1 job id: the attributes the scheduler kept for it
  ipptool -tv "ipp://$SOCK/jobs/$1" get-job-attributes.test |
    grep -E '^ +(job-state|job-name|media|media-source|InputSlot|sides|copies|Collate|job-impressions-completed|document-format) ' |
    sed 's/^ *//; s/ (.*) = /=/'
}

print() {  # $1 queue, $2 file, rest: lp args -> prints the output file path(s)
  local q=$1 f=$2; shift 2
  rm -f "$D/out/vnfile.pdf" "$D/out/cups-pdf/"*
  local id; id=$(lp -d "$q" "$@" "$f" | sed -n 's/^request id is [^ ]*-\([0-9]*\) .*/\1/p')
  wait_job "$id" 30
  for f in "$D/out/vnfile.pdf" "$D/out/cups-pdf/"*.pdf; do [ -e "$f" ] && echo "$f"; done; return 0
}

stop() {
  local pid; pid=$(cat "$D/run/cupsd.pid" 2>/dev/null) || true
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true
    for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done; fi
  rm -f "/etc/cups/cups-pdf-$TAG.conf"
  rm -rf "$D"
}

$cmd "$@"
