# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the menu entry for programs installed in ALMARIK_BINDIR (an
# absolute folder) from ALMARIK_DESKTOP_SOURCE to ALMARIK_DESKTOP_OUTPUT.
# Run when installing, so that `cmake --install --prefix DIR` is the folder
# written. A bin folder on every session's PATH keeps the bare name; any
# other (~/.local/bin is on PATH only from the next login, a --prefix
# folder never) gets the absolute path, quoted as desktop entries want, or
# GLib hides the entry.
cmake_policy(SET CMP0057 NEW)
set(standard /usr/bin /usr/local/bin /bin)
set(program "${ALMARIK_BINDIR}/almarik")
if(ALMARIK_BINDIR IN_LIST standard)
  set(ALMARIK_EXEC almarik)
  set(ALMARIK_TRYEXEC almarik)
else()
  if(program MATCHES "[\n\r\t]")
    message(FATAL_ERROR "A menu entry cannot name '${program}': it holds a control character")
  endif()
  # TryExec is a plain string; Exec is a command line with field codes.
  string(REPLACE "\\" "\\\\" ALMARIK_TRYEXEC "${program}")
  string(REPLACE "%" "%%" exec "${program}")
  if(exec MATCHES "[ \"'\\\\><~|&;$*?#()`]")
    foreach(c "\\" "\"" "`" "$")
      string(REPLACE "${c}" "\\${c}" exec "${exec}")
    endforeach()
    set(exec "\"${exec}\"")
  endif()
  string(REPLACE "\\" "\\\\" ALMARIK_EXEC "${exec}")
endif()
configure_file("${ALMARIK_DESKTOP_SOURCE}" "${ALMARIK_DESKTOP_OUTPUT}" @ONLY)
