#!/usr/bin/env bash
# Times the README's test command on a new machine: a minimal Debian bookworm
# (debootstrap's minbase, with git) made in FOLDER, a fresh clone of this
# repository's COMMIT in it, and scripts/test.sh run there as root, so that
# every Debian package, library and cache the command needs is fetched and
# made by the command itself. Runs as root (debootstrap, chroot, mounts).
#   scripts/measure_fresh_debian.sh FOLDER [COMMIT]     (COMMIT: HEAD)
# FOLDER must not exist; it holds the system (about 3 GB afterwards) and
# log.txt, the command's output with its exit code and seconds at the end.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:?usage: $0 FOLDER [COMMIT]}
commit=$(git -C "$root" rev-parse "${2:-HEAD}") || exit 1
[ ! -e "$folder" ] || { echo "$folder exists already" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "run as root" >&2; exit 2; }
command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap >/dev/null || exit 1

system=$folder/system
mkdir -p "$folder"
start=$(date +%s)
debootstrap --variant=minbase --include=git,ca-certificates bookworm "$system" http://deb.debian.org/debian \
  >"$folder/debootstrap.txt" 2>&1 || { echo "debootstrap failed: $folder/debootstrap.txt" >&2; exit 1; }
echo "system made in $(($(date +%s) - start)) s"

cp /etc/resolv.conf "$system/etc/resolv.conf"
# Package scripts start no services inside.
printf '#!/bin/sh\nexit 101\n' >"$system/usr/sbin/policy-rc.d"
chmod +x "$system/usr/sbin/policy-rc.d"
mount -t proc proc "$system/proc"
mount -t sysfs sys "$system/sys"
mount --rbind /dev "$system/dev"
# One /tmp with the host, as on one machine: X servers choose free display
# numbers by the lock files there, and the network (X's abstract sockets) is
# shared.
mount --bind /tmp "$system/tmp"
unmount() { umount -R "$system/tmp" "$system/dev" "$system/sys" "$system/proc" 2>/dev/null ||
  umount -lR "$system/tmp" "$system/dev" "$system/sys" "$system/proc"; }
trap unmount EXIT

git clone -q "$root" "$system/root/repo" && git -C "$system/root/repo" checkout -q "$commit" || exit 1
# shellcheck disable=SC2016  # expanded inside the new system
chroot "$system" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 bash -c 'cd /root/repo && start=$(date +%s); bash scripts/test.sh; rc=$?
    echo "rc=$rc seconds=$(($(date +%s) - start))"' >"$folder/log.txt" 2>&1
tail -n 1 "$folder/log.txt"
