#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Proves the README's two commands on a fresh Debian 12: makes a minimal
# Debian 12 root with debootstrap (once, in FOLDER/base), copies it anew for
# every check (FOLDER/run), clones the current commit into it, and runs
# `bash scripts/run.sh` and then `bash scripts/test.sh` inside it, as root
# with the clone in /root/project, or with --as-user as a sudo user with the
# clone in a home only that user may enter. Prints each command's exit code
# and time, and the tail of its log when it fails; the whole logs stay in
# FOLDER/logs. Exits 0 only when both commands did.
#
#   bash scripts/fresh-check.sh [--as-user] [--ccache DIR] FOLDER
#
# The root is entered through a private mount namespace (pivot_root rather
# than chroot, so that the tests may still make user namespaces of their
# own); what it mounts goes away with the namespace, also on failure.
# --ccache DIR lends a compiler cache to the build (off by default: a fresh
# machine has none). Only committed work is checked. Needs root.
set -euo pipefail

usage() { echo "usage: bash scripts/fresh-check.sh [--as-user] [--ccache DIR] FOLDER" >&2; exit 2; }
as_user=no
ccache_dir=""
while [ $# -gt 1 ]; do
    case "$1" in
    --as-user) as_user=yes; shift ;;
    --ccache) ccache_dir=$(cd "$2" && pwd); shift 2 ;;
    *) usage ;;
    esac
done
[ $# -eq 1 ] || usage
[ "$(id -u)" -eq 0 ] || { echo "fresh-check: run it as root (it makes a Debian root and mounts in it)" >&2; exit 2; }

repo=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$repo" rev-parse HEAD)
[ -z "$(git -C "$repo" status --porcelain --untracked-files=no)" ] ||
    echo "fresh-check: the work tree has uncommitted changes; only commit ${commit:0:12} is checked"
mkdir -p "$1"
folder=$(cd "$1" && pwd)
base="$folder/base" run="$folder/run" logs="$folder/logs"
mirror=${FRESH_MIRROR:-http://deb.debian.org/debian}

if ! command -v debootstrap >/dev/null; then
    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap
fi
if [ ! -f "$base/.complete" ]; then
    echo "Making a minimal Debian 12 in $base..."
    rm -rf "$base"
    debootstrap --variant=minbase bookworm "$base" "$mirror" >"$folder/debootstrap.log" 2>&1 ||
        { tail -n 20 "$folder/debootstrap.log"; exit 1; }
    cat >"$base/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${mirror%/debian}/debian-security bookworm-security main
EOF
    touch "$base/.complete"
fi

echo "Copying the fresh root to $run..."
rm -rf "$run" "$logs"
cp -a "$base" "$run"
mkdir -p "$logs"
cp /etc/resolv.conf "$run/etc/resolv.conf" 2>/dev/null || true

if [ "$as_user" = yes ]; then
    # A desktop user who may use sudo, as Debian's installer makes one.
    who=tess home=/home/tess
    chroot "$run" bash -c "apt-get update -q && apt-get install -y -q sudo" >"$logs/sudo.log" 2>&1 ||
        { tail -n 20 "$logs/sudo.log"; exit 1; }
    chroot "$run" useradd -m -s /bin/bash "$who"
    echo "$who ALL=(ALL) NOPASSWD:ALL" >"$run/etc/sudoers.d/$who"
else
    who=root home=/root
fi
chmod 700 "$run$home"
git clone -q --no-hardlinks "$repo" "$run$home/project"
git -C "$run$home/project" checkout -q --detach "$commit"
if [ -n "$ccache_dir" ]; then
    mkdir -p "$run$home/.cache/ccache"
fi
chroot "$run" chown -R "$who:" "$home"

# Runs a command line inside the root, as the user, with a clean environment.
inside() {
    local line=$1
    unshare --mount --propagation private -- bash -euc '
        root=$1 cache=$2 home=$3; shift 3
        mount --bind "$root" "$root"
        mount -t proc proc "$root/proc"
        mount --rbind /sys "$root/sys"
        mount --rbind /dev "$root/dev"
        mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
        mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
        [ -z "$cache" ] || mount --bind "$cache" "$root$home/.cache/ccache"
        cd "$root"
        mkdir -p .host
        pivot_root . .host
        umount -l /.host
        rmdir /.host
        exec "$@"
    ' _ "$run" "$ccache_dir" "$home" \
        runuser -u "$who" -- env -i HOME="$home" USER="$who" LOGNAME="$who" LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd ~/project && $line"
}

status=0
results=()
for step in run test; do
    log="$logs/$step.log"
    echo "Running 'bash scripts/$step.sh' as $who in $home/project (log: $log)..."
    start=$(date +%s)
    code=0
    inside "bash scripts/$step.sh" </dev/null >"$log" 2>&1 || code=$?
    seconds=$(($(date +%s) - start))
    results+=("bash scripts/$step.sh: exit $code in $((seconds / 60)) min $((seconds % 60)) s")
    if [ "$code" -ne 0 ]; then
        status=1
        echo "--- the last lines of $log:"
        tail -n 40 "$log"
        echo "---"
    fi
done

# The namespace took its mounts along; say so if anything is left.
if grep -q " $run" /proc/mounts; then
    echo "fresh-check: mounts left under $run:" >&2
    grep " $run" /proc/mounts >&2
    status=1
fi
echo
echo "Fresh Debian 12, commit ${commit:0:12}, as $who:"
printf '  %s\n' "${results[@]}"
[ "$status" -eq 0 ] && echo "  both passed" || echo "  FAILED"
exit "$status"
