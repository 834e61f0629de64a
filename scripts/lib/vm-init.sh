#!/bin/sh
# PID 1 of the test VM: mount what Wine needs, run the host's job from the
# shared folder, write its output and status there, and power off. No
# systemd, no services: the boot is as short as it can be.
PATH=/usr/sbin:/usr/bin:/sbin:/bin
export PATH

# The initrd may have mounted some of these already.
mount_once() { mountpoint -q "$3" || mount -t "$1" "$2" "$3"; }
mount_once proc proc /proc
mount_once sysfs sys /sys
mount_once devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount_once devpts devpts /dev/pts
mount_once tmpfs tmp /tmp
mount_once tmpfs run /run
mount_once tmpfs shm /dev/shm
mount -o remount,rw /
hostname grablet-vm

echo "grablet-vm: init started"
modprobe 9pnet_virtio && modprobe 9p &&
  mkdir -p /share &&
  mount -t 9p -o trans=virtio,version=9p2000.L,msize=1048576 x /share
if [ -f /share/job ]; then
  echo "grablet-vm: job started"
  (cd /share && /bin/bash /share/job >/share/job.log 2>&1)
  echo $? >/share/job.status
  echo "grablet-vm: job ended with status $(cat /share/job.status)"
else
  echo "grablet-vm: no job in the shared folder"
fi

sync
umount /share 2>/dev/null
mount -o remount,ro / 2>/dev/null
sync
echo o >/proc/sysrq-trigger
sleep 30
