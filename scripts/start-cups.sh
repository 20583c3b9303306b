#!/usr/bin/env bash
# Starts the CUPS scheduler when it is not running (as root, without systemd,
# as in a CI container) and makes a cups-pdf queue "PDF" the default printer,
# so that the print jobs can be tested end to end. Two more cups-pdf queues,
# "Quillmark-A4" and "Quillmark-Letter", play office printers: A4 or Letter
# paper with the usual quarter inch that a printer cannot reach; they are
# never the default. The PDFs cups-pdf makes
# land in $CUPS_PDF_OUT (default /var/spool/cups-pdf/quillmark). Installs
# nothing (scripts/setup.sh does); safe to run again, and quick when all is set.
set -euo pipefail

OUT=${CUPS_PDF_OUT:-/var/spool/cups-pdf/quillmark}
CONF=/etc/cups/cups-pdf.conf
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

if ! command -v cupsd >/dev/null || [ ! -x /usr/lib/cups/backend/cups-pdf ]; then
  echo "start-cups: cups or printer-driver-cups-pdf is not installed; skipping" >&2
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "start-cups: needs root to start cupsd; skipping" >&2
  exit 0
fi

# cups-pdf writes every user's PDFs, and those of anonymous jobs, into one
# known folder.
mkdir -p "$OUT"
chmod 1777 "$OUT"
set_conf() { # key value
  if ! grep -qx "$1 $2" "$CONF"; then
    sed -i "/^#\?$1 /d" "$CONF"
    echo "$1 $2" >>"$CONF"
  fi
}
set_conf Out "$OUT"
set_conf AnonDirName "$OUT"
# Name each file after the job's title with the job id in front, so a test
# can find the file of its own job.
set_conf Label 2
set_conf TitlePref 1

scheduler_up() { lpstat -r 2>/dev/null | grep -q "is running"; }
wait_for_scheduler() {
  for _ in $(seq 1 100); do
    scheduler_up && return 0
    sleep 0.1
  done
  return 1
}

# cups-pdf reads its configuration for every job: a changed file needs no
# restart of the scheduler.
if ! scheduler_up; then
  mkdir -p /run/cups
  cupsd || true
  # Without a scheduler the end-to-end print test skips; the rest of the
  # tests do not need one.
  wait_for_scheduler || { echo "start-cups: cupsd did not come up" >&2; exit 0; }
fi

if ! lpstat -v PDF >/dev/null 2>&1; then
  lpadmin -p PDF -v cups-pdf:/ -P "$PPD" -E 2>/dev/null \
    || lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E
fi
# Poppler's pdftocairo keeps the text of the PDF readable through the
# PostScript step; the other renderers lose the fonts' character codes.
lpadmin -p PDF -o pdftops-renderer-default=pdftocairo
cupsenable PDF
cupsaccept PDF
# A printer's unprintable edge is its PPD's ImageableArea; cups-pdf's own
# reaches the paper's edge.
office_queue() { # name paper
  local ppd
  ppd=$(mktemp --suffix=.ppd)
  sed -e 's#^\*ImageableArea A4/A4: .*#*ImageableArea A4/A4: "18 18 577 824"#' \
      -e 's#^\*ImageableArea Letter/US Letter: .*#*ImageableArea Letter/US Letter: "18 18 594 774"#' \
      -e "s#^\*Default\(PageSize\|PageRegion\|ImageableArea\|PaperDimension\): .*#*Default\1: $2#" \
      "$PPD" >"$ppd"
  if ! lpstat -v "$1" >/dev/null 2>&1 || ! cmp -s "$ppd" "/etc/cups/ppd/$1.ppd"; then
    lpadmin -p "$1" -v cups-pdf:/ -P "$ppd" -E 2>/dev/null
  fi
  rm -f "$ppd"
  lpadmin -p "$1" -o pdftops-renderer-default=pdftocairo
  cupsenable "$1"
  cupsaccept "$1"
}
if [ -f "$PPD" ]; then
  office_queue Quillmark-A4 A4
  office_queue Quillmark-Letter Letter
fi

if ! lpstat -d 2>/dev/null | grep -q ": PDF$"; then
  lpadmin -d PDF
  lpoptions -d PDF >/dev/null
fi
echo "start-cups: default printer $(lpstat -d | sed 's/.*: //'), PDFs in $OUT"
