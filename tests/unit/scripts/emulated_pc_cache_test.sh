#!/usr/bin/env bash
# The emulated PC's image cache clean-up: it must end well when there is nothing to drop (a
# fresh machine, where the image was just made) and drop only old images of other recipes.
set -euo pipefail
script=$(cd "$(dirname "$0")/../../.." && pwd)/scripts/emulated-pc
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
check() {  # description, condition...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; fail=1; fi
}
drop() { XDG_CACHE_HOME=$1 SUDO= "$script" drop-old 2>/dev/null; }
own=$(XDG_CACHE_HOME=$tmp/x "$script" key); own=$(basename "$own")
image() {  # cache name age-in-days
  mkdir -p "$1/kolvar-emulated-pc/$2"
  touch -d "-$3 days" "$1/kolvar-emulated-pc/$2/ready"
}

check "no cache folder at all" drop "$tmp/none"
mkdir -p "$tmp/empty/kolvar-emulated-pc"
check "an empty cache" drop "$tmp/empty"
image "$tmp/own" "$own" 0
check "only this recipe's image, just made" drop "$tmp/own"
check "  and it is kept" test -f "$tmp/own/kolvar-emulated-pc/$own/ready"

image "$tmp/mixed" "$own" 10
image "$tmp/mixed" 0123456789abcdef 10
image "$tmp/mixed" fedcba9876543210 1
check "old and recent images of other recipes" drop "$tmp/mixed"
check "  the old one of another recipe is dropped" test ! -e "$tmp/mixed/kolvar-emulated-pc/0123456789abcdef"
check "  a recent one of another recipe is kept" test -f "$tmp/mixed/kolvar-emulated-pc/fedcba9876543210/ready"
check "  this recipe's image is kept however old" test -f "$tmp/mixed/kolvar-emulated-pc/$own/ready"
exit $fail
