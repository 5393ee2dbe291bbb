# The steps the dependency scripts share: installing Debian packages, fetching a Debian
# source package (or one upstream file that a newer Debian suite lists), building a CMake
# project, naming a cache folder by what shapes it, and gathering licence texts. Sourced
# by scripts/windows/deps.sh and scripts/web/build_libs.sh; defines functions only.
#
# Every function writes its progress to standard error; a result, when it has one, is the
# one line it prints on standard output.

# Runs a command as root, through sudo when not root already.
debian_as_root() {
  if [ "$(id -u)" -ne 0 ]; then sudo "$@"; else "$@"; fi
}

debian_apt_get() {
  debian_as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 "$@"
}

# Installs the named packages that are not installed yet.
debian_install_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "deps: installing ${missing[*]}" >&2
  debian_apt_get update -qq >&2
  debian_apt_get install -y --no-install-recommends "${missing[@]}" >&2
}

# apt-get source needs deb-src entries. When none exist, one file beside the binary
# entries names the same mirrors, suites, components and keys as deb-src.
debian_ensure_source_entries() {
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    local deb822=/etc/apt/sources.list.d/debian.sources out=/etc/apt/sources.list.d/tide-src
    if [ -f "$deb822" ]; then
      awk 'BEGIN { RS = ""; ORS = "\n\n" }
           /(^|\n)Types:[^\n]*deb( |\n|$)/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
        "$deb822" | debian_as_root tee "$out.sources" >/dev/null
    else
      grep -hs '^deb \(http\|\[\)' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        debian_as_root tee "$out.list" >/dev/null
    fi
    echo "deps: added deb-src entries in $out" >&2
  fi
  if [ -z "$(apt-cache showsrc zlib 2>/dev/null)" ]; then
    debian_apt_get update -qq >&2
  fi
}

