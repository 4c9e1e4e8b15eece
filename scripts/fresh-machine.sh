#!/usr/bin/env bash
# Runs one README command on a bare Debian 12 system, as a newcomer would meet it.
#   bash scripts/fresh-machine.sh demo|test
# Run as root, by hand, before a change to the set-up is committed. The first run makes a
# minimal Debian 12 root with debootstrap from this machine's configured Debian mirror and
# keeps it (QX_FRESH_DIR, default /var/cache/qx-fresh); every run then copies that root,
# puts a clean clone of this repository's main branch into the copy and runs the command
# there under chroot, with /proc, /sys, /dev and /dev/pts bind-mounted and unmounted
# afterwards. It prints the time of each step and the command's exit status, and exits
# with that status.
set -euo pipefail
command=${1:-}
case "$command" in
  demo|test) ;;
  *) echo "usage: $0 demo|test" >&2; exit 2 ;;
esac
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${QX_FRESH_DIR:-/var/cache/qx-fresh}
base=$cache/bookworm-minbase
work=$cache/run-$command
[ "$(id -u)" = 0 ] || { echo "fresh-machine: needs root (debootstrap, chroot, mount)" >&2; exit 2; }
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap >/dev/null; }

step_start=0
step() { step_start=$(date +%s); echo "== $1"; }
step_done() { echo "   $(( $(date +%s) - step_start )) s"; }

# The first URI of the machine's Debian sources (deb822 or one-line form).
mirror() {
  local uri
  uri=$(grep -h -E '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v security | head -n1 | awk '{print $2}')
  [ -n "$uri" ] || uri=$(grep -h -E '^deb ' /etc/apt/sources.list 2>/dev/null | grep -v security | head -n1 | awk '{print $2}')
  echo "${uri:-http://deb.debian.org/debian}"
}

if [ ! -f "$base/.qx-complete" ]; then
  step "debootstrap --variant=minbase bookworm from $(mirror)"
  rm -rf "$base"
  mkdir -p "$cache"
  debootstrap --variant=minbase bookworm "$base" "$(mirror)" >"$cache/debootstrap.log" 2>&1 ||
    { echo "debootstrap failed: see $cache/debootstrap.log"; exit 1; }
  touch "$base/.qx-complete"
  step_done
fi

mounted=()
cleanup() {
  local i
  for (( i=${#mounted[@]}-1; i>=0; i-- )); do umount -l "${mounted[$i]}" 2>/dev/null || true; done
}
trap cleanup EXIT

step "copy of the bare root"
rm -rf "$work"
cp -a "$base" "$work"
rm -f "$work/.qx-complete"
cp /etc/resolv.conf "$work/etc/resolv.conf"
step_done

step "clean clone of main"
git clone -q --branch main "$root" "$work/root/QXAPOMain"
# Like CI: the shared folder beside the clone, when there is one.
[ -d "$root/../shared" ] && cp -r "$root/../shared" "$work/root/shared"
step_done

for m in proc sys dev dev/pts; do
  mount --bind "/$m" "$work/$m"
  mounted+=("$work/$m")
done

step "bash scripts/$command.sh (inside the bare root)"
set +e
chroot "$work" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 CI=true bash -c "cd /root/QXAPOMain && bash scripts/$command.sh" 2>&1 | tee "$cache/$command.log"
status=${PIPESTATUS[0]}
set -e
step_done
echo "exit status of $command: $status (log: $cache/$command.log)"
exit "$status"
