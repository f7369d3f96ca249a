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
