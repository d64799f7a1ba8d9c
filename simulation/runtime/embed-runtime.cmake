# The simulation's C runtime is a C file of its own (kestro-sim-runtime.c,
# next to this script), so compilers and editors see it as C. At build time
# its bytes are written into SimulationRuntime.cpp as an array behind
# SimulationRuntime::source(); the library carries the text itself, which a
# resource in a static library would not guarantee.
#
# Included from the top CMakeLists.txt it adds the generated source to
# kestro_simulation; run with -P (INPUT, OUTPUT) it writes that source.
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ ${INPUT} hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR bytes "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," array "${hex}")
  # The text is handed on as Latin-1 and written as UTF-8, which changes
  # every byte above 0x7f: keep the runtime ASCII.
  foreach(high 8 9 a b c d e f)
    string(FIND "${array}" "0x${high}" found)
    if(NOT found EQUAL -1)
      message(FATAL_ERROR "${INPUT}: only ASCII may be written in the simulation runtime")
    endif()
  endforeach()
  # Sixteen bytes a line (CMake's expressions have no counted repeats).
  set(line_of_bytes "")
  foreach(i RANGE 15)
    string(APPEND line_of_bytes "0x..,")
  endforeach()
  string(REGEX REPLACE "(${line_of_bytes})" "\\1\n    " array "${array}")
  file(WRITE ${OUTPUT}
"// Written at build time from simulation/runtime/kestro-sim-runtime.c by
// simulation/runtime/embed-runtime.cmake; edit the C file, not this one.
#include \"SimulationRuntime.h\"

namespace {

const char Source[${bytes}] = {
    ${array}
};

} // namespace

QString SimulationRuntime::source()
{
    return QString::fromLatin1(Source, int(sizeof Source));
}
")
  return()
endif()

set(runtime_c ${CMAKE_CURRENT_LIST_DIR}/kestro-sim-runtime.c)
set(runtime_source ${CMAKE_BINARY_DIR}/simulation/SimulationRuntime.cpp)
add_custom_command(
  OUTPUT ${runtime_source}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${runtime_c} -DOUTPUT=${runtime_source}
          -P ${CMAKE_CURRENT_LIST_DIR}/embed-runtime.cmake
  DEPENDS ${runtime_c} ${CMAKE_CURRENT_LIST_DIR}/embed-runtime.cmake
  COMMENT "Embedding the simulation's C runtime"
  VERBATIM)
set_source_files_properties(${runtime_source} PROPERTIES GENERATED ON SKIP_AUTOGEN ON)
target_sources(kestro_simulation PRIVATE ${runtime_source})
