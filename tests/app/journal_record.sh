#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The record of bells rung as the office reads it: tst_officelines' record test, its stderr in
# a file, beside a journald of its own in a private mount namespace (never the host's); then
# journalctl -t chimewick lists the rings, presses and failure in order, with their fields.
# Needs root for the namespace; skipped (77) without.
# Usage: journal_record.sh <tst_officelines>
set -euo pipefail
test=$1
journald=/lib/systemd/systemd-journald

if [[ -z ${CHIMEWICK_IN_NAMESPACE:-} ]]; then
  [[ -x $journald ]] || { echo "journal_record: $journald is missing" >&2; exit 1; }
  (($(id -u) == 0)) && unshare -m true 2>/dev/null || { echo "journal_record: no mount namespace; skipped"; exit 77; }
  CHIMEWICK_IN_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$@"
fi

mount -t tmpfs tmpfs /run
mkdir -p /run/systemd/journal /run/log/journal
"$journald" >/dev/null 2>&1 &
journal=$!
trap 'kill $journal 2>/dev/null || true' EXIT
for _ in $(seq 100); do [[ -S /run/systemd/journal/socket ]] && break; sleep 0.05; done
fail() { echo "journal_record: $*" >&2; exit 1; }

CHIMEWICK_TEST_JOURNAL=1 "$test" recordsEveryBellRung 2>/run/stderr >/run/stdout ||
  { cat /run/stdout /run/stderr >&2; fail "the record test failed"; }
read_journal() { journalctl -D /run/log/journal -t chimewick -o cat --no-pager "$@"; }
for _ in $(seq 50); do (($(read_journal | wc -l) >= 7)) && break; sleep 0.1; done

expected="rang Periad 2 at 07:31:01 AM: period2.wma
rang Periad 3 at 07:31:02 AM: period3.wma
rang Periad 4 at 07:31:03 AM: period4.wma
pressed End Bell: end.wma
rang Periad 5 at 07:31:01 AM: period5.wma
Cannot play period5.wma: file not found
pressed End Bell: end.wma"
[[ $(read_journal) == "$expected" ]] || fail "the journal holds:
$(read_journal)"
[[ $(read_journal CHIMEWICK_SLOT="Periad 3" CHIMEWICK_TIME="07:31:02 AM" CHIMEWICK_FILE=period3.wma) == \
  "rang Periad 3 at 07:31:02 AM: period3.wma" ]] || fail "the ring of Periad 3 lacks its fields"
[[ $(read_journal CHIMEWICK_FILE=period5.wma PRIORITY=4) == "Cannot play period5.wma: file not found" ]] ||
  fail "the failure is not a warning beside its file"
echo "journal_record: $(read_journal | wc -l) entries under chimewick, in order, with their fields"
