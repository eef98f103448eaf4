#!/usr/bin/env bash
# The demo: sets up a fresh Debian machine, builds the programs, starts the
# fax service on this machine (tools/local-service.sh), puts sample Internet
# faxes into the user's mailbox and lets the programs fetch, print, file and
# confirm them. With a display the scheduler window runs the retrieval;
# without one the print utility runs once and its summary is shown.
#
# TORVEX_DEMO_DIR   where everything goes (default: build/demo of this checkout)
# TORVEX_DEMO_KEEP_SERVICE=1  leave the local service running at the end
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"

"$top/tools/setup-debian.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target vxprintu vxschedule torvex-service-sim make_sample_mail torvex-dovecot-config

demo="${TORVEX_DEMO_DIR:-$build/demo}"
mkdir -p "$demo"
demo=$(cd "$demo" && pwd)
home="$demo/home"
ini="$demo/torvex.ini"
# As root Dovecot's own users must reach the mailbox: /tmp is open to them,
# a checkout under /root is not.
if [ "$(id -u)" -eq 0 ]; then
  service="/tmp/torvex-demo-service"
else
  service="$demo/service"
fi
export TORVEX_BUILD="$build"

# A fresh start: the previous demo's service stopped, its files gone.
if [ -f "$service/service.env" ]; then
  "$top/tools/local-service.sh" stop "$service" > /dev/null || true
fi
rm -rf "$home" "$ini" "$ini.lock" "$service"

echo
echo "== Starting the local fax service"
"$top/tools/local-service.sh" start "$service"
stop_service() {
  if [ "${TORVEX_DEMO_KEEP_SERVICE:-}" = 1 ]; then
    echo "The local service keeps running; stop it with: $top/tools/local-service.sh stop $service"
  else
    "$top/tools/local-service.sh" stop "$service"
  fi
}
trap stop_service EXIT
# shellcheck disable=SC1091
. "$service/service.env"
export TORVEX_POP3_PORT TORVEX_SMTP_PORT

echo
echo "== Sample Internet faxes in the mailbox of $DEMO_LOGIN@$DEMO_DOMAIN"
seeded=$("$top/tools/local-service.sh" seed "$service")
echo "$seeded"
fax_pages=0
for n in $(echo "$seeded" | sed -n 's/.*(\([0-9]*\) fax pages\?)$/\1/p'); do
  fax_pages=$((fax_pages + n))
done

# The first-run configuration: the settings both programs share, and the
# program folder with the account file, the mailbox profile and the help
# pages. The scheduler starts the print utility from beside itself.
export TORVEX_HOME="$home" TORVEX_INI="$ini"
mkdir -p "$home/profiles/TORVEX"
cp "$build/bin/"*.htm "$build/bin/readme.txt" "$home/"
cat > "$home/account.ini" <<EOF
[TORVEX]
VX_domain_name=$DEMO_DOMAIN
VX_IP_Address=127.0.0.1:$SIM_PORT
VX_SMTP_Server=
Last_Resort_SMTP_Server=
Default_Profile=TORVEX
[MYINFO]
login=$DEMO_LOGIN
firstname=Demo
lastname=User
street=1 Harbour Road
town=Springfield
state=Demo State
zip=12345
country=Demoland
EOF
cat > "$ini" <<EOF
[TORVEX]
Torvex_Name=Demo fax
Torvex_Addr=$DEMO_LOGIN@$DEMO_DOMAIN
Password=$DEMO_PASSWORD
Save_Pass=1
Torvex_Profile=TORVEX
Default_Profile=TORVEX
Confirm_Receipt=y
Save_MDNs=y
Normal_EMail_Addr=demo@127.0.0.1
User_SMTP_Server=127.0.0.1
Printer_Type=TORVEX PDF
Print_Simple_Header=y
Modem_Connect=n
Activate_Scheduler=y
Cycle_Minutes=1
Start_Time=0
Stop_Time=24
GSTN_Fax_Minutes=5
wake_probes=0
modem_devices=none
Use_Defaults=1
Account_Date_Stamp=$(date +%m/%d/%Y)
VX_domain_name=$DEMO_DOMAIN
VX_IP_Address=127.0.0.1:$SIM_PORT
VX_SMTP_Server=
Last_Resort_SMTP_Server=
EOF

summary() {
  grep -E '^(print_status|session|last_error)=' "$ini" || true
}

echo
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== The scheduler (vxschedule) runs the first retrieval within a minute"
  "$build/bin/vxschedule" &
  scheduler=$!
  # The print utility writes its summary at the end of the run.
  for _ in $(seq 1 600); do
    grep -q '^session=' "$ini" && break
    kill -0 "$scheduler" 2>/dev/null || break
    sleep 1
  done
  echo "Summary of the first run (from $ini):"
  summary
else
  echo "== No display: the print utility runs once (vxprintu /0)"
  "$build/bin/vxprintu" /0
  echo "Summary of the run (from $ini):"
  summary
fi

echo
echo "== What was printed"
printouts="$home/Printouts"
image_pages=0
all_text=""
shopt -s nullglob
pdfs=("$printouts"/*.pdf)
for pdf in "${pdfs[@]}"; do
  pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
  text=$(pdftotext "$pdf" - | tr -s ' \n\f' ' ' | sed 's/^ *//; s/ *$//')
  if [ -z "$text" ]; then
    image_pages=$((image_pages + pages))
    echo "$(basename "$pdf"): $pages fax page(s)"
  else
    echo "$(basename "$pdf"): $pages page(s) of text: ${text:0:70}..."
  fi
  all_text+="$text "
done
failed=0
if [ "$image_pages" -ne "$fax_pages" ]; then
  echo "FAILED: $image_pages fax pages printed, the mailbox held $fax_pages" >&2
  failed=1
fi
while IFS= read -r subject; do
  [[ "$all_text" == *"$subject"* ]] || { echo "FAILED: nothing printed for \"$subject\"" >&2; failed=1; }
done < <(echo "$seeded" | sed -n 's/^[^"]*"\(.*\)" ([0-9]* fax pages\?)$/\1/p')
[ "$failed" -eq 0 ] && echo "Every fax page printed: $fax_pages fax pages in ${#pdfs[@]} PDFs."

printed=$(find "$home/profiles/TORVEX/.TORVEXes.Printed" -type f ! -name maildirfolder 2>/dev/null | wc -l)
receipts=$(find "$SMTP_MAILDIR/new" -type f | wc -l)
echo
echo "== Where things are"
echo "PDFs of the printer \"TORVEX PDF\":  $printouts/"
echo "Filed messages (Maildir folders): $home/profiles/TORVEX/ ($printed in .TORVEXes.Printed/)"
echo "Receipts sent by SMTP:            $SMTP_MAILDIR/new/ ($receipts received)"
echo "Receipts kept by the program:     $home/MDNs/"
echo "Settings:                         $ini and $home/account.ini"
echo "The service's web server log:     $SIM_LOG"

if [ -n "${scheduler:-}" ] && kill -0 "$scheduler" 2>/dev/null; then
  echo
  echo "The scheduler keeps running on this configuration and retrieves every minute;"
  echo "\"$top/tools/local-service.sh seed $service\" puts the sample faxes into the mailbox again."
  echo "Close its window (Exit) to end the demo."
  wait "$scheduler" || true
fi
exit "$failed"
