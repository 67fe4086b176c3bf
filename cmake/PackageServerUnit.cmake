# Run by CPack on its staged tree: not knowing where the archive will be unpacked, its unit names the
# server by file name only, which systemd looks for in /usr/local/bin, /usr/bin and the like.
set(unit "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/lib/systemd/system/brindle-server.service")
if(EXISTS "${unit}")
  file(READ "${unit}" text)
  string(REGEX REPLACE "\nExecStart=[^ \n]*/brindle-server " "\nExecStart=brindle-server " text "${text}")
  file(WRITE "${unit}" "${text}")
endif()
