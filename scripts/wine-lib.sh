# Sourced by the scripts: can this machine run the 32-bit Wine that runs our program?
# Debian's 32-bit Wine is a 32-bit x86 Linux program; a kernel with its 32-bit emulation
# switched off (booted with ia32_emulation=off, or a virtual machine that offers no 32-bit
# mode) refuses to start it ("Exec format error"), and every Windows test would fail alike.
nv_can_run_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
nv_explain_no_32bit() {
  cat >&2 <<'MSG'
This machine cannot run 32-bit x86 programs: its kernel refuses them ("Exec format error";
the kernel log says "32-bit emulation disabled"). netvosk.exe is a 32-bit Windows program and
Wine runs it as a 32-bit process, so it cannot be started or tested here. A kernel with its
32-bit emulation on (CONFIG_IA32_EMULATION, not switched off by ia32_emulation=off) is needed.
MSG
}

# One wineserver for a whole run of Wine programs. The server that the first program starts
# ends a moment after the last program, and `wineserver -p` cannot make a running server
# persistent (it exits with 2): a run of tests then had its server come and go between
# tests, a test starting at that moment failed ("recvmsg: Connection reset by peer"), and the
# test that started it anew lent its output pipe to the server and the system processes,
# so ctest waited on that test until the server went. Here the prefix is made first (on a
# fresh machine), its server is let go, a persistent one is started with no output of ours,
# and the system processes are started under it before any test runs.
#   nv_start_warm_wineserver SECONDS   (WINEPREFIX must be set)
nv_start_warm_wineserver() {
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  bash "$here/scripts/wine-run" cmd /c exit </dev/null >/dev/null 2>&1 || true
  timeout 30 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
  wineserver -p "${1:-600}" </dev/null >/dev/null 2>&1 || true
  bash "$here/scripts/wine-run" cmd /c exit </dev/null >/dev/null 2>&1 || true
}
