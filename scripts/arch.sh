# Sourced by the project's scripts: the two Windows architectures, x86 and x64.
#   talvern_wine_loader ARCH     the Wine loader that runs ARCH's programs
#   talvern_arch_runnable ARCH   0 when this machine can run ARCH's programs under Wine;
#                                otherwise prints the reason in one line and returns 1
#   talvern_build_dir ARCH       the build folder of ARCH (relative to the repository)
#   talvern_build_windows ARCH [TARGET...]  configures and builds ARCH (everything by default)

# The 32-bit loader; pointing TALVERN_WINE32 at a program that cannot run shows what a
# machine without 32-bit support does.
TALVERN_WINE32="${TALVERN_WINE32:-/usr/lib/wine/wine}"

# The wine wrapper picks the 32-bit loader whenever wine32 is installed, so each
# architecture names its own.
talvern_wine_loader() {
  case $1 in
    x86) echo "$TALVERN_WINE32" ;;
    x64) echo /usr/lib/wine/wine64 ;;
    *) echo "unknown architecture '$1' (x86 or x64)" >&2; return 1 ;;
  esac
}

# Some kernels run no i386 program at all (32-bit emulation switched off): 32-bit Wine then
# fails with "Exec format error".
talvern_arch_runnable() {
  local arch="$1" loader output
  loader="$(talvern_wine_loader "$arch" 2>&1)" || { echo "$loader"; return 1; }
  if [[ ! -x $loader ]]; then
    echo "$loader is not installed"
    return 1
  fi
  # Run by bash itself: on ENOEXEC it reports "Exec format error" with status 126, where
  # execvp (timeout, env) would hand the ELF file to /bin/sh instead.
  local status=0
  output="$("$loader" --version 2>&1)" || status=$?
  if ((status == 126)) || [[ $output == *"Exec format error"* ]]; then
    echo "this kernel runs no ${arch/x86/i386} programs ($loader: Exec format error)"
    return 1
  elif ((status != 0)); then
    echo "$loader --version failed (status $status): ${output//$'\n'/ }"
    return 1
  fi
}

talvern_build_dir() {
  echo "build/win-$1"
}

talvern_build_windows() {
  local arch="$1" toolchain
  shift
  case $arch in
    x86) toolchain=cmake/mingw-i686.cmake ;;
    x64) toolchain=cmake/mingw-x86_64.cmake ;;
    *) echo "talvern_build_windows: unknown architecture '$arch'" >&2; return 1 ;;
  esac
  local dir
  dir="$(talvern_build_dir "$arch")"
  # The tools speak English whatever the caller's locale (Wine's needs Japanese): the link
  # map's headings and the compilers' messages are then what scripts and people expect.
  LC_ALL=C cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
  if (($#)); then
    LC_ALL=C cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" --target "$@"
  else
    LC_ALL=C cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)"
  fi
}
