#!/bin/sh
# Installs the Debian packages that building, testing and running Mavren need,
# only those that are missing. Safe to run again and again.
set -eu

PACKAGES="build-essential cmake pkg-config libgtest-dev libgmock-dev
libvips-dev libjpeg-dev libexiv2-dev liblcms2-dev libcurl4-openssl-dev libssl-dev libxml2-dev libicu-dev libsecret-1-dev qt6-base-dev qt6-base-dev-tools
python3-pyftpdlib python3-openssl openssh-server openssh-client lftp curl
dbus-daemon gnome-keyring libsecret-tools python3-dbus
qt6-qpa-plugins xvfb xauth clang-format xdg-utils shared-mime-info libfile-mimeinfo-perl
scdoc bash-completion appstream desktop-file-utils clang libclang-rt-dev
libimage-exiftool-perl python3-fusepy ffmpeg
ceph-mon ceph-osd radosgw ceph-common python3-rados"

# The upload tests start their own servers: pyftpdlib, with TLS through python3-openssl,
# and OpenSSH's sshd (never the system's service); the upload benchmark compares with
# lftp and curl.

# libxml2 reads the XML answers of S3-compatible storage (listings, errors).

# The S3 tests start their own Ceph cluster on loopback (tests/support/s3_gateway.sh): a
# monitor, an OSD that keeps objects in memory and the RADOS gateway, with radosgw-admin
# (ceph-common) for the user and Python's rados module to add the OSD. Never the system's
# Ceph services.

# libsecret keeps FTP passwords in the desktop's secret store; its tests start their own
# D-Bus session bus (dbus-daemon) with GNOME Keyring's daemon on it, and secret-tool
# (libsecret-tools) tells when the keyring answers. python3-dbus plays a secret store
# that owns its name on the bus and never answers.

# The album tests mount a folder whose names compare ignoring letter case, as on vfat,
# through FUSE with Debian's python3-fusepy (tests/generate/case_insensitive_fs.py).

# libexiv2 reads what the camera recorded (EXIF, IPTC, XMP) and, when asked, keeps it in web
# copies; liblcms2 turns pictures with a colour profile into sRGB. The photo tests check
# with exiftool that nothing private reaches a published picture.

# ffmpeg and ffprobe make the posters and web copies of videos, run as child programs;
# the video tests make their clips with ffmpeg and check them with ffprobe.

# libicu-dev tells letters and digits of any script, and letter case, in the names of the
# pages named after their photos.

# libfile-mimeinfo-perl gives xdg-mime the file types of the shared MIME database
# outside a desktop session (the file type tests ask it about .mav files).
# scdoc makes the manual pages; bash-completion, appstream and desktop-file-utils are for
# the tests of the completion, the metainfo and the desktop entry. clang and libclang-rt-dev
# build the fuzz harnesses (libFuzzer and the sanitizers' runtimes).

# Extra packages a target asks for (make bench passes its tools here).
PACKAGES="$PACKAGES ${MAVREN_EXTRA_PACKAGES:-}"

missing=""
for package in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *" installed") ;;
        *) missing="$missing $package" ;;
    esac
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q $missing
