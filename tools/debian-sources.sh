# debian-sources.sh: sourced (". tools/debian-sources.sh") by the scripts that
# build a library from Debian's own sources, fuzz/build-vorbis.sh and
# tools/windows/build-deps.sh.
#
# They fetch with `apt-get source` through a source list, package lists and a
# package cache of their own, in a folder they name: the system's apt
# configuration is neither needed nor changed, so a machine whose apt lists
# no deb-src line, or was never updated, fetches all the same. apt checks
# each file it fetches against the index of the archive's signed Release.
#
#   debian_sources_init DIR [SUITE...]
#       Makes DIR the private apt folder: its source list names the main
#       component of this machine's release, its -security and -updates
#       suites, then of each SUITE given (another release of the main
#       archive). Sets debian_codename to this machine's release. The lists
#       are not fetched: `debian_apt update` does that.
#   debian_apt ARG...          apt-get on the private folder
#   debian_apt_cache ARG...    apt-cache on the private folder
#   debian_source_version PACKAGE SUITE...
#       Prints the newest version of the source PACKAGE that the fetched
#       lists of those SUITEs hold, nothing when none holds it.
#
# Every name these define starts with debian_, so the scripts' own variables
# are left alone.

debian_sources_init() {
    debian_apt_dir=$1
    shift
    mkdir -p "$debian_apt_dir/lists/partial" "$debian_apt_dir/cache/archives/partial"
    debian_codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    {
        cat <<EOF
deb-src http://deb.debian.org/debian $debian_codename main
deb-src http://deb.debian.org/debian-security $debian_codename-security main
deb-src http://deb.debian.org/debian $debian_codename-updates main
EOF
        for debian_suite in "$@"; do
            echo "deb-src http://deb.debian.org/debian $debian_suite main"
        done
    } > "$debian_apt_dir/sources.list"
}

# Debug::NoLocking: the private lists and cache are this script's alone, and
# the system's lock is none of its business (another apt may be running).
debian_apt() {
    apt-get -q -o Dir::Etc::SourceList="$debian_apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::State::Lists="$debian_apt_dir/lists" -o Dir::Cache="$debian_apt_dir/cache" \
        -o Debug::NoLocking=1 "$@"
}

debian_apt_cache() {
    apt-cache -q -o Dir::Etc::SourceList="$debian_apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::State::Lists="$debian_apt_dir/lists" -o Dir::Cache="$debian_apt_dir/cache" "$@"
}

# madison prints one line a version and index:
#   " glfw3 |    3.3.8-1 | http://deb.debian.org/debian bookworm/main Sources"
debian_source_version() {
    debian_package=$1
    shift
    debian_newest=
    for debian_suite in "$@"; do
        for debian_version in $(debian_apt_cache madison "$debian_package" |
            awk -F'|' -v suite=" $debian_suite/" 'index($3, suite) && $3 ~ /Sources$/ { gsub(/ /, "", $2); print $2 }'); do
            if [ -z "$debian_newest" ] || dpkg --compare-versions "$debian_version" gt "$debian_newest"; then
                debian_newest=$debian_version
            fi
        done
    done
    echo "$debian_newest"
}
