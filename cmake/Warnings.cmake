# Warnings for the project's own targets; third-party headers come in as system includes.
function(brindle_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual
                                           -Wconversion -Wsign-conversion
                                           -Wimplicit-fallthrough
                                           # GCC 12 reports libstdc++'s own string copies at -O2.
                                           $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
endfunction()

# Every library and program of the project: sources found by glob, so new concept files need no
# edit here. The include root is src/, so headers are named "wire/field_reader.h".
function(brindle_sources out dir)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(${out} ${found} PARENT_SCOPE)
endfunction()
