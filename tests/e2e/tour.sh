#!/usr/bin/env bash
# The system as a user meets it: the real backend on a free loopback port, the mail host run
# offscreen by a script on a sample message, sign-in through the login page in headless
# Chromium (a wrong password first, under the page's content security policy), a reply, a
# summary and a chat; then a second run of the host that finds the chat history, and a log-out
# that leaves no stored value behind.
# Usage: tour.sh BACKEND MAIL-HOST SAMPLES-DIR SCRIPTS-DIR
set -euo pipefail
backend=$1 mail=$2 samples=$3 scripts=$4 here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill "${server:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

"$backend" tls init --data "$work/data" >/dev/null
echo 'e2e password 1' | "$backend" user add e2e@quorvane.test --name "Eve Two" --data "$work/data" >/dev/null
"$backend" serve --listen 127.0.0.1:0 --login-listen 127.0.0.1:0 --data "$work/data" >"$work/backend.log" 2>&1 &
server=$!
for _ in $(seq 200); do grep -q 'listening on' "$work/backend.log" && break; sleep 0.05; done
url=$(grep -o 'listening on https://[0-9.:]*' "$work/backend.log" | cut -d' ' -f3)
[ -n "$url" ] || fail "the backend did not start: $(cat "$work/backend.log")"

export QUORVANE_LIVE_URL=$url QUORVANE_CA_CERTS=$work/data/tls/ca.pem XDG_CONFIG_HOME=$work/config
export BROWSER=$scripts/headless-login QUORVANE_DEMO_EMAIL=e2e@quorvane.test QUORVANE_DEMO_PASSWORD='e2e password 1'
defaults=$work/config/quorvane/defaults.sqlite
keys() { sqlite3 "$defaults" 'SELECT key FROM defaults ORDER BY key;'; }

cat >"$work/first.script" <<'STEPS'
reply lyon-trip.eml
press loginButton
expect-log Access token received 40
expect-log Response from server: 20
press generateResponseButton
sleep 3
press submitTrainingButton
expect-log TRAINIG DATA BODY 10
press customResponseTab
type chatInput When do we leave?
key chatInput Return
expect-log Start chat body 20
sleep 3
screenshot chat.png
close
quit
STEPS
verdict() { for _ in $(seq 100); do [ -s "$work/login" ] && break; sleep 0.1; done; cat "$work/login"; }
(cd "$work" && BROWSER=$here/loginpage.js QUORVANE_LOGIN_VERDICT=$work/login \
    timeout 120 "$mail" --offscreen --script "$work/first.script" "$samples" >"$work/first.out") ||
    fail "first run: $(tail -5 "$work/first.out") $(verdict)"
[ "$(verdict)" = PASS ] || fail "login page: $(verdict)"
keys | grep -q '^reply ' || fail "no chat history stored: $(keys)"
keys | grep -q '^generateResponse ' || fail "no reply stored: $(keys)"
keys | grep -q '^summarizeResponse ' || fail "no summary stored: $(keys)"
# The sample's body is base64; the export carries its text beside it.
"$backend" export-training --data "$work/data" | grep -q '"question_text":"Hi Ann,\\n\\nYour train' ||
    fail "no readable training question: $("$backend" export-training --data "$work/data")"

cat >"$work/second.script" <<'STEPS'
reply lyon-trip.eml
press loginButton
expect-log Access token received 40
press customResponseTab
sleep 1
screenshot history.png
press logoutButton
expect-log UserDefaults cleared
quit
STEPS
(cd "$work" && timeout 120 "$mail" --offscreen --script "$work/second.script" "$samples" >"$work/second.out") ||
    fail "second run: $(tail -5 "$work/second.out")"
grep -q 'Failed to load messages' "$work/second.out" && fail "the stored chat could not be read"
[ -z "$(keys)" ] || fail "keys left after logging out: $(keys)"
grep -q 'Bearer' "$work/first.out" && fail "a token reached the log"
echo "PASS: signed in, replied, summarized, chatted, found the history and logged out"
