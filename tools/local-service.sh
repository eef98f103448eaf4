#!/usr/bin/env bash
# The fax service on this machine, for the demo and for trying the programs
# by hand: Dovecot serving the user's POP3 mailbox, an SMTP server (aiosmtpd)
# that delivers receipts into a Maildir, and the service's web server (the
# simulator). Everything listens on 127.0.0.1 on free ports and lives in one
# folder; runs as root or as a normal user.
#
#   tools/local-service.sh start  FOLDER   start all three; writes FOLDER/service.env
#   tools/local-service.sh seed   FOLDER   put the sample Internet faxes into the mailbox
#   tools/local-service.sh stop   FOLDER   stop what start started
#   tools/local-service.sh status FOLDER   show the ports and whether each server runs
#
# TORVEX_BUILD names the build folder (default: build/ of this checkout);
# TORVEX_DEMO_LOGIN and TORVEX_DEMO_PASSWORD the mailbox user (default
# 5551234 / secret); TORVEX_DEMO_DOMAIN the service's mail domain, which is
# also the POP3 server's name (default localhost).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${TORVEX_BUILD:-$top/build}"
bin="$build/bin"
login="${TORVEX_DEMO_LOGIN:-5551234}"
password="${TORVEX_DEMO_PASSWORD:-secret}"
domain="${TORVEX_DEMO_DOMAIN:-localhost}"

usage() {
  sed -n '8,12p' "$0" | sed 's/^# *//' >&2
  exit 2
}

