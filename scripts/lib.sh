# Shared by scripts/run and scripts/test: installing what is missing and
# building. Sourced, not run.

# Runs a command as root: directly when we are root, through sudo otherwise.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages given that are not installed yet.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building Zarv needs, and ccache, which the scripts compile through.
BUILD_PACKAGES=(cmake make g++ pkg-config libgtk-3-dev libsodium-dev ccache)

# The trees of one checkout share ccache's objects: paths count from the
# checkout (an ancestor set already will do), and the directory a unit is
# compiled in is left out, since it only names the tree in the debug
# information. The precompiled GTK header is taken as it is, its time and
# defines unchecked: it is made in the same build just before its users.
case "$ZARV_ROOT/" in
"${CCACHE_BASEDIR:-//}"/*) ;;
*) export CCACHE_BASEDIR=$ZARV_ROOT ;;
esac
export CCACHE_NOHASHDIR=true CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
# -Werror makes no other object, so README's build from source, which has
# none, takes the plain tree's. Nothing compiled without it is ever cached
# first: scripts/test starts that build only once the plain tree has built
# every unit of it, warnings as errors.
export CCACHE_IGNOREOPTIONS=-Werror

# Configures the directory $1 with further cmake arguments.
configure_zarv() {
  local dir=$1
  shift
  cmake -S "$ZARV_ROOT" -B "$ZARV_ROOT/$dir" -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DZARV_WERROR=ON "$@" >/dev/null
}

# Configures and builds every target into the directory $1 with further
# cmake arguments.
build_zarv() {
  configure_zarv "$@"
  cmake --build "$ZARV_ROOT/$1" -j "$(nproc)"
}

# The one tree that scripts/run starts Zarv from, scripts/package packs and
# scripts/test tests, so the program tested is the program packaged: build/,
# optimised as Debian builds its packages (-O2). Whether it also builds the
# tests and benchmarks is left as the tree has it. Builds the targets given.
build_main_tree() {
  configure_zarv build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARV_SANITIZE=OFF
  cmake --build "$ZARV_ROOT/build" -j "$(nproc)" --target "$@"
}
