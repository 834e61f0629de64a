#!/usr/bin/env bash
# A small Debian VM with 32-bit Wine, for hosts whose kernel cannot run
# 32-bit code. Built once from Debian's packages and cached under build/vm/
# by a key of this recipe; every run boots a clean snapshot of it.
#
#   i686-vm.sh build         builds the VM unless the cache has it
#                            (exit 3: not enough disk space to build it)
#   i686-vm.sh run SHARE     boots it once: the guest runs SHARE/job and
#                            leaves job.log and job.status in SHARE
#
# Run from the repository root, as root (or with sudo).
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/common.sh

# What the guest needs to run 32-bit Wine without a desktop: the kernel,
# Wine, a virtual X server, and the 32-bit X libraries Wine loads by name.
guest_packages=(linux-image-amd64 kmod procps wine wine32:i386 xvfb xauth fonts-wine
  libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxinerama1:i386
  libxcomposite1:i386 libxfixes3:i386)
# Kernel modules no test boot loads: most of the tree's size.
unused_modules=(sound drivers/gpu drivers/media drivers/net/wireless drivers/net/ethernet
  drivers/infiniband drivers/staging drivers/usb drivers/bluetooth drivers/iio drivers/isdn
  drivers/hid drivers/input/touchscreen drivers/scsi drivers/target drivers/md drivers/mtd
  net/wireless net/mac80211 net/bluetooth)
needed_space_kib=$((6 * 1024 * 1024))


tree=
unmount_tree() {
  local mount
  for mount in dev/pts dev sys proc; do
    if mountpoint -q "$tree/$mount"; then umount -l "$tree/$mount"; fi
  done
}
cleanup_tree() {
  [ -n "$tree" ] || return 0
  unmount_tree
  rm -rf "$tree"
}

in_guest() { chroot "$tree" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
  DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }

# The host's own Debian mirror, so the guest needs no address of its own.
host_mirror() {
  local uri
  uri=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\/debian\/\{0,1\}\)[[:space:]]*$/\1/p' \
    /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
  [ -n "$uri" ] ||
    uri=$(sed -n 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\{0,1\}\([^[:space:]]*\/debian\/\{0,1\}\)[[:space:]].*/\2/p' \
      /etc/apt/sources.list 2>/dev/null | head -n 1)
  echo "${uri:-http://deb.debian.org/debian}"
}

