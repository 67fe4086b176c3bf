# Manual pages made by help2man from the programs' own --help and --version, so that they say what
# the installed programs do; the hand-written rest (files, environment) comes from packaging/man/*.h2m.
# Gzipped as Debian wants them, and installed with everything else into <prefix>/share/man.
# Not made for the sanitizer and fuzz builds, which nobody installs.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(BRINDLE_SANITIZE OR BRINDLE_BUILD_FUZZ)
  return()
endif()
if(NOT HELP2MAN OR NOT GZIP)
  message(STATUS "help2man or gzip not found: no manual pages (scripts/install-deps installs them)")
  return()
endif()

set(man_dir ${PROJECT_BINARY_DIR}/packaging/man)
file(MAKE_DIRECTORY ${man_dir})
set(man_pages)

# brindle_man_page(TARGET SECTION NAME [EXTRA_INCLUDE]): <target>.<section>.gz from the target's
# program, with packaging/man/<target>.h2m added.
function(brindle_man_page target section name)
  set(page ${man_dir}/${target}.${section})
  set(include ${PROJECT_SOURCE_DIR}/packaging/man/${target}.h2m)
  set(includes --include=${include})
  set(depends ${target} ${include})
  if(ARGC GREATER 3)
    list(APPEND includes --include=${ARGV3})
    list(APPEND depends ${ARGV3})
  endif()
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${HELP2MAN} --no-info --section=${section} --name=${name} --source=Brindle
                        --manual=Brindle ${includes} --output=${page} $<TARGET_FILE:${target}>
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS ${depends}
    COMMENT "Manual page ${target}(${section})"
    VERBATIM)
  set(man_pages ${man_pages} ${page}.gz PARENT_SCOPE)
  # Optional: an installation from a build of the programs alone (scripts/demo's, the tours') goes on
  # without the pages; a whole build, and so the package, has them.
  install(FILES ${page}.gz DESTINATION share/man/man${section} OPTIONAL)
endfunction()

brindle_man_page(brindle-cli 1 "scriptable client of the Brindle betting service")

# The server's page lists every command's own --help as well, read from the built program.
set(server_commands ${man_dir}/brindle-server-commands.h2m)
add_custom_command(
  OUTPUT ${server_commands}
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:brindle-server> -DOUTPUT=${server_commands}
          -P ${PROJECT_SOURCE_DIR}/cmake/ServerCommandsManSection.cmake
  DEPENDS brindle-server ${PROJECT_SOURCE_DIR}/cmake/ServerCommandsManSection.cmake
  VERBATIM)
brindle_man_page(brindle-server 8 "reference betting server of the Brindle service" ${server_commands})

if(TARGET brindle)
  brindle_man_page(brindle 1 "desktop client of the Brindle betting service")
endif()
add_custom_target(brindle_man_pages ALL DEPENDS ${man_pages})