[ $# -eq 2 ] || usage
command=$1
folder=$2
env_file="$folder/service.env"

free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Waits until a server's log shows the line it prints once listening; prints
# the port taken from that line.
wait_for_line() {
  local log=$1 pattern=$2 pid=$3
  for _ in $(seq 1 200); do
    if grep -qE "$pattern" "$log" 2>/dev/null; then
      grep -oE "$pattern" "$log" | head -n1 | grep -oE '[0-9]+$'
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  return 1
}

pop3_answers() {
  timeout 2 bash -c "exec 3<>/dev/tcp/127.0.0.1/$1 && head -c 3 <&3" 2>/dev/null | grep -q '^+OK'
}

running() {
  [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null
}

# Dovecot's own users must reach its folders when it runs as root.
check_reachable() {
  [ "$(id -u)" -eq 0 ] || return 0
  local dir
  dir=$(cd "$folder" && pwd)
  while [ "$dir" != "/" ]; do
    if [ "$(( $(stat -c '%a' "$dir" | sed 's/.*\(.\)$/\1/') & 1 ))" -eq 0 ]; then
      echo "local-service: Dovecot's users cannot reach $dir (mode $(stat -c '%a' "$dir"));" \
           "choose a folder under /tmp or make it searchable (chmod o+x)" >&2
      exit 1
    fi
    dir=$(dirname "$dir")
  done
}

start() {
  if [ -f "$env_file" ]; then
    # shellcheck disable=SC1090
    . "$env_file"
    if running "${SIM_PID:-}" || running "${SMTP_PID:-}" || running "$(cat "$POP3_DIR/run/master.pid" 2>/dev/null)"; then
      echo "local-service: already running in $folder (stop it first)" >&2
      exit 1
    fi
  fi
  for tool in torvex-service-sim torvex-dovecot-config make_sample_mail; do
    [ -x "$bin/$tool" ] || { echo "local-service: $bin/$tool is missing; build first" >&2; exit 1; }
  done
  mkdir -p "$folder"
  chmod 755 "$folder"
  check_reachable
  local pop3_dir="$folder/pop3" smtp_dir="$folder/smtp" sim_dir="$folder/service"
  mkdir -p "$pop3_dir" "$smtp_dir" "$sim_dir"
  chmod 755 "$pop3_dir"

  # The service's web server, with the demo user's account.
  [ -f "$sim_dir/accounts.json" ] || printf '{"%s": {"password": "%s", "firstname": "Demo", "lastname": "User", "groups": ""}}\n' \
    "$login" "$password" > "$sim_dir/accounts.json"
  nohup "$bin/torvex-service-sim" --port 0 --accounts "$sim_dir/accounts.json" \
    --log "$sim_dir/requests.log" > "$sim_dir/sim.out" 2>&1 &
  local sim_pid=$!
  local sim_port
  sim_port=$(wait_for_line "$sim_dir/sim.out" 'listening on 127\.0\.0\.1:[0-9]+' "$sim_pid") \
    || { echo "local-service: the service simulator did not start:" >&2; cat "$sim_dir/sim.out" >&2; exit 1; }

  # The SMTP server the receipts go to.
  nohup /usr/bin/python3 "$top/tools/smtp_maildir_server.py" --port 0 \
    --maildir "$smtp_dir/Maildir" --log "$smtp_dir/smtp.log" > "$smtp_dir/smtp.out" 2>&1 &
  local smtp_pid=$!
  local smtp_port
  smtp_port=$(wait_for_line "$smtp_dir/smtp.out" 'READY [0-9]+' "$smtp_pid") \
    || { echo "local-service: the SMTP server did not start:" >&2; cat "$smtp_dir/smtp.out" >&2; kill "$sim_pid"; exit 1; }

  # Dovecot with the user's mailbox.
  local dovecot pop3_port="" setup
  dovecot=$(PATH="$PATH:/usr/sbin:/sbin" command -v dovecot) \
    || { echo "local-service: dovecot is not installed (dovecot-pop3d)" >&2; kill "$sim_pid" "$smtp_pid"; exit 1; }
  for _ in 1 2 3 4 5; do
    pop3_port=$(free_port)
    mapfile -t setup < <("$bin/torvex-dovecot-config" write "$pop3_dir" "$pop3_port" "$login" "$password")
    if "$dovecot" -c "${setup[0]}" 2>> "$pop3_dir/start.log"; then
      for _ in $(seq 1 100); do
        pop3_answers "$pop3_port" && break 2
        sleep 0.1
      done
    fi
    pop3_port=""
  done
  if [ -z "$pop3_port" ]; then
    echo "local-service: Dovecot did not start:" >&2
    cat "$pop3_dir/start.log" "$pop3_dir/dovecot.log" >&2 2>/dev/null || true
    kill "$sim_pid" "$smtp_pid"
    exit 1
  fi

  cat > "$env_file" <<EOF
# Written by tools/local-service.sh start
TORVEX_POP3_PORT=$pop3_port
TORVEX_SMTP_PORT=$smtp_port
SIM_PORT=$sim_port
SIM_PID=$sim_pid
SMTP_PID=$smtp_pid
POP3_DIR=$pop3_dir
POP3_MAILDIR=${setup[1]}
SMTP_MAILDIR=$smtp_dir/Maildir
SIM_ACCOUNTS=$sim_dir/accounts.json
SIM_LOG=$sim_dir/requests.log
DEMO_LOGIN=$login
DEMO_PASSWORD=$password
DEMO_DOMAIN=$domain
EOF
  echo "POP3 (Dovecot)      127.0.0.1:$pop3_port  user $login, password $password, mailbox ${setup[1]}"
  echo "SMTP (aiosmtpd)     127.0.0.1:$smtp_port  delivers into $smtp_dir/Maildir"
  echo "Service web server  127.0.0.1:$sim_port  accounts in $sim_dir/accounts.json"
}

load_env() {
  [ -f "$env_file" ] || { echo "local-service: nothing started in $folder" >&2; exit 1; }
  # shellcheck disable=SC1090
  . "$env_file"
}

seed() {
  load_env
  # Receipts go to the senders' domain: the loopback address, where the SMTP server listens.
  "$bin/make_sample_mail" --to "$DEMO_LOGIN@$DEMO_DOMAIN" --sender-domain 127.0.0.1 "$POP3_MAILDIR"
  "$bin/torvex-dovecot-config" adopt "$POP3_DIR"
}

stop_pid() {
  local pid=$1
  running "$pid" || return 0
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 100); do
    running "$pid" || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
}

stop() {
  load_env
  stop_pid "$SIM_PID"
  stop_pid "$SMTP_PID"
  stop_pid "$(cat "$POP3_DIR/run/master.pid" 2>/dev/null || true)"
  echo "local service in $folder stopped"
}

status() {
  load_env
  state() { running "$1" && echo running || echo stopped; }
  echo "POP3 127.0.0.1:$TORVEX_POP3_PORT $(state "$(cat "$POP3_DIR/run/master.pid" 2>/dev/null || true)")"
  echo "SMTP 127.0.0.1:$TORVEX_SMTP_PORT $(state "$SMTP_PID")"
  echo "web  127.0.0.1:$SIM_PORT $(state "$SIM_PID")"
}

case "$command" in
  start) start ;;
  seed) seed ;;
  stop) stop ;;
  status) status ;;
  *) usage ;;
esac
