# The simulation's C runtime is C files of its own (kestro-sim-runtime.c,
# kestro-sim-runs.c, kestro-sim-calls.c and their header kestro-sim-runtime.h,
# next to this script), so compilers and editors see them as C. At build time
# each one's bytes are written into a source file as an array behind a
# function of SimulationRuntime (source(), runsSource(), callsSource(),
# header()); the library carries
# the text itself, which a resource in a static library would not guarantee.
#
# Included from the top CMakeLists.txt it adds the generated source to
# kestro_simulation; run with -P (INPUT, OUTPUT, FUNCTION) it writes that source.
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ ${INPUT} hex HEX)
  get_filename_component(input_name ${INPUT} NAME)
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
"// Written at build time from simulation/runtime/${input_name} by
// simulation/runtime/embed-runtime.cmake; edit the C file, not this one.
#include \"SimulationRuntime.h\"

namespace {

const char Source[${bytes}] = {
    ${array}
};

} // namespace

QString SimulationRuntime::${FUNCTION}()
{
    return QString::fromLatin1(Source, int(sizeof Source));
}
")
  return()
endif()

foreach(part "kestro-sim-runtime.c:source:SimulationRuntime.cpp" "kestro-sim-runs.c:runsSource:SimulationRuntimeRuns.cpp"
             "kestro-sim-calls.c:callsSource:SimulationRuntimeCalls.cpp"
             "kestro-sim-runtime.h:header:SimulationRuntimeHeader.cpp")
  string(REPLACE ":" ";" part "${part}")
  list(GET part 0 runtime_file)
  list(GET part 1 runtime_function)
  list(GET part 2 runtime_output)
  set(runtime_c ${CMAKE_CURRENT_LIST_DIR}/${runtime_file})
  set(runtime_source ${CMAKE_BINARY_DIR}/simulation/${runtime_output})
  add_custom_command(
    OUTPUT ${runtime_source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${runtime_c} -DOUTPUT=${runtime_source} -DFUNCTION=${runtime_function}
            -P ${CMAKE_CURRENT_LIST_DIR}/embed-runtime.cmake
    DEPENDS ${runtime_c} ${CMAKE_CURRENT_LIST_DIR}/embed-runtime.cmake
    COMMENT "Embedding the simulation's C runtime (${runtime_file})"
    VERBATIM)
  set_source_files_properties(${runtime_source} PROPERTIES GENERATED ON SKIP_AUTOGEN ON)
  target_sources(kestro_simulation PRIVATE ${runtime_source})
endforeach()
