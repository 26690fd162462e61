#!/bin/bash
# Sources the bash completion of mavren-cli as bash-completion would, and checks what it
# offers for each command line of a table.
#   completion_test.sh COMPLETION-FILE FOLDER-OF-MAVREN-CLI
set -u
completion=$1
export PATH="$(realpath "$2"):$PATH"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config

# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"

mavren-cli profile add "my site" --host ftp.example.com --user ann --password x >/dev/null
mavren-cli profile add other --host ftp.example.com --user bo --password y >/dev/null
mkdir -p "$work/sites/sub"
touch "$work/sites/trip.mav" "$work/sites/OLD.MAV" "$work/sites/notes.txt"
cd "$work/sites" || exit 1

# What completion offers for a line typed up to its end, sorted, one a line.
offered() {
    COMP_LINE=$1
    COMP_POINT=${#1}
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _mavren_cli mavren-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort
}

passed=0
failed=0
check() {
    local line=$1 expected actual
    expected=$(printf '%s\n' "${@:2}" | sort)
    actual=$(offered "$line")
    if [[ $actual == "$expected" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAILED: "%s"\n  expected: %s\n  offered:  %s\n' "$line" \
            "$(echo $expected)" "$(echo $actual)"
    fi
}

check "mavren-cli " show validate set generate new themes theme open upload profile
check "mavren-cli gen" generate
check "mavren-cli --v" --version
check "mavren-cli generate --" --jobs --quiet --yes --no --help
check "mavren-cli generate --jobs " 
check "mavren-cli generate " OLD.MAV sub trip.mav
check "mavren-cli generate trip.mav " 
check "mavren-cli upload --profile " 'my\ site' other
check "mavren-cli upload trip.mav --profile o" other
check "mavren-cli upload trip.mav --delete --max-delete " all
check "mavren-cli upload trip.mav --fu" --full-check
check "mavren-cli upload --connections 2 --limit-rate 1M " OLD.MAV sub trip.mav
check "mavren-cli upload trip.mav --limit-rate " 
check "mavren-cli profile edit other --l" --limit-rate
check "mavren-cli profile " list add edit delete
check "mavren-cli profile edit " 'my\ site' other
check "mavren-cli profile delete m" 'my\ site'
check "mavren-cli profile add " 
check "mavren-cli profile add site --protocol " ftp ftps sftp s3 s3-http
check "mavren-cli profile edit other --protocol s3" s3 s3-http
check "mavren-cli profile edit --protocol s3 " 'my\ site' other
check "mavren-cli profile edit other --f" --forget-certificate
check "mavren-cli new --type " images text html
check "mavren-cli new --source sub --al" --albums
check "mavren-cli new --source " sub
check "mavren-cli open n" notes.txt
check "mavren-cli new --source sub --theme g" gallery
check "mavren-cli theme trip.mav " dark gallery light none
check "mavren-cli theme " OLD.MAV sub trip.mav
check "mavren-cli set " OLD.MAV sub trip.mav
check "mavren-cli set trip.mav Photo-" Photo-Web-Size= Photo-Web-Quality= Photo-Order= \
    Photo-Publish-Originals= Photo-Keep-Camera-Data= Photo-Camera-Captions= \
    Photo-Originals-Without-Place= Photo-WebP= Photo-AVIF= Photo-PNG-As-JPEG= \
    Photo-Videos= Photo-Video-Size= Photo-Video-Threads=
check "mavren-cli set trip.mav Misc-GIF-Thumbnail-Type=" 0 1 2 3
check "mavren-cli set trip.mav photo-order=" 0 1 2
check "mavren-cli set trip.mav Photo-Video-Size=" 480 720 1080
check "mavren-cli set trip.mav Photo-Camera-Captions=N" No
check "mavren-cli set trip.mav include-subfolders=" Yes No
check "mavren-cli set trip.mav Photo-Web-Size=" 

# Every key a program file can hold, and no other: a picture program with each optional key
# away from the value that leaves it out of the file.
program=$(mavren-cli new --source sub --name keys --yes) &&
    mavren-cli set "$program" Photo-Web-Quality=90 Photo-Publish-Originals=No \
        Photo-Keep-Camera-Data=Yes Photo-Order=2 Page-Language=de Include-Subfolders=Yes \
        Photo-Originals-Without-Place=Yes Upload-Whole-Folder=Yes \
        Page-Names-From-Files=Yes Site-Name=Trip Pages-For-Sharing=Yes \
        Site-Address=https://example.org/trip/ Photo-WebP=Yes Photo-AVIF=Yes \
        Photo-PNG-As-JPEG=Yes Photo-Video-Size=1080 Photo-Video-Threads=2 >/dev/null
# shellcheck disable=SC2046
check "mavren-cli set trip.mav " $(sed -n 's/ = .*/=/p' "$program")

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