build_tree() {
  local mirror
  mirror=$(host_mirror)
  echo "vm: debootstrap bookworm from $mirror"
  debootstrap --variant=minbase --arch=amd64 bookworm "$tree" "$mirror" >"$vm_root/build.log" 2>&1 ||
    { tail -n 30 "$vm_root/build.log"; return 1; }
  # The host's sources, security updates included; the guest gets the same packages.
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    cp /etc/apt/sources.list.d/debian.sources "$tree/etc/apt/sources.list.d/"
    : >"$tree/etc/apt/sources.list"
  fi
  printf '#!/bin/sh\nexit 101\n' >"$tree/usr/sbin/policy-rc.d"
  chmod 755 "$tree/usr/sbin/policy-rc.d"
  mount --bind /proc "$tree/proc"
  mount --bind /sys "$tree/sys"
  mount --bind /dev "$tree/dev"
  mount --bind /dev/pts "$tree/dev/pts"

  echo "vm: installing Wine and a kernel in the guest"
  {
    in_guest dpkg --add-architecture i386 &&
      in_guest apt-get update -qq &&
      # A small initrd: only the modules that find the root disk, gzip for speed.
      in_guest apt-get install -y -qq --no-install-recommends initramfs-tools &&
      sed -i 's/^MODULES=.*/MODULES=list/; s/^COMPRESS=.*/COMPRESS=gzip/' \
        "$tree/etc/initramfs-tools/initramfs.conf" &&
      printf 'virtio_pci\nvirtio_blk\next4\n' >>"$tree/etc/initramfs-tools/modules" &&
      in_guest apt-get install -y -qq --no-install-recommends "${guest_packages[@]}"
  } >>"$vm_root/build.log" 2>&1 || { tail -n 30 "$vm_root/build.log"; return 1; }

  local version module
  version=$(basename "$(ls -d "$tree"/lib/modules/* | head -n 1)")
  for module in "${unused_modules[@]}"; do
    rm -rf "$tree/lib/modules/$version/kernel/$module"
  done
  in_guest depmod -a "$version" &&
    in_guest update-initramfs -u -k all >>"$vm_root/build.log" 2>&1 || return 1
  cp "$tree/boot/vmlinuz-$version" "$vm_dir/vmlinuz"
  cp "$tree/boot/initrd.img-$version" "$vm_dir/initrd.img"
  in_guest apt-get clean
  rm -rf "$tree"/boot/* "$tree"/usr/share/doc "$tree"/usr/share/man "$tree"/usr/share/info \
    "$tree"/usr/share/locale "$tree"/var/lib/apt/lists/* "$tree"/var/cache/debconf/*-old
  install -m 755 scripts/lib/vm-init.sh "$tree/grablet-init"
  unmount_tree
}

# boot SHARE LOG SECONDS [QEMU_ARGS...]: one boot, bounded; the guest's
# init runs SHARE/job. Always ends the qemu it started.
qemu_pid=
stop_qemu() {
  if [ -n "$qemu_pid" ]; then
    kill "$qemu_pid" 2>/dev/null || true
    wait "$qemu_pid" 2>/dev/null || true
    qemu_pid=
  fi
}
boot() {
  local share=$1 log=$2 seconds=$3
  shift 3
  rm -f "$log" "$share/job.log" "$share/job.status"
  timeout --kill-after=10 "$seconds" qemu-system-x86_64 \
    -accel tcg,thread=multi -cpu qemu64 -smp 2 -m 3072 \
    -nodefaults -nographic -no-reboot -serial "file:$log" \
    -kernel "$vm_dir/vmlinuz" -initrd "$vm_dir/initrd.img" \
    -append "console=ttyS0 root=/dev/vda rw init=/grablet-init quiet panic=-1" \
    -drive "file=$vm_dir/rootfs.img,format=raw,if=virtio" \
    -virtfs "local,path=$share,mount_tag=x,security_model=none" \
    "$@" </dev/null >>"$log.qemu" 2>&1 &
  qemu_pid=$!
  local status=0
  wait "$qemu_pid" || status=$?
  qemu_pid=
  return $status
}

make_prefix() {
  local share=$vm_root/prefix-share
  rm -rf "$share" && mkdir -p "$share"
  cat >"$share/job" <<'EOF'
export HOME=/root WINEARCH=win32 WINEPREFIX=/root/.wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot --init && wineserver -w && test -f /root/.wine/system.reg
EOF
  echo "vm: making the Wine prefix in the image"
  boot "$share" "$vm_root/prefix-serial.log" 900 || true
  if [ "$(cat "$share/job.status" 2>/dev/null)" != 0 ]; then
    echo "vm: the Wine prefix was not made; serial log and job log:"
    cat "$vm_root/prefix-serial.log" "$share/job.log" 2>/dev/null | tail -n 40
    return 1
  fi
  rm -rf "$share"
}

# The cache key: everything that shapes the image, and nothing else, so
# that a change to how it is booted keeps the cache.
vm_root=build/vm
key=$({ declare -p guest_packages unused_modules; declare -f build_tree make_prefix
        cat scripts/lib/vm-init.sh; } | sha256sum | cut -c1-16)
vm_dir=$vm_root/$key

cmd_build() {
  [ -f "$vm_dir/ready" ] && return 0
  mkdir -p "$vm_root"
  local free
  free=$(df --output=avail -k "$vm_root" | tail -n 1)
  if [ "$free" -lt "$needed_space_kib" ]; then
    echo "vm: only $((free / 1024)) MiB free under $vm_root; building the VM needs $((needed_space_kib / 1024)) MiB"
    return 3
  fi
  ensure_packages debootstrap qemu-system-x86 e2fsprogs
  # Older recipes' images are of no more use.
  find "$vm_root" -mindepth 1 -maxdepth 1 ! -name "$key" -exec rm -rf {} +
  rm -rf "$vm_dir" && mkdir -p "$vm_dir"
  tree=$vm_root/tree-$key
  trap cleanup_tree EXIT
  local started=$SECONDS
  build_tree
  echo "vm: writing the disk image"
  mkfs.ext4 -q -F -d "$tree" "$vm_dir/rootfs.img" 3G >/dev/null
  cleanup_tree
  tree=
  trap - EXIT
  trap stop_qemu EXIT
  make_prefix
  touch "$vm_dir/ready"
  echo "vm: built in $((SECONDS - started)) s ($(du -sh --apparent-size "$vm_dir" | cut -f1) apparent, $(du -sh "$vm_dir" | cut -f1) on disk)"
}

cmd_run() {
  local share
  share=$(realpath "$1")
  [ -f "$vm_dir/ready" ] || { echo "vm: not built"; return 1; }
  trap stop_qemu EXIT
  boot "$share" "$share/serial.log" "${GRABLET_VM_SECONDS:-900}" -snapshot
}

# Killed by a timeout, still end qemu and unmount the tree (the EXIT traps).
trap 'exit 143' TERM INT
case "${1:-}" in
  build) cmd_build ;;
  run) cmd_run "$2" ;;
  *) echo "usage: $0 build | run SHARE" >&2; exit 2 ;;
esac
