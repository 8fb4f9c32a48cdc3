# shellcheck shell=bash
# Debian's source packages, for the builds that compile SDL and giflib themselves (the browser
# and Windows builds): the deb-src entry that apt-get source needs, and the fetch of a source
# package into a cache folder. A function file: tools/deps.sh, web/build-sdl.sh and
# windows/build-deps.sh source it; sourcing it runs nothing.

#-------------------------------------------------------------------------------------------
# The deb-src entry
#-------------------------------------------------------------------------------------------
# True when apt knows SDL's source packages. apt-cache answers only after an apt-get update
# has read a deb-src entry, so an entry without that update still reads as missing here.
debian_sources_known() {
  apt-cache showsrc libsdl2-mixer 2>/dev/null | grep -q '^Package:'
}

# debian_sources_add [SUDO]: writes a deb-src twin of the machine's own Debian or Ubuntu archive
# entries (not of third-party ones, which rarely serve sources), through SUDO when given.
debian_sources_add() {
  local sudo="${1:-}" d=/etc/apt/sources.list.d f own=()
  for f in "$d/debian.sources" "$d/ubuntu.sources"; do [ -f "$f" ] && own+=("$f"); done
  if [ ${#own[@]} -gt 0 ]; then
    sed 's/^Types:.*/Types: deb-src/' "${own[@]}" | $sudo tee "$d/quillow-deb-src.sources" >/dev/null
  elif grep -q '^deb ' /etc/apt/sources.list 2>/dev/null; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee "$d/quillow-deb-src.list" >/dev/null
  else
    echo "deps: no Debian archive entry to make a deb-src entry from; add one by hand" >&2
    return 1
  fi
  echo "deps: added a deb-src entry for apt-get source ($d/quillow-deb-src.*)"
}

#-------------------------------------------------------------------------------------------
# Fetching a source package
#-------------------------------------------------------------------------------------------
# The newest unpacked version of source package $2 in folder $1, or nothing. The folder is
# printed with its trailing slash, as the builds' stamps have always recorded it.
debian_source_dir() {
  local dir
  for dir in "$1/$2"-[0-9]*/; do [ -d "$dir" ] && echo "$dir"; done | sort -V | tail -n 1
}

# debian_source_fetch CACHE PACKAGE: prints the folder of PACKAGE's source (Debian's patches
# applied) in CACHE, fetching it with apt-get source only when CACHE has none. The fetch
# unpacks into CACHE/.fetch and moves the result in once complete, so an interrupted fetch
# never leaves a partial folder that a later run would take for the sources.
debian_source_fetch() {
  local cache="$1" package="$2" dir
  dir="$(debian_source_dir "$cache" "$package")"
  if [ -z "$dir" ]; then
    echo "${0##*/}: fetching the source package $package into $cache" >&2
    rm -rf "$cache/.fetch"
    mkdir -p "$cache/.fetch"
    if (cd "$cache/.fetch" && apt-get source -qq "$package" >apt-get.log 2>&1); then
      rm "$cache/.fetch/apt-get.log"
      mv "$cache/.fetch"/* "$cache/"
    else
      cat "$cache/.fetch/apt-get.log" >&2
    fi
    rm -rf "$cache/.fetch"
    dir="$(debian_source_dir "$cache" "$package")"
  fi
  if [ -z "$dir" ]; then
    echo "${0##*/}: no source of $package: 'apt-get source $package' needs a deb-src entry and" \
      "dpkg-dev (make deps-web or make deps-windows sets both up)" >&2
    return 1
  fi
  echo "$dir"
}