# 1:1.2.13.dfsg-1 -> 1.2.13.dfsg
debian_upstream_of() {
  local v=${1#*:}
  echo "${v%-*}"
}

# Downloads the source package PACKAGE into DIR (kept between runs) and prints the path
# of its .dsc. The versions are tried in the order given; with none given, the newest
# first. A version the mirror no longer serves is skipped for the next one.
#   debian_fetch_source DIR PACKAGE [VERSION...]
debian_fetch_source() {
  local dir=$1 pkg=$2 version dsc
  shift 2
  local versions=("$@")
  if [ ${#versions[@]} -eq 0 ]; then
    mapfile -t versions < <(apt-cache showsrc --only-source "$pkg" 2>/dev/null |
                            sed -n 's/^Version: //p' | sort -u | sort -rV)
  fi
  mkdir -p "$dir"
  for version in "${versions[@]}"; do
    dsc=${pkg}_${version#*:}.dsc
    if [ -f "$dir/$dsc" ] ||
       (cd "$dir" && apt-get source -qq --download-only "$pkg=$version" >/dev/null 2>&1); then
      [ "$version" != "${versions[0]}" ] && echo "deps: $pkg ${versions[0]} is not served; using $version" >&2
      echo "$dir/$dsc"
      return 0
    fi
  done
  echo "deps: no source of $pkg could be downloaded (tried ${versions[*]:-none})" >&2
  return 1
}

# The source versions of the packages that a -dev package came from: its own first, then
# the other revisions of the same upstream release, newest first.
debian_source_versions_of() {
  local dev=$1 src want v
  src=$(dpkg-query -W -f '${source:Package}' "$dev")
  want=$(dpkg-query -W -f '${source:Version}' "$dev")
  echo "$want"
  apt-cache showsrc --only-source "$src" 2>/dev/null | sed -n 's/^Version: //p' |
    sort -u | sort -rV | while read -r v; do
      [ "$v" != "$want" ] && [ "$(debian_upstream_of "$v")" = "$(debian_upstream_of "$want")" ] &&
        echo "$v"
    done
  return 0
}

# Downloads one file of a source package as another Debian suite lists it, from the
# mirror the machine's own apt entries name, into DIR, and prints its path. The suite's
# Sources index is read with a private apt configuration (its own lists folder under
# DIR); the system's sources stay untouched. The file's path and SHA256 come from that
# signed index, and apt-helper checks the download against the hash.
#   debian_fetch_suite_file DIR SUITE PACKAGE FILE
debian_fetch_suite_file() {
  local dir=$1 suite=$2 pkg=$3 file=$4 mirror conf stanza directory sha
  mkdir -p "$dir"
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(IDENTIFIER)' 2>/dev/null |
           awk '$2 == "Packages" && $1 !~ /security/ { print $1; exit }')
  [ -n "$mirror" ] || { echo "deps: apt names no Debian mirror" >&2; return 1; }
  conf=$dir/apt-$suite
  mkdir -p "$conf/lists/partial" "$conf/cache/archives/partial" "$conf/parts"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" \
    >"$conf/sources.list"
  local options=(-o "Dir::Etc::SourceList=$conf/sources.list" -o "Dir::Etc::SourceParts=$conf/parts"
                 -o "Dir::State::Lists=$conf/lists" -o "Dir::Cache=$conf/cache"
                 -o "Dir::State::status=/var/lib/dpkg/status" -o Debug::NoLocking=1)
  if [ ! -f "$dir/$file" ] || ! compgen -G "$conf/lists/*_Sources*" >/dev/null; then
    apt-get "${options[@]}" update -qq >&2 || return 1
  fi
  stanza=$(apt-cache "${options[@]}" showsrc --only-source "$pkg" 2>/dev/null)
  directory=$(echo "$stanza" | sed -n 's/^Directory: //p' | head -n 1)
  sha=$(echo "$stanza" | awk -v f="$file" '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 }
                                           on && $3 == f { print $1; exit }')
  if [ -z "$sha" ] || [ -z "$directory" ]; then
    echo "deps: the $suite Sources index lists no $file" >&2
    return 1
  fi
  if [ ! -f "$dir/$file" ] || [ "$(sha256sum "$dir/$file" | cut -d' ' -f1)" != "$sha" ]; then
    rm -f "$dir/$file"
    /usr/lib/apt/apt-helper download-file "$mirror$directory/$file" "$dir/$file" "SHA256:$sha" >&2 ||
      return 1
  fi
  echo "$dir/$file"
}

# Configures, builds and installs a CMake project with two jobs at low priority.
#   debian_cmake_build SOURCE BUILD PREFIX [CMAKE ARGUMENT...]
debian_cmake_build() {
  local src=$1 build=$2 prefix=$3
  shift 3
  nice -n 10 cmake -S "$src" -B "$build" -G "Unix Makefiles" -Wno-dev \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@"
  nice -n 10 cmake --build "$build" -j2
  cmake --install "$build"
}

# A 16-digit key over the lines on standard input and the given scripts without their
# comment lines: rewording a comment rebuilds nothing.
#   { echo "zlib 1:1.2.13"; ...; } | debian_cache_key SCRIPT...
debian_cache_key() {
  { cat; grep -hv '^ *#' "$@"; } | sha256sum | cut -c1-16
}

# Copies licence texts (paths relative to SOURCE; any that are missing stop the run) and,
# when the source is a Debian package, its copyright file, into DIR.
#   debian_collect_licences SOURCE DIR FILE...
debian_collect_licences() {
  local src=$1 dir=$2 f
  shift 2
  mkdir -p "$dir"
  for f in "$@"; do
    [ -f "$src/$f" ] || { echo "deps: $src has no $f" >&2; return 1; }
    install -m644 "$src/$f" "$dir/$(basename "$f")"
  done
  if [ -f "$src/debian/copyright" ]; then install -m644 "$src/debian/copyright" "$dir/copyright"; fi
}
