#!/bin/sh
# Installs the Debian packages that building, testing and running Penvale need.
# Idempotent: installs only what is missing. As a user who is not root it uses
# sudo when it may, and otherwise names the missing packages and stops.
set -eu

PACKAGES="cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-liberation2 fonts-dejavu-core xvfb xauth
  python3 python3-gi gir1.2-gmime-3.0 pandoc libreoffice-writer-nogui clang-format
  postfix dovecot-core dovecot-pop3d dbus-daemon python3-dbusmock clang libclang-rt-14-dev
  libxml2-dev libssl-dev libuchardet-dev desktop-file-utils appstream
  cups printer-driver-cups-pdf poppler-utils"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  run=""
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  run="sudo"
else
  echo "Penvale needs these Debian packages:$missing" >&2
  echo "Install them as root: apt-get install$missing" >&2
  exit 1
fi

echo "Installing:$missing"
# Postfix must not configure itself or start: the tests run their own instance.
echo "postfix postfix/main_mailer_type select No configuration" | $run debconf-set-selections
$run env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$run env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
