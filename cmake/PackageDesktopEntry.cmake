# Run by CPack on its staged tree: the archive is unpacked into a prefix that is not known here, so its
# desktop entry starts the client through the bin/ link on the user's PATH (~/.local/bin is on it
# in a Debian login) rather than through the staging folder's path.
set(entry "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/share/applications/brindle.desktop")
if(EXISTS "${entry}")
  file(READ "${entry}" text)
  string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=brindle" text "${text}")
  file(WRITE "${entry}" "${text}")
endif()
