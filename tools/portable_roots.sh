# Debian 11 (bullseye) roots for the portable Linux programs, sourced by
# tools/build_portable.sh. Each root is made once by mmdebstrap from Debian's
# archive and kept in $VEXIL_ROOTS (default /var/cache/vexil/roots, outside any
# clone, so that every clone and CI run on the machine reuses it).
#
# A root is made in a folder of its own and renamed into place only when
# complete, with the list of its packages in .vexil-root; a root whose list
# differs is made anew, and the half-made folders of an interrupted run are
# removed by the next. One lock per root keeps two runs from making it at
# once; a run holds it shared while it uses the root.

VEXIL_ROOTS=${VEXIL_ROOTS:-/var/cache/vexil/roots}
VEXIL_MIRROR=http://deb.debian.org/debian

# ensure_root NAME ARCH VARIANT PACKAGE...: the root's path in $root, made if
# needed; holds the root's lock (shared) on a file descriptor until the shell ends.
ensure_root() {
  local name=$1 arch=$2 variant=$3
  shift 3
  local packages
  packages=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
  local wanted="bullseye $arch $variant: $packages"
  root=$VEXIL_ROOTS/$name
  mkdir -p "$VEXIL_ROOTS"
  local lock_fd
  exec {lock_fd}>"$VEXIL_ROOTS/$name.lock"
  # Runs that use a finished root share it; one that must make it waits for
  # them to end, and they for it.
  if ! flock -n -x "$lock_fd"; then
    if ! flock -w 1800 -s "$lock_fd"; then
      echo "Another run has held $VEXIL_ROOTS/$name.lock for 30 minutes" >&2
      return 1
    fi
    [ "$(cat "$root/.vexil-root" 2>/dev/null)" != "$wanted" ] || return 0
    flock -u "$lock_fd"
    if ! flock -w 1800 -x "$lock_fd"; then
      echo "Other runs have held $VEXIL_ROOTS/$name.lock for 30 minutes" >&2
      return 1
    fi
  fi
  # Whatever a run mounts lies in that run's own mount namespace; a mount seen
  # here was made by hand, and removing a folder would go through it.
  if grep -qF " ${root// /\\040}" /proc/self/mounts; then  # blanks there are written \040
    echo "Something is mounted below $root: leaving it alone" >&2
    return 1
  fi
  # With the lock held, a half-made root is an interrupted run's.
  rm -rf "$root".partial-*
  if [ "$(cat "$root/.vexil-root" 2>/dev/null)" != "$wanted" ]; then
    echo "Making the root $root ($arch, $variant): $packages"
    rm -rf "$root"
    local partial=$root.partial-$$
    local started=$SECONDS
    # The suite as its last point release left it, OpenJDK 17 included; not
    # the security archive, whose arm64 files the archive's mirrors may lack.
    if ! mmdebstrap --quiet --arch="$arch" --variant="$variant" --include="$(echo "$packages" | tr ' ' ',' | sed 's/,$//')" \
      bullseye "$partial" "deb $VEXIL_MIRROR bullseye main" "deb $VEXIL_MIRROR bullseye-updates main"; then
      rm -rf "$partial"
      echo "Cannot make the bullseye root $name from $VEXIL_MIRROR (no network?)" >&2
      return 1
    fi
    printf '%s\n' "$wanted" >"$partial/.vexil-root"
    mv "$partial" "$root"
    echo "Made $root in $((SECONDS - started)) s"
  fi
  flock -s "$lock_fd"
}
